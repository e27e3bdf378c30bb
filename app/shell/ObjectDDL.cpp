#include "app/shell/ObjectDDL.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/MyConst.h"
#include "app/shell/ProcPreview.h"
#include "access/QvTransactionScope.h"
#include "components/StrUtils.h"
#include "editor/qeCustomEdit.h"
#include "platform/Dialogs.h"

#include <memory>

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The type of a column on an implicit domain, as the table text of a
// dialect-1 database writes it; length in characters. What has the type
// names it when the catalog has no name for it.
QString implicitDomainType(int type, int length, int scale, int subType, const QString& what)
{
    if (scale == 0) {
        switch (type) {
        case 7: return QStringLiteral("Smallint");
        case 8: return QStringLiteral("Integer");
        case 10: return QStringLiteral("Float");
        case 14: return QStringLiteral("Char(%1)").arg(length);
        case 27: return QStringLiteral("Double precision");
        case 35: return QStringLiteral("Date");
        case 37: return QStringLiteral("Varchar(%1)").arg(length);
        default:
            // Newer types are named as they are, never dropped; a text blob
            // is no binary one; a code without a name is an error, never
            // another type.
            return FieldTypeToStr(type, length, scale, 1, 1, subType, what);
        }
    }
    switch (type) {
    case 7:
    case 8: return QStringLiteral("Numeric(9,%1)").arg(-scale);
    case 10:
    case 27: return QStringLiteral("Numeric(15,%1)").arg(-scale);
    default: return FieldTypeToStr(type, length, scale, 1, 1, 0, what);
    }
}

// The stored facts of the RDB$FIELDS columns of the row (a select of "*"),
// character set and collation left to the caller.
QvTypes::TTypeFacts storedFacts(const TCatalogQuery& rows, int bytesPerChar)
{
    const auto integer = [&rows](const char* name, int fallback) {
        const int column = rows.Column(QLatin1String(name));
        return column < 0 || rows.IsNull(column) ? fallback : rows.Integer(column);
    };
    QvTypes::TTypeFacts facts;
    facts.Type = integer("RDB$FIELD_TYPE", 0);
    facts.SubType = integer("RDB$FIELD_SUB_TYPE", 0);
    facts.Length = integer("RDB$FIELD_LENGTH", 0);
    facts.Scale = integer("RDB$FIELD_SCALE", 0);
    facts.Precision = integer("RDB$FIELD_PRECISION", 0);
    facts.CharacterLength = integer("RDB$CHARACTER_LENGTH", -1);
    facts.BytesPerChar = bytesPerChar;
    return facts;
}

bool isTextType(int type, int subType)
{
    return type == 14 || type == 37 || type == 40 || (type == 261 && subType == 1);
}

// Server-generated constraint names begin with "INTEG_".
bool generatedName(const QString& constraintName)
{
    return constraintName.contains(QLatin1String("INTEG"));
}

// Reads what the texts need beyond the catalog rows themselves.
class CatalogFacts
{
public:
    CatalogFacts(TQvQuery& query, TQvDatabase* database)
        : m_query(query)
        , m_database(database)
        , m_dialect(database ? database->SQLDialect() : 1)
    {
    }

    int Dialect() const { return m_dialect; }
    // An object name as the text writes it: quoted where dialect 3 needs it.
    QString Name(const QString& name) const { return QvSql::Identifier(name, m_dialect); }

    // The name the system tables keep for what a link word or caller named:
    // a caller's stored name when an object has it exactly, else the name
    // the typed word stands for (quotes taken off, or upper-cased).
    QString StoredName(const char* table, const char* column, const QString& name)
    {
        const QString typed = QvSql::NameFromTyped(name, m_dialect);
        if (m_dialect != 3 || name == typed)
            return typed;
        TCatalogQuery exact(m_query, m_database,
            QStringLiteral("select %1 from %2 where %1=").arg(QLatin1String(column), QLatin1String(table))
                + QvSql::SingleQuoted(name));
        return exact.Eof() ? typed : name;
    }

