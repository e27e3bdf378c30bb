#pragma once

// Free routines and constant tables shared by the tree, the editors and the
// SQL tools: column type texts, checks of names and type texts typed by the
// user, and a search for a word outside comments.

#include <QList>
#include <QPair>
#include <QString>
#include <array>

// The tree's categories, in the order they are shown; every window
// recognises a category node by these texts.
inline constexpr int CategoryCount = 8;
extern const std::array<QString, CategoryCount> CategoryNames;

// Built-in function names (the last two entries are empty).
extern const std::array<QString, 10> SQLFunctionNames;

// Kinds of object shown by ShowObjectDDL and kept as link words.
enum ObjectKind : int { okTable = 1, okView = 2, okProcedure = 3 };

// The SQL type text of a column from its RDB$FIELD_TYPE, length and scale,
// as the database's SQL dialect spells it, so that DDL written with it makes
// the same type again. Dialect 1 names the old types as the old server did
// ("Date" is its date and time); dialect 3 names them as Firebird 3 does:
// "Date", "Time", "Timestamp", "Bigint", "Boolean", "Numeric(18,4)" and any
// scaled integer as a Numeric. Lengths are in bytes as the system tables
// hold them; bytesPerChar (of the column's character set) turns Char and
// Varchar lengths into characters. A blob with a subType other than 0 (1 is
// text) is "Blob sub_type n". The type catalog's text (access/QvTypeCatalog.h)
// for these facts alone: readers that have the declared precision, character
// set and collation give them to QvTypes::TypeText instead. A type code it has
// no name for raises QvTypes::EUnknownType, its message naming what.
QString FieldTypeToStr(int fieldType, int length, int scale, int dialect, int bytesPerChar = 1, int subType = 0,
                       const QString& what = QString());

// The bounds of an array, as an array column's type text ends:
// {{1, 4}} gives "[1:4]", {{1, 4}, {0, 2}} "[1:4, 0:2]".
QString ArrayBoundsToStr(const QList<QPair<int, int>>& bounds);

// A name the user typed, for a database of that SQL dialect, by the one
// name rule (QvSql::CheckTypedName): "" passes (nothing typed yet).
bool IsValidIdentifier(const QString& name, int dialect);
// Why a typed name cannot be saved, "" when it can: a double quote, the
// name, a double quote and the window's refusal (" is not valid procedure
// name") for a text that is no name; for a name the dialect cannot write,
// which name and why.
QString NameRefusal(const QString& name, int dialect, const QString& refusal);
// The same for the name of an object being created: an empty one is refused too.
QString NewNameRefusal(const QString& name, int dialect, const QString& refusal);
// IsValidIdentifier, telling the user when the name is refused.
bool CheckIdentifier(const QString& name, int dialect);
// Checks a type text typed by the user; tells the user when it is refused.
// Whether a type text names a type a column, parameter or variable can have
// ("" counts as valid: nothing typed yet).
bool IsValidTypeText(const QString& typeText);
bool CheckTypeName(const QString& typeText);
// A table name as typed: not empty, and valid by the one name rule.
bool IsValidTableName(const QString& name, int dialect);

// Type names spelt as FieldTypeToStr and the type lists spell them, without
// a size or precision.
bool IsQuotedType(const QString& typeName);
bool IsIntegerType(const QString& typeName);
bool IsFloatType(const QString& typeName);
bool IsNumberType(const QString& typeName);
bool IsSQLFunctionName(const QString& word);

// 1-based position of the first whole-word occurrence of word in text that
// lies outside /* */ and -- comments, or 0.
int PosOutsideComment(const QString& word, const QString& text);
