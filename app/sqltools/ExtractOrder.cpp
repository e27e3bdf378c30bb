#include "app/sqltools/ExtractOrder.h"

#include <algorithm>
#include <set>
#include <vector>

QStringList DependencyOrder(QStringList names, const QHash<QString, QSet<QString>>& dependsOn)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return PreferredDependencyOrder(names, dependsOn);
}

QStringList PreferredDependencyOrder(const QStringList& preferred, const QHash<QString, QSet<QString>>& dependsOn,
                                     bool* complete)
{
    QHash<QString, qsizetype> rank;
    QStringList names;
    for (const QString& name : preferred)
        if (!rank.contains(name)) {
            rank.insert(name, names.size());
            names << name;
        }

    std::vector<int> waiting(std::size_t(names.size()), 0);
    std::vector<std::vector<qsizetype>> dependents(std::size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        for (const QString& needed : dependsOn.value(names.at(i))) {
            const auto found = rank.constFind(needed);
            if (found == rank.cend() || *found == i)
                continue;
            ++waiting[std::size_t(i)];
            dependents[std::size_t(*found)].push_back(i);
        }
    }

    std::set<qsizetype> ready;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (waiting[std::size_t(i)] == 0)
            ready.insert(i);
    QStringList order;
    order.reserve(names.size());
    std::vector<bool> done(std::size_t(names.size()), false);
    while (!ready.empty()) {
        const qsizetype i = *ready.begin();
        ready.erase(ready.begin());
        order.append(names.at(i));
        done[std::size_t(i)] = true;
        for (const qsizetype dependent : dependents[std::size_t(i)])
            if (--waiting[std::size_t(dependent)] == 0)
                ready.insert(dependent);
    }
    if (complete)
        *complete = order.size() == names.size();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!done[std::size_t(i)])
            order.append(names.at(i));
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