    // The id of the database's default character set (0, NONE, without one).
    int DefaultCharacterSet()
    {
        if (m_defaultCharacterSet < 0) {
            TCatalogQuery set(m_query, m_database,
                QStringLiteral("select c.rdb$character_set_id from rdb$database d, rdb$character_sets c "
                               "where c.rdb$character_set_name=d.rdb$character_set_name"));
            m_defaultCharacterSet = set.Eof() ? 0 : set.Integer(0);
        }
        return m_defaultCharacterSet;
    }

    // " [1:4]" for an array field, with every dimension's bounds.
    QString ArrayBounds(const QString& fieldSource)
    {
        QList<QPair<int, int>> bounds;
        TCatalogQuery dimensions(m_query, m_database,
            QStringLiteral("select rdb$lower_bound,rdb$upper_bound from rdb$field_dimensions where rdb$field_name=")
                + QvSql::SingleQuoted(fieldSource) + QStringLiteral(" order by rdb$dimension"));
        for (; !dimensions.Eof(); dimensions.Next())
            bounds.append({dimensions.Integer(0), dimensions.Integer(1)});
        return bounds.isEmpty() ? QString() : QLatin1Char(' ') + ArrayBoundsToStr(bounds);
    }

private:
    TQvQuery& m_query;
    TQvDatabase* m_database;
    int m_dialect;
    int m_defaultCharacterSet = -1;
};

