#include "platform/db/ValueText.h"

#include <QLocale>
#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace ValueText {

namespace {

QLocale strict(QLocale locale)
{
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

QString withMilliseconds(const QTime& time)
{
    return time.msec() != 0 ? time.toString(QStringLiteral("HH:mm:ss.zzz"))
                            : time.toString(QStringLiteral("HH:mm:ss"));
}

// A number in plain or exponent notation ("-12.5", "1.25e3") as an exact
// count of units of 10^scale.
std::optional<qint64> parseScaled(QStringView text, int scale)
{
    qsizetype i = 0;
    const qsizetype length = text.size();
    bool negative = false;
    if (i < length && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    // The digits without the whole part's leading zeros; value = digits
    // * 10^(wholeDigits - digits.size() + exponent).
    QVarLengthArray<char, 40> digits;
    qint64 wholeDigits = 0;
    bool point = false;
    bool anyDigit = false;
    bool nonZero = false;
    for (; i < length; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            if (!point) {
                if (digits.isEmpty() && c == u'0')
                    continue;
                ++wholeDigits;
            }
            nonZero = nonZero || c != u'0';
            digits.append(char(c - u'0'));
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    qint64 exponent = 0;
    if (i < length && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < length && (text[i] == u'-' || text[i] == u'+'))
            negativeExponent = text[i++] == u'-';
        bool exponentDigit = false;
        for (; i < length && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            exponentDigit = true;
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i].unicode() - u'0');
        }
        if (!exponentDigit)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != length)
        return std::nullopt;
    if (!nonZero)
        return 0;
    constexpr unsigned __int128 widest = std::numeric_limits<quint64>::max();
    const qint64 count = digits.size();
    const qint64 shift = wholeDigits - count + exponent - scale;
    if (shift > 40)
        return std::nullopt;
    const qint64 keep = shift >= 0 ? count : count + shift;
    unsigned __int128 magnitude = 0;
    for (qint64 d = 0; d < keep; ++d) {
        magnitude = magnitude * 10 + unsigned(digits[d]);
        if (magnitude > widest)
            return std::nullopt;
    }
    for (qint64 z = 0; z < shift; ++z) {
        magnitude *= 10;
        if (magnitude > widest)
            return std::nullopt;
    }
    // Half away from zero, decided by the first digit dropped.
    if (keep >= 0 && keep < count && digits[keep] >= 5)
        ++magnitude;
    const unsigned __int128 limit = (unsigned __int128)(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    if (!negative)
        return qint64(magnitude);
    return magnitude == limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
}

} // namespace

QString FromFloat(double value, int precision)
{
    return QString::number(value, 'g', precision);
}

QString FromSingle(float value)
{
    std::array<char, 48> text;
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return QString::fromLatin1(text.data(), result.ptr - text.data());
}

QString FromBoolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString FromScaled(qint64 value, int scale)
{
    // Written from the right end: zeros of a positive scale, the fraction,
    // the point, the whole part, the sign.
    std::array<char16_t, 96> text;
    char16_t* const end = text.data() + text.size();
    char16_t* p = end;
    const bool negative = value < 0;
    quint64 magnitude = negative ? 0 - quint64(value) : quint64(value);
    if (scale > 0) {
        if (magnitude == 0)
            return QStringLiteral("0");
        for (int i = 0; i < std::min(scale, 18); ++i)
            *--p = u'0';
    }
    const int places = std::min(scale < 0 ? -scale : 0, 60);
    bool fraction = false;
    for (int i = 0; i < places; ++i) {
        const int digit = int(magnitude % 10);
        magnitude /= 10;
        if (fraction || digit != 0) {
            *--p = char16_t(u'0' + digit);
            fraction = true;
        }
    }
    if (fraction)
        *--p = u'.';
    const bool zero = magnitude == 0 && !fraction;
    do {
        *--p = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative && !zero)
        *--p = u'-';
    return QString(reinterpret_cast<const QChar*>(p), end - p);
}

QString FromDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString FromTime(const QTime& time)
{
    return withMilliseconds(time);
}

QString FromDateTime(const QDateTime& dateTime)
{
    return FromDate(dateTime.date()) + QLatin1Char(' ') + withMilliseconds(dateTime.time());
}

std::optional<qint64> ToInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qint64 value = strict(QLocale::c()).toLongLong(trimmed, &ok);
    if (!ok)
        value = strict(QLocale()).toLongLong(trimmed, &ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> ToFloat(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = strict(QLocale::c()).toDouble(trimmed, &ok);
    if (!ok)
        value = strict(QLocale()).toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> ToScaled(const QString& text, int scale)
{
    const QString trimmed = text.trimmed();
    if (const auto value = parseScaled(trimmed, scale))
        return value;
    const QString point = QLocale().decimalPoint();
    if (point == QLatin1String(".") || !trimmed.contains(point))
        return std::nullopt;
    QString local = trimmed;
    local.replace(point, QLatin1String("."));
    return parseScaled(local, scale);
}

std::optional<QDate> ToDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        date = QLocale().toDate(trimmed, QLocale::ShortFormat);
    if (!date.isValid())
        date = QLocale().toDate(trimmed, QLocale::LongFormat);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

std::optional<QTime> ToTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    QTime time = QTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QLocale().toTime(trimmed, QLocale::ShortFormat);
    if (!time.isValid())
        time = QLocale().toTime(trimmed, QLocale::LongFormat);
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

std::optional<QDateTime> ToDateTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    QString iso = trimmed;
    const int blank = iso.indexOf(QLatin1Char(' '));
    if (blank > 0)
        iso[blank] = QLatin1Char('T');
    QDateTime parsed = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (parsed.isValid())
        return Naive(parsed);
    if (const auto date = ToDate(trimmed))
        return Naive(*date, QTime(0, 0));
    parsed = QLocale().toDateTime(trimmed, QLocale::ShortFormat);
    if (!parsed.isValid())
        parsed = QLocale().toDateTime(trimmed, QLocale::LongFormat);
    if (parsed.isValid())
        return Naive(parsed);
    return std::nullopt;
}

QDateTime Naive(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime Naive(const QDateTime& dateTime)
{
    return QDateTime(dateTime.date(), dateTime.time(), Qt::UTC);
}

} // namespace ValueText
