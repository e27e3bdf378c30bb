#pragma once

// Orders in which an extracted script creates, drops and fills objects.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Names ordered so that each comes after the names it depends on; among
// names free to go, plain character-code order. A name's dependencies on
// itself or on names not in the list are ignored; names caught in a cycle
// follow the others in name order.
QStringList DependencyOrder(QStringList names, const QHash<QString, QSet<QString>>& dependsOn);

// The same with an order of preference: of the names free to go, the first
// in `preferred` goes next, so the list comes back as it is whenever it
// already puts each name after what it needs. Names caught in a cycle follow
// the others in that order; `complete`, when given, says whether none were.
QStringList PreferredDependencyOrder(const QStringList& preferred, const QHash<QString, QSet<QString>>& dependsOn,
                                     bool* complete = nullptr);

// Character-code order, except that runs of digits compare by their value:
// INTEG_9 before INTEG_10, as the server numbered them.
bool NaturalLess(const QString& a, const QString& b);