QString tableText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogFacts facts(query, database);
    const bool dialect3 = facts.Dialect() == 3;
    const QString key = facts.StoredName("rdb$relations", "rdb$relation_name", name);
    QString text;
    {
        // The type's further facts follow the columns the text has always read.
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select a.rdb$relation_name,a.rdb$field_name,a.rdb$field_source,b.rdb$computed_source,"
                           "b.rdb$field_type,b.rdb$field_length,b.rdb$field_scale,a.rdb$default_source,"
                           "a.rdb$null_flag,c.rdb$description Table_description,a.rdb$Description field_description,"
                           "b.rdb$field_sub_type,b.rdb$character_set_id,b.rdb$dimensions,"
                           "(select s.rdb$character_set_name from rdb$character_sets s where "
                           "s.rdb$character_set_id=b.rdb$character_set_id) field_character_set "
                           "from RDB$relation_Fields a,rdb$fields b,rdb$relations c where not (a.RDB$Field_Name "
                           "starting with \"RDB$\") and a.rdb$field_source=b.rdb$field_name and  a.rdb$base_field "
                           "is null and a.rdb$relation_name=c.rdb$relation_name and c.rdb$relation_name=")
                + QvSql::SingleQuoted(key) + QStringLiteral(" order by rdb$relation_name,RDB$FIELD_POSITION"));
        if (!rows.Eof()) {
            QString description = rows.Text(QStringLiteral("TABLE_DESCRIPTION"));
            if (!description.isEmpty()) {
                description.remove(QStringLiteral("/*"));
                description.remove(QStringLiteral("*/"));
                text = QStringLiteral("/* ") + description + QStringLiteral("  */") + CRLF;
            }
        }
        text += QStringLiteral("CREATE TABLE ") + (dialect3 ? facts.Name(key) : name) + QStringLiteral(" (");
        const int relation = rows.Column(QStringLiteral("RDB$RELATION_NAME"));
        const int field = rows.Column(QStringLiteral("RDB$FIELD_NAME"));
        const int source = rows.Column(QStringLiteral("RDB$FIELD_SOURCE"));
        const int computed = rows.Column(QStringLiteral("RDB$COMPUTED_SOURCE"));
        const int type = rows.Column(QStringLiteral("RDB$FIELD_TYPE"));
        const int length = rows.Column(QStringLiteral("RDB$FIELD_LENGTH"));
        const int scale = rows.Column(QStringLiteral("RDB$FIELD_SCALE"));
        const int defaultSource = rows.Column(QStringLiteral("RDB$DEFAULT_SOURCE"));
        const int nullFlag = rows.Column(QStringLiteral("RDB$NULL_FLAG"));
        const int subType = rows.Column(QStringLiteral("RDB$FIELD_SUB_TYPE"));
        const int characterSet = rows.Column(QStringLiteral("RDB$CHARACTER_SET_ID"));
        const int dimensions = rows.Column(QStringLiteral("RDB$DIMENSIONS"));
        const int characterSetName = rows.Column(QStringLiteral("FIELD_CHARACTER_SET"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(relation)) == key; rows.Next()) {
            QString line = QString(7, QLatin1Char(' ')) + facts.Name(StrTrimTrailingSpaces(rows.Text(field)))
                + QLatin1Char(' ');
            const QString computedSource = rows.Text(computed);
            if (!computedSource.isEmpty()) {
                line += QStringLiteral("COMPUTED BY ") + computedSource;
            } else {
                const QString domain = StrTrimTrailingSpaces(rows.Text(source));
                if (domain.contains(QLatin1String("RDB$"))) {
                    const int fieldType = rows.Integer(type);
                    const int fieldSubType = rows.IsNull(subType) ? 0 : rows.Integer(subType);
                    const int setId = rows.IsNull(characterSet) ? 0 : rows.Integer(characterSet);
                    const int bytesPerChar = QvTextCodec::bytesPerCharacter(setId);
                    const QString what = QStringLiteral("Column %1 of table %2").arg(StrTrimTrailingSpaces(rows.Text(field)), key);
                    line += dialect3 ? QvTypes::TypeText(storedFacts(rows, bytesPerChar), 3, what)
                                     : implicitDomainType(fieldType, rows.Integer(length) / bytesPerChar,
                                                          rows.Integer(scale), fieldSubType, what);
                    // An array is never named as its element alone.
                    if (!rows.IsNull(dimensions) && rows.Integer(dimensions) > 0)
                        line += facts.ArrayBounds(domain);
                    // A text column whose set is not the database's own names it.
                    if (isTextType(fieldType, fieldSubType) && !rows.IsNull(characterSet)
                        && setId != facts.DefaultCharacterSet())
                        line += QStringLiteral(" CHARACTER SET ") + rows.Name(characterSetName);
                } else {
                    line += facts.Name(domain);
                }
                const QString defaultText = rows.Text(defaultSource).trimmed();
                if (!defaultText.isEmpty())
                    line += QLatin1Char(' ') + defaultText;
                if (rows.Integer(nullFlag) == 1)
                    line += QStringLiteral(" NOT NULL");
            }
            text += CRLF + line + QLatin1Char(',');
        }
    }

    QString indexName;
    QString constraintName;
    {
        TCatalogQuery key1(query, database,
            QStringLiteral("select * from rdb$relation_constraints WHERE rdb$constraint_type='PRIMARY KEY' "
                           "and rdb$relation_name=") + QvSql::SingleQuoted(key));
        if (!key1.Eof()) {
            indexName = key1.Text(QStringLiteral("RDB$INDEX_NAME")).trimmed();
            constraintName = key1.Text(QStringLiteral("RDB$CONSTRAINT_NAME")).trimmed();
        }
    }
    if (!indexName.isEmpty()) {
        QStringList columns;
        TCatalogQuery segments(query, database,
            QStringLiteral("select * from rdb$index_segments where rdb$index_name=") + QvSql::SingleQuoted(indexName)
                + QStringLiteral(" order by rdb$field_position"));
        for (const int column = segments.Column(QStringLiteral("RDB$FIELD_NAME")); !segments.Eof(); segments.Next())
            columns << facts.Name(StrTrimTrailingSpaces(segments.Text(column)));
        const QString line = generatedName(constraintName)
            ? QStringLiteral("      PRIMARY KEY (") + columns.join(QLatin1Char(',')) + QLatin1Char(')')
            : QStringLiteral("      CONSTRAINT ") + facts.Name(constraintName) + QStringLiteral(" PRIMARY KEY (")
                + columns.join(QLatin1Char(',')) + QLatin1Char(')');
        text += CRLF + line + QLatin1Char(',');
    }

    {
        // Ordered, so that the segments of one constraint come together and
        // in key order.
        TCatalogQuery unique(query, database,
            QStringLiteral("select * from rdb$relation_constraints a,rdb$index_segments b where a.rdb$relation_name=")
                + QvSql::SingleQuoted(key)
                + QStringLiteral(" and a.rdb$constraint_type='UNIQUE' and a.rdb$index_name=b.rdb$index_name"
                                 " order by a.rdb$constraint_name,b.rdb$field_position"));
        const int nameColumn = unique.Column(QStringLiteral("RDB$CONSTRAINT_NAME"));
        const int fieldColumn = unique.Column(QStringLiteral("RDB$FIELD_NAME"));
        QString current;
        QStringList columns;
        auto flush = [&] {
            if (columns.isEmpty())
                return;
            const QString line = generatedName(current)
                ? QStringLiteral("      UNIQUE (") + columns.join(QLatin1Char(',')) + QLatin1Char(')')
                : QStringLiteral("      CONSTRAINT ") + facts.Name(current) + QStringLiteral(" UNIQUE (")
                    + columns.join(QLatin1Char(',')) + QLatin1Char(')');
            text += CRLF + line + QLatin1Char(',');
            columns.clear();
        };
        for (; !unique.Eof(); unique.Next()) {
            const QString constraint = unique.Text(nameColumn).trimmed();
            if (constraint != current) {
                flush();
                current = constraint;
            }
            columns << facts.Name(StrTrimTrailingSpaces(unique.Text(fieldColumn)));
        }
        flush();
    }

    if (text.endsWith(QLatin1Char(',')))
        text.chop(1);
    return text + CRLF + QStringLiteral(");");
}

