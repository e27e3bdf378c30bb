#pragma once

// The texts that run one statement of a body on the server. A stored
// procedure cannot stop half-way, so each statement becomes a temporary
// procedure of its own: the variables it uses come in as parameters and go
// back out as results (their names with the session tag appended); a
// condition of an if or a while also returns which branch to take.
//
//   create procedure mmm$...
//   (x Integer
//   )
//   returns (xabcd Integer
//   )
//   as
//   begin
//   x = x + 1;
//   xabcd=x;
//   end
//
// Names reach the text only as checked identifiers and types only as type
// texts; values never do (they are bound as parameters).

#include "app/editors/DebugVars.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

enum TDebugMode : int { dmTrigger = 0, dmProcedure = 1 };

// What the texts depend on besides the statement.
struct TWrapperContext
{
    QString ProcName;  // the temporary procedure
    QString Tag;       // four lower-case letters
    int Dialect = 1;   // of the database: the texts are prepared in it
    TDebugMode Mode = dmProcedure;
};

// One used variable and the parameter that carries it.
struct TWrapperParam
{
    QString VarName;     // the debugger variable ("x", "new.id")
    QString ParamName;   // as written in the procedure ("x", "abcd1ID")
};

struct TWrappedStatement
{
    QString CreateText;
    QString ExecuteText;
    QString DropText;
    // In the order of the inputs, and of the outputs after them.
    std::vector<TWrapperParam> Params;
    // An if or while condition: one more output, 0 when the condition held.
    bool IsCondition = false;
};

// The temporary procedure for a statement (a parsed statement's text; an
// if ends in "then", a while is its head before "do"). Raises EDebugError
// for a variable name or type that cannot be written safely.
TWrappedStatement BuildWrapper(const QString& statementText, const std::vector<TSQLVar>& used,
                               const TWrapperContext& context);

// In trigger mode the columns "new.X" and "old.X" become the parameters
// tag + "1" + "X" and tag + "2" + "X", a quoted column a quoted parameter
// (new."my col" becomes "abcd1my col"); in a statement text they are written
// as ":" + parameter (a colon already there is kept, not doubled).
QString MapTriggerNames(const QString& text, const QString& tag);
// The variable a parameter name (quoted or not) stands for.
QString VariableOfParam(const QString& paramName, const TWrapperContext& context);

// A for-select loop head taken apart: the select without its INTO list
// (parameters as ":name"), and the variables the columns go into.
struct TForSelect
{
    QString Select;
    QStringList Into;
    // A quoted variable in the select (:"lowA") goes as a plain parameter
    // name the statement's reader takes; the name leads back to the variable.
    QMap<QString, QString> QuotedParams;
};
// Raises EDebugError when the head has no INTO list.
TForSelect ParseForSelect(const QString& loopText, const TWrapperContext& context);

namespace DebugMessages {
inline const char* const IntoNotFound = "INTO not found";
inline const char* const InvalidVariableName = "\"%1\" is not a valid variable name";
inline const char* const InvalidVariableType = "\"%1\" is not a valid type for variable %2";
} // namespace DebugMessages
