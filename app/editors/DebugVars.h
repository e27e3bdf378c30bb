#pragma once

// The debugger's variables: the parameters and local variables of the
// procedure (or the old and new columns of a trigger's table) with their
// current values as text, and what a value must look like to be sent.

#include <QString>

#include <functional>
#include <stdexcept>
#include <vector>

class TQvDatabase;
class TQvXSQLVAR;

// A refusal of the debugger's own; the message is for the user.
class EDebugError : public std::runtime_error
{
public:
    explicit EDebugError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

enum TVarKind : int { vkInput = 0, vkOutput = 1, vkLocal = 2 };

struct TSQLVar
{
    QString Name;   // without blanks and line breaks; "old.X" / "new.X" for trigger columns
    QString Type;   // as declared: Integer, Varchar(20), Numeric(18,4), Date ...
    QString Value;  // the current value as text
    int Kind = vkInput;
    bool IsNull = true;
};

// "Variable <name> not found!"
QString VariableNotFoundText(const QString& name);

// The variable a typed name stands for, as the server reads it: x and X
// are one variable, "x" and "X" two (dialect 3's quoted names are names);
// a trigger column's "new." or "old." in any letter case.
QString VariableKey(const QString& name);
// A variable's typed name with the session tag appended to the name it
// stands for: x and abcd give xabcd, "lowA" and abcd give "lowAabcd".
QString TaggedName(const QString& name, const QString& tag);
// The word of a variable's name the editor's hint finds under the mouse:
// the name itself, or what stands in its quotes.
QString HintWord(const QString& name);

// The variables of one debugger, in the order they were added.
class TInOutVar
{
public:
    // Removes CR, LF, tabs and blanks from the name (a quoted name keeps
    // what stands in its quotes); the variable starts null.
    void AddVar(const QString& name, const QString& type, int kind);
    void Clear() { m_vars.clear(); }
    // Every variable null, as at the start of a session.
    void SetAllNull();

    // By the name a typed name stands for (VariableKey); nullptr when none.
    TSQLVar* FindVar(const QString& name);
    const TSQLVar* FindVar(const QString& name) const;
    // False when there is no such variable.
    bool SetVar(const QString& name, const QString& value, bool isNull);

    // Copies of the variables text names: as a whole word in code (any
    // letter case) or, for a name that needs them, in its double quotes.
    // Unquoted names are lower-cased in the copies.
    std::vector<TSQLVar> CollectUsedVars(const QString& text) const;

    int Count() const { return int(m_vars.size()); }
    const std::vector<TSQLVar>& Items() const { return m_vars; }
    std::vector<TSQLVar>& Items() { return m_vars; }

private:
    std::vector<TSQLVar> m_vars;
};

// A value typed for a variable: "null" in any case makes it null.
bool IsNullText(const QString& text);

// The session tag: four letters "a" to "y", drawn again while the tag or a
// variable's name with the tag appended would equal a variable's name.
// random(n) answers 0 .. n-1.
QString DrawSessionTag(const TInOutVar& vars, const std::function<int(int)>& random);
QString DrawSessionTag(const TInOutVar& vars);

// How a variable's value travels to the server, by its type.
enum class TValueKind { Text, DateTime, Time, Boolean, Integer, Exact, Float };
TValueKind ValueKindOf(const QString& type);

// Checks that the value can be sent as the variable's type (numbers as
// exact text, dates and times as such); raises EDebugError naming value and
// variable when it cannot. Null values always pass.
void CheckVariableValue(const TSQLVar& var);
// Binds the value to a parameter: numbers as their validated text (the
// server converts it exactly), dates as date-times, the rest as text.
void BindVariable(TQvXSQLVAR& param, const TSQLVar& var);
// The value of a result column as the variable keeps it.
void ReadVariable(const TQvXSQLVAR& column, TSQLVar& var);

// The columns of a table as trigger variables: "old." and "new." followed by
// the column name as a trigger writes it (new."my col"), in column order,
// with their exact types: character set and collation too where they are
// not the database's defaults.
void AddTriggerColumnVars(TInOutVar& vars, TQvDatabase& database, const QString& tableName);
