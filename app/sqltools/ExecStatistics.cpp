#include "app/sqltools/ExecStatistics.h"

#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "components/StrUtils.h"

#include <QHash>

QString StatKindText(int kind)
{
    switch (kind) {
    case skSeqReads:
        return QStringLiteral("non-indexed");
    case skIdxReads:
        return QStringLiteral("indexed");
    case skInserts:
        return QStringLiteral("inserts");
    case skUpdates:
        return QStringLiteral("updates");
    case skDeletes:
        return QStringLiteral("deletes");
    }
    return QString::number(kind);
}

QStringList UniqueBarLabels(const QList<TStatBar>& bars, const QStringList& names)
{
    QHash<QString, int> uses;
    for (const QString& name : names)
        ++uses[name];
    QStringList labels;
    labels.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        QString label = names.at(i);
        if (uses.value(label) > 1 && i < bars.size())
            label += QStringLiteral(" (") + StatKindText(bars.at(i).Kind) + QLatin1Char(')');
        labels.append(label);
    }
    // Two different tables never share a name, but keep the axis sound even so.
    QHash<QString, int> seen;
    for (QString& label : labels) {
        const int n = seen[label]++;
        if (n > 0)
            label += QStringLiteral(" #") + QString::number(n + 1);
    }
    return labels;
}

QString RelationName(TQvDatabase& database, int relationId)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLText(QStringLiteral("select rdb$relation_name from rdb$relations where rdb$relation_id=")
                     + QString::number(relationId));
    TQvTransactionScope scope(transaction);
    query.ExecQuery();
    QString name;
    if (!query.Eof())
        name = StrTrimTrailingSpaces(query.FieldByName(QStringLiteral("rdb$relation_name")).AsString());
    query.Close();
    scope.Commit();
    return name.isEmpty() ? QStringLiteral("#") + QString::number(relationId) : name;
}
