#include "app/shell/ObjectDDL.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/CatalogTypes.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/MyConst.h"
#include "app/shell/ProcPreview.h"
#include "access/QvTransactionScope.h"
#include "components/StrUtils.h"
#include "editor/qeCustomEdit.h"
#include "platform/Dialogs.h"

#include <memory>
#include <vector>

namespace {

const QString CRLF = QStringLiteral("\r\n");

// A description as a comment of its own line, which nothing it holds can end.
QString descriptionLine(const QString& description)
{
    return QStringLiteral("/* ") + QvSql::CommentText(description) + QStringLiteral("  */") + CRLF;
}

// Names as the texts write them and as the system tables keep them.
class CatalogNames
{
public:
    CatalogNames(TQvQuery& query, TQvDatabase* database)
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

    // The object as its CREATE names it: a dialect-1 text names it as passed in.
    QString ObjectName(const QString& key, const QString& passed) const
    {
        return m_dialect == 3 ? Name(key) : passed;
    }

private:
    TQvQuery& m_query;
    TQvDatabase* m_database;
    int m_dialect;
};

// One line of a table's column and constraint list, with the description
// that follows its comma.
struct TableItem
{
    QString Line;
    QString Description;
};

QString tableText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogNames names(query, database);
    const QString key = names.StoredName("rdb$relations", "rdb$relation_name", name);
    QString tableDescription;
    std::vector<TableItem> items;
    {
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select a.rdb$relation_name,a.rdb$field_name,a.rdb$field_source,b.rdb$computed_source,"
                           "b.rdb$field_type,b.rdb$field_length,b.rdb$field_scale,a.rdb$default_source,"
                           "a.rdb$null_flag,c.rdb$description Table_description,a.rdb$Description field_description,")
                + TypeFactColumns(QStringLiteral("b"), QStringLiteral("a.rdb$collation_id"))
                + QStringLiteral(" from RDB$relation_Fields a,rdb$fields b,rdb$relations c where "
                                 "a.rdb$field_source=b.rdb$field_name and  a.rdb$base_field "
                                 "is null and a.rdb$relation_name=c.rdb$relation_name and c.rdb$relation_name=")
                + QvSql::SingleQuoted(key) + QStringLiteral(" order by rdb$relation_name,RDB$FIELD_POSITION"));
        if (!rows.Eof())
            tableDescription = rows.Text(QStringLiteral("TABLE_DESCRIPTION"));
        const TTypeFactReader types(rows);
        const int relation = rows.Column(QStringLiteral("RDB$RELATION_NAME"));
        const int field = rows.Column(QStringLiteral("RDB$FIELD_NAME"));
        const int source = rows.Column(QStringLiteral("RDB$FIELD_SOURCE"));
        const int computed = rows.Column(QStringLiteral("RDB$COMPUTED_SOURCE"));
        const int defaultSource = rows.Column(QStringLiteral("RDB$DEFAULT_SOURCE"));
        const int nullFlag = rows.Column(QStringLiteral("RDB$NULL_FLAG"));
        const int fieldDescription = rows.Column(QStringLiteral("FIELD_DESCRIPTION"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(relation)) == key; rows.Next()) {
            QString line = QString(7, QLatin1Char(' ')) + names.Name(StrTrimTrailingSpaces(rows.Text(field)))
                + QLatin1Char(' ');
            const QString computedSource = rows.Text(computed);
            if (!computedSource.isEmpty()) {
                line += QStringLiteral("COMPUTED BY ") + QvSql::Fragment(computedSource);
            } else {
                const QString domain = StrTrimTrailingSpaces(rows.Text(source));
                // A column of an implicit domain declares its type.
                line += QvTypes::IsImplicitDomain(domain)
                    ? QvTypes::TypeText(types.Read(rows), names.Dialect(),
                                        QStringLiteral("Column %1 of table %2")
                                            .arg(StrTrimTrailingSpaces(rows.Text(field)), key))
                    : names.Name(domain);
                const QString defaultText = rows.Text(defaultSource).trimmed();
                if (!defaultText.isEmpty())
                    line += QLatin1Char(' ') + QvSql::Fragment(defaultText);
                if (rows.Integer(nullFlag) == 1)
                    line += QStringLiteral(" NOT NULL");
            }
            items.push_back({line, rows.Text(fieldDescription)});
        }
    }

    QString indexName;
    QString constraintName;
    {
        TCatalogQuery key1(query, database,
            QStringLiteral("select * from rdb$relation_constraints WHERE rdb$constraint_type='PRIMARY KEY' "
                           "and rdb$relation_name=") + QvSql::SingleQuoted(key));
        if (!key1.Eof()) {
            indexName = StrTrimTrailingSpaces(key1.Text(QStringLiteral("RDB$INDEX_NAME")));
            constraintName = StrTrimTrailingSpaces(key1.Text(QStringLiteral("RDB$CONSTRAINT_NAME")));
        }
    }
    if (!indexName.isEmpty()) {
        QStringList columns;
        TCatalogQuery segments(query, database,
            QStringLiteral("select * from rdb$index_segments where rdb$index_name=") + QvSql::SingleQuoted(indexName)
                + QStringLiteral(" order by rdb$field_position"));
        for (const int column = segments.Column(QStringLiteral("RDB$FIELD_NAME")); !segments.Eof(); segments.Next())
            columns << names.Name(StrTrimTrailingSpaces(segments.Text(column)));
        items.push_back({QvSql::IsServerConstraintName(constraintName)
                             ? QStringLiteral("      PRIMARY KEY (") + columns.join(QLatin1Char(',')) + QLatin1Char(')')
                             : QStringLiteral("      CONSTRAINT ") + names.Name(constraintName)
                                 + QStringLiteral(" PRIMARY KEY (") + columns.join(QLatin1Char(',')) + QLatin1Char(')'),
                         {}});
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
            items.push_back({QvSql::IsServerConstraintName(current)
                                 ? QStringLiteral("      UNIQUE (") + columns.join(QLatin1Char(',')) + QLatin1Char(')')
                                 : QStringLiteral("      CONSTRAINT ") + names.Name(current) + QStringLiteral(" UNIQUE (")
                                     + columns.join(QLatin1Char(',')) + QLatin1Char(')'),
                             {}});
            columns.clear();
        };
        for (; !unique.Eof(); unique.Next()) {
            const QString constraint = StrTrimTrailingSpaces(unique.Text(nameColumn));
            if (constraint != current) {
                flush();
                current = constraint;
            }
            columns << names.Name(StrTrimTrailingSpaces(unique.Text(fieldColumn)));
        }
        flush();
    }

    QString text = tableDescription.isEmpty() ? QString() : descriptionLine(tableDescription);
    text += QStringLiteral("CREATE TABLE ") + names.ObjectName(key, name) + QStringLiteral(" (");
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += CRLF + items[i].Line;
        if (i + 1 < items.size())
            text += QLatin1Char(',');
        if (!items[i].Description.isEmpty())
            text += QString(10, QLatin1Char(' ')) + QStringLiteral("/* ") + QvSql::CommentText(items[i].Description)
                + QStringLiteral(" */");
    }
    return text + CRLF + QStringLiteral(");");
}

