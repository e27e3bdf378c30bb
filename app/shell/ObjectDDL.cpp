#include "app/shell/ObjectDDL.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
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

// The type of a column on an implicit domain, as the table text writes it.
QString implicitDomainType(int type, int length, int scale)
{
    if (scale == 0) {
        switch (type) {
        case 7: return QStringLiteral("Smallint");
        case 8: return QStringLiteral("Integer");
        case 10: return QStringLiteral("Float");
        case 11: return QStringLiteral("Numeric");
        case 14: return QStringLiteral("Char(%1)").arg(length);
        case 27: return QStringLiteral("Double precision");
        case 35: return QStringLiteral("Date");
        case 37: return QStringLiteral("Varchar(%1)").arg(length);
        case 261: return QStringLiteral("Blob");
        case 9: return {};
        default:
            // Newer types are named as they are, never dropped.
            return FieldTypeToStr(type, length, scale);
        }
    }
    switch (type) {
    case 7:
    case 8: return QStringLiteral("Numeric(9,%1)").arg(-scale);
    case 10:
    case 11:
    case 27: return QStringLiteral("Numeric(15,%1)").arg(-scale);
    case 16: return FieldTypeToStr(type, length, scale);
    default: return {};
    }
}

// Server-generated constraint names begin with "INTEG_".
bool generatedName(const QString& constraintName)
{
    return constraintName.contains(QLatin1String("INTEG"));
}

QString tableText(TQvDataSet& dataSet, TQvQuery& query, TQvDatabase* database, const QString& name)
{
    const QString key = name.toUpper();
    QString text;
    {
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select a.rdb$relation_name,a.rdb$field_name,a.rdb$field_source,b.rdb$computed_source,"
                           "b.rdb$field_type,b.rdb$field_length,b.rdb$field_scale,a.rdb$default_source,"
                           "a.rdb$null_flag,c.rdb$description Table_description,a.rdb$Description field_description "
                           "from RDB$relation_Fields a,rdb$fields b,rdb$relations c where not (a.RDB$Field_Name "
                           "starting with \"RDB$\") and a.rdb$field_source=b.rdb$field_name and  a.rdb$base_field "
                           "is null and a.rdb$relation_name=c.rdb$relation_name and c.rdb$relation_name=")
                + QuotedLiteral(key) + QStringLiteral(" order by rdb$relation_name,RDB$FIELD_POSITION"));
        if (!rows.Eof()) {
            QString description = rows.Text(QStringLiteral("TABLE_DESCRIPTION"));
            if (!description.isEmpty()) {
                description.remove(QStringLiteral("/*"));
                description.remove(QStringLiteral("*/"));
                text = QStringLiteral("/* ") + description + QStringLiteral("  */") + CRLF;
            }
        }
        text += QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (");
        const int relation = rows.Column(QStringLiteral("RDB$RELATION_NAME"));
        const int field = rows.Column(QStringLiteral("RDB$FIELD_NAME"));
        const int source = rows.Column(QStringLiteral("RDB$FIELD_SOURCE"));
        const int computed = rows.Column(QStringLiteral("RDB$COMPUTED_SOURCE"));
        const int type = rows.Column(QStringLiteral("RDB$FIELD_TYPE"));
        const int length = rows.Column(QStringLiteral("RDB$FIELD_LENGTH"));
        const int scale = rows.Column(QStringLiteral("RDB$FIELD_SCALE"));
        const int defaultSource = rows.Column(QStringLiteral("RDB$DEFAULT_SOURCE"));
        const int nullFlag = rows.Column(QStringLiteral("RDB$NULL_FLAG"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(relation)) == key; rows.Next()) {
            QString line = QString(7, QLatin1Char(' ')) + StrTrimTrailingSpaces(rows.Text(field))
                + QLatin1Char(' ');
            const QString computedSource = rows.Text(computed);
            if (!computedSource.isEmpty()) {
                line += QStringLiteral("COMPUTED BY ") + computedSource;
            } else {
                const QString domain = rows.Text(source);
                if (domain.contains(QLatin1String("RDB$")))
                    line += implicitDomainType(rows.Integer(type), rows.Integer(length), rows.Integer(scale));
                else
                    line += StrTrimTrailingSpaces(domain);
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
                           "and rdb$relation_name=") + QuotedLiteral(key));
        if (!key1.Eof()) {
            indexName = key1.Text(QStringLiteral("RDB$INDEX_NAME")).trimmed();
            constraintName = key1.Text(QStringLiteral("RDB$CONSTRAINT_NAME")).trimmed();
        }
    }
    if (!indexName.isEmpty()) {
        QStringList columns;
        TCatalogQuery segments(query, database,
            QStringLiteral("select * from rdb$index_segments where rdb$index_name=") + QuotedLiteral(indexName)
                + QStringLiteral(" order by rdb$field_position"));
        for (const int column = segments.Column(QStringLiteral("RDB$FIELD_NAME")); !segments.Eof(); segments.Next())
            columns << StrTrimTrailingSpaces(segments.Text(column));
        const QString line = generatedName(constraintName)
            ? QStringLiteral("      PRIMARY KEY (") + columns.join(QLatin1Char(',')) + QLatin1Char(')')
            : QStringLiteral("      CONSTRAINT ") + constraintName + QStringLiteral(" PRIMARY KEY (")
                + columns.join(QLatin1Char(',')) + QLatin1Char(')');
        text += CRLF + line + QLatin1Char(',');
    }

    {
        // Ordered, so that the segments of one constraint come together and
        // in key order.
        TCatalogQuery unique(query, database,
            QStringLiteral("select * from rdb$relation_constraints a,rdb$index_segments b where a.rdb$relation_name=")
                + QuotedLiteral(key)
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
                : QStringLiteral("      CONSTRAINT ") + current + QStringLiteral(" UNIQUE (")
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
            columns << StrTrimTrailingSpaces(unique.Text(fieldColumn));
        }
        flush();
    }

    if (text.endsWith(QLatin1Char(',')))
        text.chop(1);
    return text + CRLF + QStringLiteral(");");
}

