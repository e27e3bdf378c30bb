#pragma once

// Type names and type texts in one table: the text a column, parameter,
// domain or variable is declared with, from the facts the system tables keep
// for it, spelled for the database's SQL dialect; the names the editors'
// pick lists offer; and the check of a type text a user typed. A text made
// here and written back makes the same type again.

#include "platform/db/DatabaseError.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace QvTypes {

// A type code the catalog has no name for: Firebird 3 never makes D_FLOAT
// (11) or QUAD (9), and any other code is no column type. Never written as
// another type: DDL saved back with a wrong name would change the column.
class EUnknownType : public EDatabaseError
{
public:
    // what: what has the type ("Column C of table T"), for the message.
    EUnknownType(int type, const QString& what);
    int Type() const { return m_type; }

private:
    int m_type;
};

// What RDB$FIELDS (and the parameter or column row beside it) keeps about a type.
struct TTypeFacts
{
    int Type = 0;               // RDB$FIELD_TYPE
    int SubType = 0;            // 1 NUMERIC, 2 DECIMAL on integers; a blob's sub-type
    int Length = 0;             // bytes
    int Scale = 0;              // <= 0
    int Precision = 0;          // declared digits; 0 when not kept
    int CharacterLength = -1;   // characters; -1 when not kept (then Length / BytesPerChar)
    int BytesPerChar = 1;
    QString CharacterSet;       // stored name, written when not empty: a set other than the database's default
    QString Collation;          // stored name, written when not empty: not its set's default collation
    int SegmentLength = 0;      // a blob's; 0 or 80 is the default
    QList<QPair<int, int>> Bounds; // an array's dimensions, lower and upper
};

// The declaration's type: "Decimal(12,2)", "Varchar(10)", "Blob sub_type 1",
// with " SEGMENT SIZE n", the bounds ("[1:4, 0:2]"), " CHARACTER SET x" and
// " COLLATE y" where the facts have them. An integer with a scale or a
// NUMERIC/DECIMAL sub-type keeps its declared precision and kind; without a
// kept precision it is a Numeric at its storage's precision (a scaled
// Smallint stays "Smallint" in dialect 1, which never declared one).
// Raises EUnknownType for a type code it has no name for, its message
// naming what (the column, parameter or domain that has the type).
QString TypeText(const TTypeFacts& facts, int dialect, const QString& what = QString());

// The bounds as a type text writes them: {{1, 4}, {0, 2}} gives "[1:4, 0:2]".
QString BoundsText(const QList<QPair<int, int>>& bounds);

// The names the pick lists offer, in the lists' order.
enum TPickList {
    plParameter,      // procedure parameters and variables
    plVariable,       // trigger variables: with Blob
    plColumn,         // table columns
    plExternalFunction,
    plDomain,
};
QStringList PickList(TPickList list, int dialect);

// Kinds of a type name without its size ("Varchar", "Numeric"), letter case aside.
bool IsTypeName(const QString& name);
bool IsTextType(const QString& name);       // Char, Varchar, Cstring
bool IsIntegerType(const QString& name);    // Smallint, Integer, Bigint
bool IsNumberType(const QString& name);     // those, Numeric, Decimal, Float, Double precision

// A type text a column, parameter or variable can have, as TypeText makes
// them and users type them ("" counts: nothing typed yet).
bool IsValidTypeText(const QString& text);

// True for the domain the server made for one column's or parameter's own
// type: "RDB$" and digits, the server's own naming rule (a user's domain can
// never begin with "RDB$"; the system's own, "RDB$PID" and the like, are
// named). Its type is written out, not its name.
bool IsImplicitDomain(const QString& fieldSource);

} // namespace QvTypes
