#pragma once

// Values in the server's own forms (dates as days, times as ten-thousandths
// of a second, scaled integers, booleans) turned into Qt values and text, and
// back. Statements and the buffered dataset both convert through these, so a
// value reads the same whichever way it was fetched.

#include <ibase.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace QvValue {

// The date a time-only value is given when it must be a date and time, as
// the dataset framework's time fields do.
inline const QDate TimeOnlyDate{1899, 12, 30};

// Days counted from the server's day zero, 17 November 1858.
QDate DateOf(ISC_DATE days);
ISC_DATE IscDate(const QDate& date);
// Ten-thousandths of a second since midnight; QTime keeps milliseconds.
QTime TimeOf(ISC_TIME time);
ISC_TIME IscTime(const QTime& time);
// Wall-clock fields: a stored time stamp knows no zone (the spec is UTC).
QDateTime DateTimeOf(const ISC_TIMESTAMP& stamp);
ISC_TIMESTAMP IscTimestamp(const QDateTime& value);

// ISO texts the server reads back as the same value. A time shows its
// fraction only when it has one: three digits for milliseconds, four when
// the ten-thousandth is set. A time stamp at midnight is its date alone.
QString DateText(ISC_DATE date);
QString TimeText(ISC_TIME time);
QString TimestampText(const ISC_TIMESTAMP& stamp);

// The text of a number, date, time or boolean in the server's form: `type`
// is an SQL_ type without the nullable bit, `scale` the decimal scale of
// SQL_SHORT, SQL_LONG and SQL_INT64. Scaled integers are exact; a FLOAT
// shows the digits it holds, a DOUBLE up to 15 significant digits. False
// for text, blob, array and unknown types.
bool ScalarText(int type, int scale, const char* data, QString& text);

// Bytes a value of these types takes; 0 for the others.
int ScalarSize(int type);

} // namespace QvValue
