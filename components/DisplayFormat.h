#pragma once

// Numbers and dates as a user reads them, by the format masks the grids and
// edits are configured with, and the texts typed back read by the same locale
// facts (components/LocaleSettings.h).
//
// Number masks: up to three sections separated by ";" (positive; negative;
// zero). "0" is a digit always written, "#" a digit written only when
// significant, the first "." marks the decimal separator, a "," anywhere
// before it groups the integer digits in threes, "E+", "E-", "e+" or "e-"
// followed by up to four "0" writes a scientific exponent, text in single or
// double quotes stands as written and any other character is copied. Values
// are rounded half away from zero on their shortest decimal form, so 0.125
// with two decimals is "0.13" and 1.005 is "1.01". A value that rounds to
// zero takes the zero section; a negative one without a section of its own
// gets a leading "-".
//
// Date masks: d dd ddd dddd (day, names), m mm mmm mmmm (month, names; minutes
// right after h or hh), yy yyyy, h hh, n nn (minutes), s ss, z zzz, "ampm"
// (the locale's AM or PM text; makes hours 12-hour), "am/pm" and "a/p", "/"
// the locale's date separator, ":" the time separator, quoted text as written.

#include <QDateTime>
#include <QString>

#include <optional>

namespace DisplayFormat {

QString Float(const QString& mask, double value);
QString DateTime(const QString& mask, const QDateTime& value);

// A number typed in the locale: blanks around it ignored, the locale's
// decimal separator or "." before the fraction, the locale's thousand
// separator between digit groups, an optional sign and exponent. None for
// anything else (an empty text included).
std::optional<double> ParseFloat(const QString& text);
// A date and optional time: the locale's short date order or ISO
// (yyyy-mm-dd), then hours and minutes with optional seconds and AM/PM. A
// time alone is taken on 1899-12-30, the day time-only values count from.
std::optional<QDateTime> ParseDateTime(const QString& text);

} // namespace DisplayFormat