QString viewText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogFacts facts(query, database);
    const QString key = facts.StoredName("rdb$relations", "rdb$relation_name", name);
    QString source;
    {
        TCatalogQuery view(dataSet, database,
            QStringLiteral("select * from rdb$relations where rdb$relation_name=") + QvSql::SingleQuoted(key));
        if (!view.Eof()) {
            source = view.Text(QStringLiteral("RDB$VIEW_SOURCE"));
            source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            source.replace(QLatin1Char('\n'), CRLF);
        }
    }
    QStringList columns;
    {
        TCatalogQuery fields(dataSet, database,
            QStringLiteral("select * from rdb$relation_fields where rdb$relation_name=") + QvSql::SingleQuoted(key)
                + QStringLiteral(" order by rdb$field_position"));
        for (const int column = fields.Column(QStringLiteral("RDB$FIELD_NAME")); !fields.Eof(); fields.Next())
            columns << facts.Name(StrTrimTrailingSpaces(fields.Text(column)));
    }
    return QStringLiteral("CREATE VIEW ") + (facts.Dialect() == 3 ? facts.Name(key) : name) + QLatin1Char('(')
        + columns.join(QLatin1Char(',')) + QLatin1Char(')') + CRLF + QStringLiteral("AS") + CRLF + source;
}

