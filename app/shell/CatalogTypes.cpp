#include "app/shell/CatalogTypes.h"

#include "app/shell/CatalogQuery.h"

#include <QStringList>

QString TypeFactColumns(const QString& field, const QString& collationId)
{
    const QString collation = collationId.isEmpty()
        ? field + QStringLiteral(".rdb$collation_id")
        : QStringLiteral("coalesce(%1, %2.rdb$collation_id)").arg(collationId, field);
    return QStringLiteral(
               "%1.rdb$field_type QT_TYPE, %1.rdb$field_sub_type QT_SUB_TYPE, %1.rdb$field_length QT_LENGTH, "
               "%1.rdb$field_scale QT_SCALE, %1.rdb$field_precision QT_PRECISION, "
               "%1.rdb$character_length QT_CHAR_LENGTH, %1.rdb$segment_length QT_SEGMENT, "
               "(select qc.rdb$bytes_per_character from rdb$character_sets qc "
               "where qc.rdb$character_set_id = %1.rdb$character_set_id) QT_BYTES, "
               "(select qc.rdb$character_set_name from rdb$character_sets qc, rdb$database qd "
               "where qc.rdb$character_set_id = %1.rdb$character_set_id "
               "and qc.rdb$character_set_name <> coalesce(qd.rdb$character_set_name, 'NONE')) QT_CHARSET, "
               "(select qk.rdb$collation_name from rdb$collations qk, rdb$character_sets qs "
               "where qk.rdb$character_set_id = %1.rdb$character_set_id and qk.rdb$collation_id = %2 "
               "and qs.rdb$character_set_id = qk.rdb$character_set_id "
               "and qk.rdb$collation_name <> qs.rdb$default_collate_name) QT_COLLATION, "
               "(select list(qb.b, ',') from (select qd.rdb$lower_bound || ':' || qd.rdb$upper_bound b "
               "from rdb$field_dimensions qd where qd.rdb$field_name = %1.rdb$field_name "
               "order by qd.rdb$dimension) qb) QT_BOUNDS")
        .arg(field, collation);
}

TTypeFactReader::TTypeFactReader(const TCatalogQuery& rows)
    : m_type(rows.Column(QStringLiteral("QT_TYPE")))
    , m_subType(rows.Column(QStringLiteral("QT_SUB_TYPE")))
    , m_length(rows.Column(QStringLiteral("QT_LENGTH")))
    , m_scale(rows.Column(QStringLiteral("QT_SCALE")))
    , m_precision(rows.Column(QStringLiteral("QT_PRECISION")))
    , m_characterLength(rows.Column(QStringLiteral("QT_CHAR_LENGTH")))
    , m_bytesPerChar(rows.Column(QStringLiteral("QT_BYTES")))
    , m_characterSet(rows.Column(QStringLiteral("QT_CHARSET")))
    , m_collation(rows.Column(QStringLiteral("QT_COLLATION")))
    , m_segment(rows.Column(QStringLiteral("QT_SEGMENT")))
    , m_bounds(rows.Column(QStringLiteral("QT_BOUNDS")))
{
}

QvTypes::TTypeFacts TTypeFactReader::Read(const TCatalogQuery& rows) const
{
    const auto integer = [&rows](int column, int fallback) {
        return column < 0 || rows.IsNull(column) ? fallback : rows.Integer(column);
    };
    QvTypes::TTypeFacts facts;
    facts.Type = integer(m_type, 0);
    facts.SubType = integer(m_subType, 0);
    facts.Length = integer(m_length, 0);
    facts.Scale = integer(m_scale, 0);
    facts.Precision = integer(m_precision, 0);
    facts.CharacterLength = integer(m_characterLength, -1);
    facts.BytesPerChar = std::max(1, integer(m_bytesPerChar, 1));
    facts.SegmentLength = integer(m_segment, 0);
    if (m_characterSet >= 0)
        facts.CharacterSet = rows.Name(m_characterSet);
    if (m_collation >= 0)
        facts.Collation = rows.Name(m_collation);
    if (m_bounds >= 0) {
        const QStringList dimensions = rows.Text(m_bounds).split(u',', Qt::SkipEmptyParts);
        for (const QString& dimension : dimensions) {
            const qsizetype colon = dimension.indexOf(u':');
            facts.Bounds.append({dimension.left(colon).trimmed().toInt(), dimension.mid(colon + 1).trimmed().toInt()});
        }
    }
    return facts;
}
