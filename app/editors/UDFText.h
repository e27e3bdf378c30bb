#pragma once

// The statements of the external-function editor and what it reads back
// from the catalog, without a window: the DECLARE and DROP texts, the check
// of a typed type text, and the stored declaration of a function.

#include <QString>
#include <QStringList>

class TQvDatabase;

// What a DECLARE EXTERNAL FUNCTION statement says.
struct TUDFDeclaration
{
    QString Name;
    QStringList Arguments;   // type texts, in argument order
    QString ReturnType;
    bool ByValue = true;     // the result is returned by value (not for a CSTRING)
    bool FreeIt = false;
    QString EntryPoint;
    QString ModuleName;
};

// "DECLARE EXTERNAL FUNCTION name types RETURNS type  BY VALUE  FREE_IT
// ENTRY_POINT '...' MODULE_NAME '...';" with the name spelled for the dialect
// and the entry and module names quoted.
QString DeclareExternalFunctionText(const TUDFDeclaration& declaration, int dialect);
QString DropExternalFunctionText(const QString& name, int dialect);

// A type text the declaration may carry: words, digits, blanks, brackets
// and commas only, so a typed text can never end the statement or open a
// literal or a comment.
bool IsAcceptableTypeText(const QString& typeText);

// The "Returns by:" choice a stored mechanism gives: 0 Value, 1 Reference,
// -1 for a mechanism the editor has no choice for (by descriptor and the
// like). A negative mechanism means the result is freed (FREE_IT).
int ReturnMechanismIndex(int mechanism);

// A function as the catalog holds it.
struct TStoredUDF
{
    bool Found = false;      // a function of that name (outside packages) exists
    bool External = false;   // declared as an external function, not written in PSQL
    QString ModuleName;
    QString EntryPoint;
    QStringList Arguments;   // type texts, by argument position
    // False when an argument is passed in a way a type text cannot say (by
    // descriptor, or with NULL): a re-declaration would change the calls.
    bool PlainArguments = true;
    QString ReturnType;
    int ReturnMechanism = 0; // as stored
};

// Reads the function in a transaction of its own (rolled back when a read
// fails), with the types named for the database's dialect.
TStoredUDF ReadExternalFunction(TQvDatabase& database, const QString& name);

// The entry of the return-type list a stored type text selects: the text
// itself when listed, else its part before "(", else -1.
int ReturnTypeListIndex(const QStringList& types, const QString& typeText);

// The eleven type names the editor offers.
const QStringList& UDFTypeNames();