QString procedureText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogFacts facts(query, database);
    const QString key = facts.StoredName("rdb$procedures", "rdb$procedure_name", name);
    const QString shownName = facts.Dialect() == 3 ? facts.Name(key) : name;
    QString inputs;
    QString outputs;
    {
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select * from rdb$Procedure_parameters a,rdb$Fields b where "
                           "a.rdb$Field_source=b.rdb$field_name and a.rdb$procedure_name=")
                + QvSql::SingleQuoted(key)
                + QStringLiteral(" order by a.rdb$procedure_name,a.rdb$parameter_number "));
        const int procedure = rows.Column(QStringLiteral("RDB$PROCEDURE_NAME"));
        const int parameter = rows.Column(QStringLiteral("RDB$PARAMETER_NAME"));
        const int parameterType = rows.Column(QStringLiteral("RDB$PARAMETER_TYPE"));
        const int characterSet = rows.Column(QStringLiteral("RDB$CHARACTER_SET_ID"));
        // Both tables have a description; the parameter's comes first in the row.
        const int description = rows.Column(QStringLiteral("RDB$DESCRIPTION"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(procedure)) == key; rows.Next()) {
            const int bytesPerChar = characterSet < 0 || rows.IsNull(characterSet)
                ? 1
                : QvTextCodec::bytesPerCharacter(rows.Integer(characterSet));
            const QString parameterName = StrTrimTrailingSpaces(rows.Text(parameter));
            QString text = facts.Name(parameterName) + QLatin1Char(' ')
                + QvTypes::TypeText(storedFacts(rows, bytesPerChar), facts.Dialect(),
                                   QStringLiteral("Parameter %1 of procedure %2").arg(parameterName, key));
            const QString comment = StrTrimTrailingSpaces(rows.Text(description));
            if (!comment.isEmpty())
                text += QStringLiteral(" /*") + comment + QStringLiteral("*/");
            if (rows.Integer(parameterType) == 0)
                inputs += QString(shownName.size() + 18, QLatin1Char(' ')) + text + QLatin1Char(',') + CRLF;
            else
                outputs += QString(9, QLatin1Char(' ')) + text + QLatin1Char(',') + CRLF;
        }
    }
    auto tidy = [](QString list) {
        list = StrTrimLeadingSpaces(list);
        if (list.endsWith(QLatin1Char(',') + CRLF))
            list.chop(3);
        return list;
    };
    inputs = tidy(inputs);
    outputs = tidy(outputs);

    QString source;
    {
        TCatalogQuery proc(dataSet, database,
            QStringLiteral("SELECT * FROM rdb$procedures where rdb$procedure_name=") + QvSql::SingleQuoted(key));
        if (!proc.Eof())
            source = proc.Text(QStringLiteral("RDB$PROCEDURE_SOURCE"));
    }
    QString text = QStringLiteral("CREATE PROCEDURE ") + shownName;
    if (!inputs.isEmpty())
        text += QLatin1Char('(') + inputs + QLatin1Char(')');
    if (!outputs.isEmpty())
        text += CRLF + QStringLiteral("RETURNS (") + outputs + QLatin1Char(')');
    return text + CRLF + QStringLiteral(" AS ") + CRLF + source;
}

} // namespace

QString BuildObjectDDL(const QString& name, TQvDatabase* database, int kind)
{
    if (kind != okTable && kind != okView && kind != okProcedure)
        return {};
    TQvQuery& query = *DM->Query();
    TQvDataSet& dataSet = *DM->IBDs();
    query.SetDatabase(database);
    DM->IBTran()->SetDefaultDatabase(database);
    if (dataSet.Active())
        dataSet.Close();
    dataSet.SetDatabase(database);
    TQvTransactionScope transaction(DM->IBTran());
    QString text;
    switch (kind) {
    case okTable: text = tableText(dataSet, query, database, name); break;
    case okView: text = viewText(dataSet, query, database, name); break;
    default: text = procedureText(dataSet, query, database, name); break;
    }
    transaction.Commit();
    return text;
}

void ShowObjectDDL(const QString& name, int n, int kind)
{
    auto preview = std::make_unique<TProcPreview>();
    ProcPreview = preview.get();
    const QString text = BuildObjectDDL(name, DBList->GetDatabase(n - 1), kind);
    preview->Memo()->SetText(text);
    preview->setWindowTitle(QStringLiteral("Object view"));
    qv::showModal(*preview);
}
