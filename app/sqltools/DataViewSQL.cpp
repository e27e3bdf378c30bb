#include "app/sqltools/DataViewSQL.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "app/shell/CatalogQuery.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

bool IsParameterName(const QString& name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'$' || u == u'_' || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z')
               || (u >= u'A' && u <= u'Z');
    });
}

} // namespace

TDataViewStatements DataViewStatements(const QString& table, const QList<TDataViewColumn>& columns,
                                       const QList<TDataViewSortField>& order, bool readOnly, int dialect)
{
    const QString t = QvSql::Identifier(table, dialect);
    QStringList names, values, assignments, conditions;
    TQvParamSources current, old;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const TDataViewColumn& column = columns.at(i);
        if (!column.Writable)
            continue;
        const int field = column.Field >= 0 ? column.Field : int(i);
        const QString c = QvSql::Identifier(column.Name, dialect);
        const QString parameter =
            IsParameterName(column.Name) ? column.Name : QStringLiteral("COLUMN_%1").arg(field + 1);
        names << c;
        values << QLatin1Char('?') + parameter;
        assignments << c + QStringLiteral("=?") + parameter;
        conditions << c + QStringLiteral("=?old_") + parameter;
        current.push_back({field, false});
        old.push_back({field, true});
    }

    TDataViewStatements statements;
    // Without a column to write or to find the row by, no row can be changed or read again.
    const bool anyWritable = !names.isEmpty();
    if (!readOnly && anyWritable) {
        statements.Insert = QStringLiteral("INSERT INTO ") + t + QLatin1Char('(') + names.join(QLatin1Char(','))
                            + QLatin1Char(')') + QStringLiteral(" VALUES (") + values.join(QLatin1Char(','))
                            + QLatin1Char(')');
        statements.InsertSources = current;
        statements.Update = QStringLiteral("UPDATE ") + t + QStringLiteral(" SET ") + assignments.join(QLatin1Char(','))
                            + QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" and "));
        statements.UpdateSources = current;
        statements.UpdateSources.insert(statements.UpdateSources.end(), old.begin(), old.end());
        statements.Delete =
            QStringLiteral("DELETE FROM ") + t + QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" and "));
        statements.DeleteSources = old;
    }
    // The row as it stands after the change.
    if (anyWritable) {
        statements.Refresh =
            QStringLiteral("SELECT * from ") + t + QStringLiteral(" WHERE ") + assignments.join(QStringLiteral(" and "));
        statements.RefreshSources = current;
    }
    if (!order.isEmpty()) {
        QStringList entries;
        for (const TDataViewSortField& field : order)
            entries << QvSql::Identifier(field.Name, dialect) + (field.Descending ? QStringLiteral(" DESCENDING") : QString());
        statements.OrderText = QStringLiteral(" ORDER BY ") + entries.join(QLatin1Char(','));
    }
    statements.Select = QStringLiteral("SELECT * FROM ") + t + statements.OrderText;
    return statements;
}

QString DataViewOrderLabel(const QString& orderText)
{
    return orderText.isEmpty() ? QStringLiteral("ORDER BY:") : orderText;
}

QList<TDataViewColumn> DescribeDataViewColumns(TQvDatabase* database, TQvTransaction* transaction,
                                               const QString& table, const QString& select)
{
    QList<TDataViewColumn> columns;
    {
        TQvQuery query;
        query.SetDatabase(database);
        query.SetTransaction(transaction);
        query.SetSQLText(select);
        query.Prepare();
        const TQvXSQLDA& row = query.Current();
        for (int i = 0; i < row.Count(); ++i) {
            // Arrays have no field in the dataset: never shown, never written.
            if (row.Vars(i).SQLType() == SQL_ARRAY)
                continue;
            const XSQLVAR* var = row.Vars(i).Data();
            columns.append({database->TextCodec().decode(var->aliasname, std::clamp<int>(var->aliasname_length, 0, 32)),
                            true, i});
        }
    }
    TQvQuery catalog;
    catalog.SetTransaction(transaction);
    TCatalogQuery computed(
        catalog, database,
        QStringLiteral("select RF.RDB$FIELD_NAME from RDB$RELATION_FIELDS RF"
                       " join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
                       " where RF.RDB$RELATION_NAME = %1 and F.RDB$COMPUTED_BLR is not null")
            .arg(QvSql::SingleQuoted(table)));
    QSet<QString> computedNames;
    for (; !computed.Eof(); computed.Next())
        computedNames.insert(computed.Name(0));
    for (TDataViewColumn& column : columns)
        if (computedNames.contains(column.Name))
            column.Writable = false;
    return columns;
}
