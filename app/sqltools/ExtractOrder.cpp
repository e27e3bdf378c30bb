#include "app/sqltools/ExtractOrder.h"

#include <algorithm>
#include <set>

QStringList DependencyOrder(QStringList names, const QHash<QString, QSet<QString>>& dependsOn)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const QSet<QString> present(names.cbegin(), names.cend());

    QHash<QString, int> waiting;
    QHash<QString, QStringList> dependents;
    for (const QString& name : names) {
        int count = 0;
        for (const QString& needed : dependsOn.value(name)) {
            if (needed == name || !present.contains(needed))
                continue;
            ++count;
            dependents[needed].append(name);
        }
        waiting.insert(name, count);
    }

    std::set<QString> ready;
    for (const QString& name : names)
        if (waiting.value(name) == 0)
            ready.insert(name);
    QStringList order;
    order.reserve(names.size());
    while (!ready.empty()) {
        const QString name = *ready.begin();
        ready.erase(ready.begin());
        order.append(name);
        for (const QString& dependent : dependents.value(name))
            if (--waiting[dependent] == 0)
                ready.insert(dependent);
    }
    if (order.size() < names.size()) {
        const QSet<QString> done(order.cbegin(), order.cend());
        for (const QString& name : names)
            if (!done.contains(name))
                order.append(name);
    }
    return order;
}

bool NaturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            const QString numberA = a.mid(i, endA - i);
            const QString numberB = b.mid(j, endB - j);
            // Leading zeros aside, the longer run is the larger number.
            qsizetype startA = 0;
            qsizetype startB = 0;
            while (startA + 1 < numberA.size() && numberA.at(startA) == u'0')
                ++startA;
            while (startB + 1 < numberB.size() && numberB.at(startB) == u'0')
                ++startB;
            const QString valueA = numberA.sliced(startA);
            const QString valueB = numberB.sliced(startB);
            if (valueA.size() != valueB.size())
                return valueA.size() < valueB.size();
            if (valueA != valueB)
                return valueA < valueB;
            i = endA;
            j = endB;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