QString viewText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogNames names(query, database);
    const QString key = names.StoredName("rdb$relations", "rdb$relation_name", name);
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
            columns << names.Name(StrTrimTrailingSpaces(fields.Text(column)));
    }
    return QStringLiteral("CREATE VIEW ") + names.ObjectName(key, name) + QLatin1Char('(')
        + columns.join(QLatin1Char(',')) + QLatin1Char(')') + CRLF + QStringLiteral("AS") + CRLF + source;
}

QString procedureText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    CatalogNames names(query, database);
    const QString key = names.StoredName("rdb$procedures", "rdb$procedure_name", name);
    const QString shownName = names.ObjectName(key, name);
    QString inputs;
    QString outputs;
    {
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select a.rdb$procedure_name,a.rdb$parameter_name,a.rdb$parameter_type,a.rdb$description,")
                + TypeFactColumns(QStringLiteral("b"), QStringLiteral("a.rdb$collation_id"))
                + QStringLiteral(" from rdb$Procedure_parameters a,rdb$Fields b where "
                                 "a.rdb$Field_source=b.rdb$field_name and a.rdb$package_name is null and "
                                 "a.rdb$procedure_name=")
                + QvSql::SingleQuoted(key)
                + QStringLiteral(" order by a.rdb$procedure_name,a.rdb$parameter_number "));
        const TTypeFactReader types(rows);
        const int procedure = rows.Column(QStringLiteral("RDB$PROCEDURE_NAME"));
        const int parameter = rows.Column(QStringLiteral("RDB$PARAMETER_NAME"));
        const int parameterType = rows.Column(QStringLiteral("RDB$PARAMETER_TYPE"));
        const int description = rows.Column(QStringLiteral("RDB$DESCRIPTION"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(procedure)) == key; rows.Next()) {
            const QString parameterName = StrTrimTrailingSpaces(rows.Text(parameter));
            QString text = names.Name(parameterName) + QLatin1Char(' ')
                + QvTypes::TypeText(types.Read(rows), names.Dialect(),
                                   QStringLiteral("Parameter %1 of procedure %2").arg(parameterName, key));
            const QString comment = StrTrimTrailingSpaces(rows.Text(description));
            if (!comment.isEmpty())
                text += QStringLiteral(" /*") + QvSql::CommentText(comment) + QStringLiteral("*/");
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
    QString procedureDescription;
    {
        TCatalogQuery proc(dataSet, database,
            QStringLiteral("SELECT * FROM rdb$procedures where rdb$package_name is null and rdb$procedure_name=")
                + QvSql::SingleQuoted(key));
        if (!proc.Eof()) {
            source = proc.Text(QStringLiteral("RDB$PROCEDURE_SOURCE"));
            procedureDescription = proc.Text(QStringLiteral("RDB$DESCRIPTION"));
        }
    }
    QString text = procedureDescription.isEmpty() ? QString() : descriptionLine(procedureDescription);
    text += QStringLiteral("CREATE PROCEDURE ") + shownName;
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
