#pragma once

// What the extraction writers need to name a column's type exactly: the
// type facts of an RDB$FIELDS row, and the database's character sets,
// collations and array bounds, read once per run.

#include "access/QvTypeCatalog.h"

#include <QHash>
#include <QPair>
#include <QString>

class TCatalogQuery;
class TQvDatabase;
class TQvTransaction;

// The type of a field as RDB$FIELDS keeps it; -1 where the row holds null.
struct TFieldType
{
    int type = 0;
    int subType = 0;
    int length = 0;
    int scale = 0;
    int precision = 0;
    int characterLength = -1;
    int characterSet = -1;
    int collation = -1;
    int segmentLength = 0;
    int dimensions = 0;
    QString fieldName;
    int systemFlag = 0;

    bool IsText() const { return type == 14 || type == 37 || type == 40 || (type == 261 && subType == 1); }
    // The domain the server made for one column or parameter's own type: a
    // declaration writes the type, not the domain. Firebird's own domains
    // ("RDB$PID", ...) are named.
    bool IsImplicitDomain() const { return QvTypes::IsImplicitDomain(fieldName); }
};

// The select-list items that read a TFieldType from the RDB$FIELDS row of
// `alias`, under names of their own so that joins cannot shadow them.
QString FieldTypeColumns(const QString& alias);

// Finds those items in a select once, then reads them row by row.
class TFieldTypeReader
{
public:
    explicit TFieldTypeReader(const TCatalogQuery& rows);
    TFieldType Read(const TCatalogQuery& rows) const;

private:
    int m_type, m_subType, m_length, m_scale, m_precision, m_characterLength, m_characterSet, m_collation,
        m_segmentLength, m_dimensions, m_fieldName, m_systemFlag;
};

class TExtractCatalog
{
public:
    // Reads the character sets, collations and array bounds in the
    // transaction, which must be active.
    TExtractCatalog(TQvDatabase& database, TQvTransaction& transaction, int dialect);

    int DefaultCharacterSet() const { return m_defaultCharacterSet; }
    QString CharacterSetName(int id) const { return m_characterSets.value(id); }

    // The type as a column or domain declares it in the database's dialect:
    // scaled numbers with their stored precision, text lengths in
    // characters, array bounds, a blob's segment size when it is not the
    // default, and " CHARACTER SET x" when a text's set is not the
    // database's own. A type it cannot name raises QvTypes::EUnknownType
    // naming what has it: the extraction stops, and writes nothing.
    QString TypeText(const TFieldType& field, const QString& what) const;
    // " COLLATE x" for a collation other than its set's default, else "".
    QString CollateClause(int characterSet, int collation) const;
    // " COLLATE x" for any collation of the set, its default one included
    // (a column naming it over its domain's other collation), else "".
    QString ExplicitCollateClause(int characterSet, int collation) const;

private:
    int m_dialect;
    int m_defaultCharacterSet = 0;
    QHash<int, QString> m_characterSets;
    QHash<QPair<int, int>, QString> m_collations;
    QHash<QString, QString> m_arrayBounds;
};
