#pragma once

// Date validation and reading a date text by the locale's date order.
// Dates are QDate; the null date (an empty date text) is QDate().
// Formats use d, m (or M) and y for day, month and year, in any case; "/" or
// any other character between them stands for itself.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

enum TDateOrder { doMDY = 0, doDMY = 1, doYMD = 2 };

inline QDate NullDate() { return QDate(); }

bool LeapYear(int year);
// Days of the month in that year; 0 for a month outside 1..12.
int DaysInMonthOf(int year, int month);
bool IsValidYMD(int year, int month, int day);
// False for the null date and for dates outside the years 1..9999.
bool IsValidDateTime(const QDate& date);
bool IsValidDateTime(const QDateTime& dateTime);

int CurrentYear();
TDateOrder DateOrderOf(const QString& format);

// The window of two-digit years (0..255, initially 30): see ExpandTwoDigitYear.
int TwoDigitYearWindow();
void SetTwoDigitYearWindow(int window);
// A full year for 0 <= year < 100: in the current century, or in the next
// one when that year lies 100 - window years or more before the current
// year. Other values (negative ones too) are returned unchanged.
int ExpandTwoDigitYear(int year);
int ExpandTwoDigitYear(int year, int currentYear, int window);

// True when the locale's short date format writes four-digit years.
bool FourDigitYear();

// The date of s read by the order of format. Strict throws EConvertError
// "''<s>'' is not a valid date"; OrDefault returns defaultDate instead.
// An empty text is the null date in both.
QDate StrToDateStrict(const QString& format, const QString& s);
QDate StrToDateOrDefault(const QString& format, const QString& s, const QDate& defaultDate);

QString DefaultDateFormat(bool fourDigit);
QString DefaultDateMask(QChar blankChar, bool fourDigit);

// Pins the year CurrentYear answers for its lifetime (tests, reproducible runs).
class TCurrentYearScope
{
public:
    explicit TCurrentYearScope(int year);
    ~TCurrentYearScope();
    TCurrentYearScope(const TCurrentYearScope&) = delete;
    TCurrentYearScope& operator=(const TCurrentYearScope&) = delete;

private:
    std::optional<int> m_previous;
};