QString viewText(TQvDataSet& dataSet, TQvDatabase* database, const QString& name)
{
    const QString key = name.toUpper();
    QString source;
    {
        TCatalogQuery view(dataSet, database,
            QStringLiteral("select * from rdb$relations where rdb$relation_name=") + QuotedLiteral(key));
        if (!view.Eof()) {
            source = view.Text(QStringLiteral("RDB$VIEW_SOURCE"));
            source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            source.replace(QLatin1Char('\n'), CRLF);
        }
    }
    QStringList columns;
    {
        TCatalogQuery fields(dataSet, database,
            QStringLiteral("select * from rdb$relation_fields where rdb$relation_name=") + QuotedLiteral(key)
                + QStringLiteral(" order by rdb$field_position"));
        for (const int column = fields.Column(QStringLiteral("RDB$FIELD_NAME")); !fields.Eof(); fields.Next())
            columns << StrTrimTrailingSpaces(fields.Text(column));
    }
    return QStringLiteral("CREATE VIEW ") + name + QLatin1Char('(') + columns.join(QLatin1Char(','))
        + QLatin1Char(')') + CRLF + QStringLiteral("AS") + CRLF + source;
}

QString procedureText(TQvDataSet& dataSet, TQvDatabase* database, const QString& name)
{
    const QString key = name.toUpper();
    QString inputs;
    QString outputs;
    {
        TCatalogQuery rows(dataSet, database,
            QStringLiteral("select * from rdb$Procedure_parameters a,rdb$Fields b where "
                           "a.rdb$Field_source=b.rdb$field_name and a.rdb$procedure_name=")
                + QuotedLiteral(key)
                + QStringLiteral(" order by a.rdb$procedure_name,a.rdb$parameter_number "));
        const int procedure = rows.Column(QStringLiteral("RDB$PROCEDURE_NAME"));
        const int parameter = rows.Column(QStringLiteral("RDB$PARAMETER_NAME"));
        const int parameterType = rows.Column(QStringLiteral("RDB$PARAMETER_TYPE"));
        const int type = rows.Column(QStringLiteral("RDB$FIELD_TYPE"));
        const int length = rows.Column(QStringLiteral("RDB$FIELD_LENGTH"));
        const int scale = rows.Column(QStringLiteral("RDB$FIELD_SCALE"));
        // Both tables have a description; the parameter's comes first in the row.
        const int description = rows.Column(QStringLiteral("RDB$DESCRIPTION"));
        for (; !rows.Eof() && StrTrimTrailingSpaces(rows.Text(procedure)) == key; rows.Next()) {
            QString text = StrTrimTrailingSpaces(rows.Text(parameter)) + QLatin1Char(' ')
                + FieldTypeToStr(rows.Integer(type), rows.Integer(length), rows.Integer(scale));
            const QString comment = StrTrimTrailingSpaces(rows.Text(description));
            if (!comment.isEmpty())
                text += QStringLiteral(" /*") + comment + QStringLiteral("*/");
            if (rows.Integer(parameterType) == 0)
                inputs += QString(name.size() + 18, QLatin1Char(' ')) + text + QLatin1Char(',') + CRLF;
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
            QStringLiteral("SELECT * FROM rdb$procedures where rdb$procedure_name=") + QuotedLiteral(key));
        if (!proc.Eof())
            source = proc.Text(QStringLiteral("RDB$PROCEDURE_SOURCE"));
    }
    QString text = QStringLiteral("CREATE PROCEDURE ") + name;
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
    case okView: text = viewText(dataSet, database, name); break;
    default: text = procedureText(dataSet, database, name); break;
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
