#pragma once

// Reading a type's facts for the type catalog from the system tables: the
// select-list items to add to a select that joins RDB$FIELDS, and the reader
// that turns each row into QvTypes::TTypeFacts. Character set and collation
// come as names, only when they differ from the database's default set and
// the set's default collation, so the type text names exactly what a
// declaration without them would not give.

#include "access/QvTypeCatalog.h"

#include <QString>

class TCatalogQuery;

// The items for the RDB$FIELDS row `field` (an alias). `collationId`, when
// given, is the column holding the collation of the column or parameter
// itself (it overrides the field's).
QString TypeFactColumns(const QString& field, const QString& collationId = QString());

class TTypeFactReader
{
public:
    // Finds the items in the select once.
    explicit TTypeFactReader(const TCatalogQuery& rows);
    QvTypes::TTypeFacts Read(const TCatalogQuery& rows) const;

private:
    int m_type, m_subType, m_length, m_scale, m_precision, m_characterLength, m_bytesPerChar, m_characterSet,
        m_collation, m_segment, m_bounds;
};
