#pragma once

// The values the debugger gives a procedure's (or trigger's) input
// variables when a session starts. The user keeps them in the registry, per
// registered database and object:
//   \Software\Qyl\Qorvane\Databases\<database>\Procedures\<object, lower case>
// one string value per input variable, named as the variable, holding
// "null" or the value as text (dates and times as ISO text, numbers with
// "." as decimal separator, characters as typed).

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>
#include <utility>
#include <vector>

// What a stored "null" (any case) stands for.
inline const QString kStoredNull = QStringLiteral("null");

// The key of an object's initial values.
QString InitialValuesKey(const QString& databaseName, const QString& objectName);

// The stored text of each name, in order; none where nothing is stored.
// Opens the key, creating it when missing. Raises EQvRegistryError when the
// key cannot be made.
std::vector<std::optional<QString>> ReadInitialValues(const QString& databaseName, const QString& objectName,
                                                      const QStringList& names);
// Stores the pairs (name, text); raises EQvRegistryError on failure.
void WriteInitialValues(const QString& databaseName, const QString& objectName,
                        const std::vector<std::pair<QString, QString>>& values);

// How a variable's initial value is typed on the initial-value page.
enum class TInitialEditor {
    Text,      // any text: characters, blobs, domains, booleans
    DateTime,  // a date edit and a time edit
    Time,      // a time edit alone
    Exact,     // an integer or exact decimal, kept as typed (never a double)
    Float,     // a floating-point number edit
};
TInitialEditor InitialEditorOf(const QString& type);

// A stored date-time text taken apart: the date (null when the text is no
// date-time) and the time ("00:00:00" then).
std::pair<QDate, QTime> SplitStoredDateTime(const QString& text);
// The date and time edits' contents as the value text; an empty date gives
// an empty text, which the debugger refuses when the value is sent.
QString DateTimeValueText(const QDate& date, const QString& timeText);
// The time edit's text read as a time ("9:05" and "09:05:00" both read);
// none when it is no time.
std::optional<QTime> ReadTimeText(const QString& text);
// "<text> not a valid time"
QString NotAValidTimeText(const QString& text);
// Whether a text is an integer or an exact decimal as the exact number edit
// accepts it while typing (a lone sign or an empty text included).
bool IsExactNumberInput(const QString& text);
