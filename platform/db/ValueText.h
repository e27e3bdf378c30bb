#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// Values as text the same way in every locale ("." as decimal separator, ISO
// dates), so text that ends up in a statement reads back as written; and text
// typed by a user read in the C locale first, then in the user's own.
namespace ValueText {

QString FromFloat(double value, int precision = 15);
// The shortest text that reads back as the same single-precision value:
// 0.1f is "0.1", not the digits of the double nearest to it.
QString FromSingle(float value);
QString FromBoolean(bool value);
// An exact decimal kept as a 64-bit integer in units of 10^scale (the
// server's NUMERIC and DECIMAL): "12345678901234.5678" for 123456789012345678
// at scale -4. The fraction's trailing zeros are left out, as a float's text
// leaves them out; no double is involved either way.
QString FromScaled(qint64 value, int scale);
QString FromDate(const QDate& date);
QString FromTime(const QTime& time);
QString FromDateTime(const QDateTime& dateTime);

std::optional<qint64> ToInteger(const QString& text);
std::optional<double> ToFloat(const QString& text);
// Text read as an exact decimal in units of 10^scale: digits beyond the scale
// are rounded half away from zero; none when the text is no number or the
// value does not fit 64 bits. "." is the decimal separator, or the user's own.
std::optional<qint64> ToScaled(const QString& text, int scale);
std::optional<QDate> ToDate(const QString& text);
std::optional<QTime> ToTime(const QString& text);
std::optional<QDateTime> ToDateTime(const QString& text);

// A date and time as wall-clock fields, free of time zones and daylight
// saving (a stored time stamp has none); the time spec is UTC.
QDateTime Naive(const QDate& date, const QTime& time);
QDateTime Naive(const QDateTime& dateTime);

} // namespace ValueText
