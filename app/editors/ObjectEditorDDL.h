#pragma once

// The statements the domain, generator and exception editors send. Plain
// functions: the windows only collect what was typed. Names and literals are
// spelled for the database's SQL dialect.

#include <QString>

// The types the domain editor offers, in the order of its list.
enum TDomainType : int {
    dtSmallint,
    dtInteger,
    dtNumeric,
    dtDoublePrecision,
    dtChar,
    dtVarchar,
    dtDate,
};

// Their names as the list shows them and the statements write them.
QString DomainTypeName(int type);
// The list index of a type text's name ("Numeric(9,2)" -> dtNumeric), -1
// for a type the list does not offer.
int DomainTypeIndex(const QString& typeText);

// A domain as the editor holds it.
struct TDomainDefinition
{
    QString Name;
    // The type's name, the list's or (for an existing domain) as read.
    QString TypeName;
    int Size = 0;                 // Char, Varchar
    int Precision = 0;            // Numeric
    int Scale = 0;                // Numeric
    QString Default;              // as typed; empty for none
    bool NotNull = false;
    bool Check = false;
    QString CheckText;
};

// The default as the statement writes it: a number as typed (with "." as its
// decimal separator), a text or a date between single quotes (a date in ISO
// form), "NOW" between single quotes, and the keywords NULL and USER as
// keywords. Outside number types, a value typed as SQL (a quoted or
// introduced literal, X'...', a context value such as CURRENT_USER) stands
// as typed. A number or date that does not read as one raises EConvertError.
QString DomainDefaultValue(const QString& typeName, const QString& text);

// "CREATE DOMAIN name AS type[(size)|(precision,scale)][ DEFAULT v ][ NOT NULL ][ CHECK (c)]"
QString CreateDomainStatement(const TDomainDefinition& domain, int dialect);

// The ALTER DOMAIN for an existing domain whose loaded default and check
// were oldDefault and oldCheck (empty: none). A default equal to the loaded
// one is left as the server keeps it. Empty when there is nothing to change,
// so that no statement is sent.
QString AlterDomainStatement(const TDomainDefinition& domain, const QString& oldDefault, const QString& oldCheck,
                             int dialect);

// Generators.
QString CreateGeneratorStatement(const QString& name, int dialect);
// valueText: an integer written in digits.
QString SetGeneratorStatement(const QString& name, const QString& valueText, int dialect);
QString GeneratorValueSelect(const QString& name, int dialect);

// "create exception E  'text'" (dialect 1: "text"); alter when not isNew.
QString ExceptionStatement(bool isNew, const QString& name, const QString& message, int dialect);

// Views. An existing view is saved with ALTER VIEW, which replaces its text
// and keeps its grants and the objects that depend on it; dropping and
// creating it again would lose both.
struct TViewText
{
    // The stored name of the view the text defines; empty when the text is
    // no CREATE, ALTER, CREATE OR ALTER or RECREATE VIEW.
    QString Name;
    // The text as ALTER VIEW: a leading CREATE or RECREATE becomes ALTER,
    // CREATE OR ALTER and ALTER stand as written, the rest is kept as typed.
    QString AlterStatement;
};
TViewText ReadViewText(const QString& text, int dialect);
