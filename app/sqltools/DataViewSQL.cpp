#include "app/sqltools/DataViewSQL.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "app/shell/CatalogQuery.h"

#include <QSet>

#include <algorithm>

namespace {

bool IsParameterCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'$' || u == u'_' || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

QString ChopEnd(QString text, const QString& tail)
{
    if (text.endsWith(tail))
        text.chop(tail.size());
    return text;
}

} // namespace

TDataViewStatements DataViewStatements(const QString& table, const QList<TDataViewColumn>& columns,
                                       const QList<TDataViewSortField>& order, bool readOnly, int dialect)
{
    const QString t = QvSql::Identifier(table, dialect);
    QString names, values, assignments, conditions;
    for (const TDataViewColumn& column : columns) {
        if (!column.Writable)
            continue;
        const QString c = QvSql::Identifier(column.Name, dialect);
        names += c + QLatin1Char(',');
        values += QLatin1Char('?') + column.Name + QLatin1Char(',');
        assignments += c + QStringLiteral("=?") + column.Name + QLatin1Char(',');
        conditions += c + QStringLiteral("=?old_") + column.Name + QStringLiteral(" and ");
    }
    names = ChopEnd(names, QStringLiteral(","));
    values = ChopEnd(values, QStringLiteral(","));
    assignments = ChopEnd(assignments, QStringLiteral(","));
    conditions = ChopEnd(conditions, QStringLiteral(" and "));

    TDataViewStatements statements;
    // Without a column to write or to find the row by, no row can be changed or read again.
    const bool anyWritable = !names.isEmpty();
    if (!readOnly && anyWritable) {
        statements.Insert = QStringLiteral("INSERT INTO ") + t + QLatin1Char('(') + names + QLatin1Char(')')
                            + QStringLiteral(" VALUES (") + values + QLatin1Char(')');
        statements.Update = QStringLiteral("UPDATE ") + t + QStringLiteral(" SET ") + assignments
                            + QStringLiteral(" WHERE ") + conditions;
        statements.Delete = QStringLiteral("DELETE FROM ") + t + QStringLiteral(" WHERE ") + conditions;
    }
    // Every "," of the assignments, even one inside a quoted name: the
    // refresh then finds nothing and the row keeps its cached values.
    if (anyWritable)
        statements.Refresh = QStringLiteral("SELECT * from ") + t + QStringLiteral(" WHERE ")
                             + QString(assignments).replace(QLatin1Char(','), QStringLiteral(" and "));
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

bool ColumnsMakeParameters(const QList<TDataViewColumn>& columns, QString* reason)
{
    QSet<QString> seen;
    for (const TDataViewColumn& column : columns) {
        if (!column.Writable)
            continue;
        const bool named = !column.Name.isEmpty()
                           && std::all_of(column.Name.begin(), column.Name.end(), IsParameterCharacter);
        const QString upper = column.Name.toUpper();
        if (!named || seen.contains(upper)) {
            if (reason)
                *reason = named ? QStringLiteral("two columns are named \"%1\" but for case").arg(column.Name)
                                : QStringLiteral("the column \"%1\" cannot be named by a parameter").arg(column.Name);
            return false;
        }
        seen.insert(upper);
    }
    return true;
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
            columns.append({QString::fromUtf8(var->aliasname, std::clamp<int>(var->aliasname_length, 0, 32)), true});
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
