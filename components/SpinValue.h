#pragma once

// The spin edit's value as text: reading a typed or pasted text as an
// integer or a float, writing a value back, the range check and the
// characters that may be typed.

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

enum class TValueType { vtInteger, vtFloat };

// A text read as a 32-bit integer: an optional sign and digits, blanks
// around them allowed. A number beyond 32 bits gives the nearest 32-bit
// value and says so.
struct TSpinInteger
{
    bool ok = false;
    bool clamped = false;
    std::int32_t value = 0;
};
TSpinInteger SpinTextToInteger(const QString& text);

// A text read as a float with the given decimal separator: sign, digits, at
// most one separator, an optional exponent. None for anything else.
std::optional<double> SpinTextToFloat(const QString& text, QChar decimalSeparator);

// The value in fixed-point notation with `decimals` digits after the
// separator, to 15 significant digits; from 1E15 on in scientific notation.
QString SpinFloatToText(double value, int decimals, QChar decimalSeparator);

// The nearest integer, halves to even, kept within 32 bits.
std::int32_t SpinRoundToInteger(double value);

// A value below min becomes min, one above max becomes max; with min equal
// to max every value passes.
double SpinCheckValue(double value, double minValue, double maxValue);

// Whether a character may be typed into the edit holding `text`.
bool SpinIsValidChar(QChar key, const QString& text, TValueType type, bool editorEnabled,
                     QChar decimalSeparator);
