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
QString FromDate(const QDate& date);
QString FromTime(const QTime& time);
QString FromDateTime(const QDateTime& dateTime);

std::optional<qint64> ToInteger(const QString& text);
std::optional<double> ToFloat(const QString& text);
std::optional<QDate> ToDate(const QString& text);
std::optional<QTime> ToTime(const QString& text);
std::optional<QDateTime> ToDateTime(const QString& text);

// A date and time as wall-clock fields, free of time zones and daylight
// saving (a stored time stamp has none); the time spec is UTC.
QDateTime Naive(const QDate& date, const QTime& time);
QDateTime Naive(const QDateTime& dateTime);

} // namespace ValueText
