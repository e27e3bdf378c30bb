#include "components/SpinValue.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

constexpr int kPrecision = 15;
constexpr int kMaxDecimals = 18;

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

TSpinInteger SpinTextToInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    TSpinInteger result;
    qsizetype i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
        negative = trimmed[i] == QLatin1Char('-');
        ++i;
    }
    if (i == trimmed.size())
        return result;
    // Accumulated as a magnitude that stops growing once it is past 32 bits.
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; i < trimmed.size(); ++i) {
        if (!IsDigit(trimmed[i]))
            return result;
        magnitude = qMin<std::int64_t>(magnitude * 10 + (trimmed[i].unicode() - '0'), limit + 1);
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    const std::int64_t low = std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = std::numeric_limits<std::int32_t>::max();
    result.ok = true;
    result.clamped = signedValue < low || signedValue > high;
    result.value = std::int32_t(qBound(low, signedValue, high));
    return result;
}

std::optional<double> SpinTextToFloat(const QString& text, QChar decimalSeparator)
{
    QString plain = text.trimmed();
    if (decimalSeparator != QLatin1Char('.')) {
        if (plain.contains(QLatin1Char('.')))
            return std::nullopt;
        plain.replace(decimalSeparator, QLatin1Char('.'));
    }
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(plain).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString SpinFloatToText(double value, int decimals, QChar decimalSeparator)
{
    decimals = qBound(0, decimals, kMaxDecimals);
    if (!std::isfinite(value))
        value = 0;
    QString text;
    if (std::fabs(value) >= 1e15) {
        text = QString::number(value, 'E', kPrecision - 1);
    } else {
        // Rounded to the precision first, then written with the decimals.
        const double rounded = QString::number(value, 'g', kPrecision).toDouble();
        text = QString::number(rounded, 'f', decimals);
        // A negative value that rounds to zero is written as zero.
        if (text.startsWith(QLatin1Char('-')) && text.mid(1).toDouble() == 0)
            text.remove(0, 1);
    }
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

std::int32_t SpinRoundToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // the default mode: halves to even
    const double low = std::numeric_limits<std::int32_t>::min();
    const double high = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(qBound(low, rounded, high));
}

double SpinCheckValue(double value, double minValue, double maxValue)
{
    if (maxValue == minValue)
        return value;
    if (value < minValue)
        return minValue;
    if (value > maxValue)
        return maxValue;
    return value;
}

bool SpinIsValidChar(QChar key, const QString& text, TValueType type, bool editorEnabled,
                     QChar decimalSeparator)
{
    const bool control = key.unicode() < 32;
    if (!editorEnabled)
        return control && key != QLatin1Char('\b');
    if (control)
        return true;
    if (key == QLatin1Char('+') || key == QLatin1Char('-') || IsDigit(key))
        return true;
    if (type != TValueType::vtFloat)
        return false;
    if (key == decimalSeparator)
        return !text.contains(decimalSeparator);
    if (key == QLatin1Char('e') || key == QLatin1Char('E'))
        return !text.contains(QLatin1Char('E'), Qt::CaseInsensitive);
    return false;
}
