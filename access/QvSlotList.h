#pragma once

// The registration lists of the access layer: a database's transactions and
// linked SQL objects, a transaction's databases and linked SQL objects.

#include <QList>

#include <utility>

// Entries keep their index while they are registered, because the objects
// hold it to remove themselves later: a removed entry leaves an empty slot
// that the next registration reuses.
template <typename T>
class TQvSlotList
{
public:
    // Fills the first empty slot, or a new one at the end, and gives its index.
    int Add(T* item)
    {
        const int empty = int(m_slots.indexOf(nullptr));
        if (empty >= 0) {
            m_slots[empty] = item;
            return empty;
        }
        m_slots.append(item);
        return int(m_slots.size()) - 1;
    }

    // Index of the item; -1 for nullptr or an item not in the list.
    int Find(const T* item) const { return item ? int(m_slots.indexOf(item)) : -1; }

    // The entry at index; nullptr for an empty slot or an index out of range.
    T* At(int index) const { return index >= 0 && index < m_slots.size() ? m_slots.at(index) : nullptr; }

    // Empties the slot and gives what it held; nullptr when it held nothing or
    // the index is out of range.
    T* Take(int index)
    {
        if (index < 0 || index >= m_slots.size())
            return nullptr;
        return std::exchange(m_slots[index], nullptr);
    }

    // Registered entries, empty slots left out.
    int Count() const { return int(m_slots.size() - m_slots.count(nullptr)); }
    // Slots, empty ones included: the bound for walking indexes.
    int SlotCount() const { return int(m_slots.size()); }

    // Calls visit for each entry. It walks by index, reading each slot as it
    // comes, so a visit may remove entries or register new ones.
    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        for (int i = 0; i < m_slots.size(); ++i)
            if (T* item = m_slots.at(i))
                visit(item);
    }

private:
    QList<T*> m_slots;
};
