#include "app/sqltools/ExtractCatalog.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "access/QvTextCodec.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MyConst.h"

#include <QList>

namespace {

int orDefault(const TCatalogQuery& rows, int column, int fallback)
{
    return column < 0 || rows.IsNull(column) ? fallback : rows.Integer(column);
}

} // namespace

QString FieldTypeColumns(const QString& alias)
{
    QString items;
    const char* columns[][2] = {
        {"rdb$field_type", "T_TYPE"},           {"rdb$field_sub_type", "T_SUB_TYPE"},
        {"rdb$field_length", "T_LENGTH"},       {"rdb$field_scale", "T_SCALE"},
        {"rdb$field_precision", "T_PRECISION"}, {"rdb$character_length", "T_CHAR_LENGTH"},
        {"rdb$character_set_id", "T_CHARSET"},  {"rdb$collation_id", "T_COLLATION"},
        {"rdb$segment_length", "T_SEGMENT"},    {"rdb$dimensions", "T_DIMENSIONS"},
        {"rdb$field_name", "T_FIELD_NAME"},     {"rdb$system_flag", "T_SYSTEM_FLAG"},
    };
    for (const auto& [column, name] : columns) {
        if (!items.isEmpty())
            items += QLatin1Char(',');
        items += alias + QLatin1Char('.') + QLatin1String(column) + QLatin1Char(' ') + QLatin1String(name);
    }
    return items;
}

TFieldTypeReader::TFieldTypeReader(const TCatalogQuery& rows)
    : m_type(rows.Column(QStringLiteral("T_TYPE")))
    , m_subType(rows.Column(QStringLiteral("T_SUB_TYPE")))
    , m_length(rows.Column(QStringLiteral("T_LENGTH")))
    , m_scale(rows.Column(QStringLiteral("T_SCALE")))
    , m_precision(rows.Column(QStringLiteral("T_PRECISION")))
    , m_characterLength(rows.Column(QStringLiteral("T_CHAR_LENGTH")))
    , m_characterSet(rows.Column(QStringLiteral("T_CHARSET")))
    , m_collation(rows.Column(QStringLiteral("T_COLLATION")))
    , m_segmentLength(rows.Column(QStringLiteral("T_SEGMENT")))
    , m_dimensions(rows.Column(QStringLiteral("T_DIMENSIONS")))
    , m_fieldName(rows.Column(QStringLiteral("T_FIELD_NAME")))
    , m_systemFlag(rows.Column(QStringLiteral("T_SYSTEM_FLAG")))
{
}

TFieldType TFieldTypeReader::Read(const TCatalogQuery& rows) const
{
    TFieldType field;
    field.type = orDefault(rows, m_type, 0);
    field.subType = orDefault(rows, m_subType, 0);
    field.length = orDefault(rows, m_length, 0);
    field.scale = orDefault(rows, m_scale, 0);
    field.precision = orDefault(rows, m_precision, 0);
    field.characterLength = orDefault(rows, m_characterLength, -1);
    field.characterSet = orDefault(rows, m_characterSet, -1);
    field.collation = orDefault(rows, m_collation, -1);
    field.segmentLength = orDefault(rows, m_segmentLength, 0);
    field.dimensions = orDefault(rows, m_dimensions, 0);
    if (m_fieldName >= 0)
        field.fieldName = rows.Name(m_fieldName);
    field.systemFlag = orDefault(rows, m_systemFlag, 0);
    return field;
}

TExtractCatalog::TExtractCatalog(TQvDatabase& database, TQvTransaction& transaction, int dialect)
    : m_dialect(dialect)
{
    TQvQuery query;
    query.SetTransaction(&transaction);
    {
        TCatalogQuery sets(query, &database,
            QStringLiteral("select c.rdb$character_set_id, c.rdb$character_set_name, "
                           "(select d.rdb$character_set_name from rdb$database d) from rdb$character_sets c"));
        for (; !sets.Eof(); sets.Next()) {
            const QString name = sets.Name(1);
            m_characterSets.insert(sets.Integer(0), name);
            if (name == sets.Name(2))
                m_defaultCharacterSet = sets.Integer(0);
        }
    }
    {
        TCatalogQuery collations(query, &database,
            QStringLiteral("select rdb$character_set_id, rdb$collation_id, rdb$collation_name from rdb$collations"));
        for (; !collations.Eof(); collations.Next())
            m_collations.insert({collations.Integer(0), collations.Integer(1)}, collations.Name(2));
    }
    {
        TCatalogQuery dimensions(query, &database,
            QStringLiteral("select rdb$field_name, rdb$lower_bound, rdb$upper_bound from rdb$field_dimensions "
                           "order by rdb$field_name, rdb$dimension"));
        QHash<QString, QList<QPair<int, int>>> bounds;
        for (; !dimensions.Eof(); dimensions.Next())
            bounds[dimensions.Name(0)].append({dimensions.Integer(1), dimensions.Integer(2)});
        for (auto it = bounds.cbegin(); it != bounds.cend(); ++it)
            m_arrayBounds.insert(it.key(), QLatin1Char(' ') + ArrayBoundsToStr(it.value()));
    }
}

QString TExtractCatalog::TypeText(const TFieldType& field, const QString& what) const
{
    QvTypes::TTypeFacts facts;
    facts.Type = field.type;
    facts.SubType = field.subType;
    facts.Length = field.length;
    facts.Scale = field.scale;
    facts.Precision = field.precision;
    facts.CharacterLength = field.type == 261 ? -1 : field.characterLength;
    facts.BytesPerChar = QvTextCodec::bytesPerCharacter(field.characterSet < 0 ? 0 : field.characterSet);
    facts.SegmentLength = field.segmentLength;
    if (field.IsText() && field.characterSet >= 0 && field.characterSet != m_defaultCharacterSet)
        facts.CharacterSet = CharacterSetName(field.characterSet);
    QString text = QvTypes::TypeText(facts, m_dialect, what);
    if (field.dimensions > 0) {
        // The bounds stand between the type and its character set.
        const qsizetype set = facts.CharacterSet.isEmpty() ? text.size() : text.lastIndexOf(QStringLiteral(" CHARACTER SET "));
        text.insert(set, m_arrayBounds.value(field.fieldName));
    }
    return text;
}

QString TExtractCatalog::CollateClause(int characterSet, int collation) const
{
    return collation == 0 ? QString() : ExplicitCollateClause(characterSet, collation);
}

QString TExtractCatalog::ExplicitCollateClause(int characterSet, int collation) const
{
    if (characterSet < 0 || collation < 0)
        return {};
    const QString name = m_collations.value({characterSet, collation});
    return name.isEmpty() ? QString() : QStringLiteral(" COLLATE ") + QvSql::Identifier(name, m_dialect);
}
