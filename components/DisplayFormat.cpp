#include "components/DisplayFormat.h"

#include "components/ConvertError.h"
#include "components/DateUtil.h"
#include "components/LocaleSettings.h"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <string>

namespace {

// |value| as 0.d1d2d3... x 10^exponent; no digits for zero.
struct Decimal
{
    std::string digits;
    int exponent = 0;
    bool negative = false;

    bool isZero() const { return digits.empty(); }
};

Decimal DecimalOf(double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0 || !std::isfinite(value))
        return d;
    char text[64];
    // The shortest text that reads back as the same double: rounding happens
    // on the digits a user would write, not on the binary fraction.
    const auto result = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific);
    const std::string s(text, result.ptr);
    const std::size_t e = s.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] >= '0' && s[i] <= '9')
            d.digits += s[i];
    d.exponent = std::stoi(s.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep)
{
    if (d.isZero() || keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[std::size_t(keep)] >= '5';
    d.digits.resize(std::size_t(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (d.digits[std::size_t(i)] == '9') {
                d.digits[std::size_t(i)] = '0';
            } else {
                ++d.digits[std::size_t(i)];
                break;
            }
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// Splits a number mask into its sections at ";" outside quotes.
QStringList Sections(const QString& mask)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

// What a section of a number mask asks for.
struct SectionLayout
{
    int intPlaces = 0;     // placeholders before the decimal point
    int minInt = 0;        // of them, from the first "0" on
    int fracPlaces = 0;    // placeholders after it
    int minFrac = 0;       // up to the last "0" after it
    bool grouping = false;
    bool scientific = false;
    bool exponentSign = false; // "E+": the sign is written for positive exponents too
    int expDigits = 0;
};

bool IsExponentAt(const QString& s, qsizetype i)
{
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size()
           && (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

SectionLayout LayoutOf(const QString& section)
{
    SectionLayout layout;
    bool afterPoint = false;
    bool seenZero = false;
    QChar quote;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint) {
                ++layout.fracPlaces;
                if (c == QLatin1Char('0'))
                    layout.minFrac = layout.fracPlaces;
            } else {
                ++layout.intPlaces;
                seenZero = seenZero || c == QLatin1Char('0');
                if (seenZero)
                    ++layout.minInt;
            }
        } else if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            if (!afterPoint)
                layout.grouping = true;
        } else if (IsExponentAt(section, i)) {
            layout.scientific = true;
            layout.exponentSign = section[i + 1] == QLatin1Char('+');
            qsizetype j = i + 2;
            while (j < section.size() && section[j] == QLatin1Char('0') && layout.expDigits < 4) {
                ++layout.expDigits;
                ++j;
            }
            break;
        }
    }
    return layout;
}

// Writes a section with the digits of an absolute value laid out already.
QString Render(const QString& section, const SectionLayout& layout, const QString& intDigits,
               const QString& fracDigits, const QString& exponentText)
{
    const TLocaleSettings& locale = LocaleSettings();
    QString out;
    int placeholder = 0; // integer placeholders seen so far
    int fracIndex = 0;
    bool afterPoint = false;
    bool pointWritten = false;
    QChar quote;
    const int extra = int(intDigits.size()) - layout.intPlaces; // digits beyond the placeholders

    auto emitIntDigit = [&](int index) {
        out += intDigits[index];
        const int remaining = int(intDigits.size()) - index - 1;
        if (layout.grouping && remaining > 0 && remaining % 3 == 0)
            out += locale.thousandSeparator;
    };

    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (!afterPoint) {
                if (placeholder == 0)
                    for (int k = 0; k < extra; ++k)
                        emitIntDigit(k);
                const int index = extra + placeholder;
                if (index >= 0 && index < intDigits.size())
                    emitIntDigit(index);
                ++placeholder;
            } else {
                if (fracIndex < fracDigits.size()) {
                    if (!pointWritten) {
                        out += locale.decimalSeparator;
                        pointWritten = true;
                    }
                    out += fracDigits[fracIndex];
                }
                ++fracIndex;
            }
        } else if (c == QLatin1Char('.')) {
            if (!afterPoint) {
                afterPoint = true;
                if (layout.intPlaces == 0)
                    for (int k = 0; k < intDigits.size(); ++k)
                        emitIntDigit(k);
            } else {
                out += c;
            }
        } else if (c == QLatin1Char(',')) {
            // The grouping flag; written by the digits themselves.
        } else if (IsExponentAt(section, i)) {
            out += c;
            out += exponentText;
            qsizetype j = i + 2;
            int skipped = 0;
            while (j < section.size() && section[j] == QLatin1Char('0') && skipped < 4) {
                ++j;
                ++skipped;
            }
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

QString FormatSection(const QString& section, Decimal value)
{
    const SectionLayout layout = LayoutOf(section);
    if (layout.intPlaces == 0 && layout.fracPlaces == 0 && !layout.scientific)
        return Render(section, layout, {}, {}, {});
    QString intDigits;
    QString fracDigits;
    QString exponentText;
    if (layout.scientific) {
        const int significant = std::max(1, layout.intPlaces + layout.fracPlaces);
        RoundDigits(value, significant);
        int exponent = 0;
        const int before = std::max(layout.intPlaces, 1);
        if (!value.isZero())
            exponent = value.exponent - before;
        const QString digits = QString::fromStdString(value.digits).leftJustified(significant, QLatin1Char('0'));
        intDigits = digits.left(before);
        fracDigits = digits.mid(before, layout.fracPlaces);
        while (fracDigits.size() > layout.minFrac && fracDigits.endsWith(QLatin1Char('0')))
            fracDigits.chop(1);
        exponentText = exponent < 0 ? QStringLiteral("-") : (layout.exponentSign ? QStringLiteral("+") : QString());
        exponentText += QString::number(std::abs(exponent)).rightJustified(layout.expDigits, QLatin1Char('0'));
    } else {
        RoundDigits(value, value.exponent + layout.fracPlaces);
        const QString digits = QString::fromStdString(value.digits);
        if (!value.isZero() && value.exponent > 0) {
            intDigits = digits.left(value.exponent).leftJustified(value.exponent, QLatin1Char('0'));
            fracDigits = digits.mid(value.exponent);
        } else if (!value.isZero()) {
            fracDigits = QString(-value.exponent, QLatin1Char('0')) + digits;
        }
        if (intDigits.size() < layout.minInt)
            intDigits = intDigits.rightJustified(layout.minInt, QLatin1Char('0'));
        fracDigits = fracDigits.left(layout.fracPlaces).leftJustified(layout.minFrac, QLatin1Char('0'));
    }
    return Render(section, layout, intDigits, fracDigits, exponentText);
}

// The number of fractional digits a section keeps, to decide whether a value
// shows as zero.
int RoundingPlaces(const QString& section, const Decimal& value)
{
    const SectionLayout layout = LayoutOf(section);
    if (layout.scientific)
        return std::max(1, layout.intPlaces + layout.fracPlaces) - value.exponent;
    return layout.fracPlaces;
}

QString PlainFloat(double value)
{
    QString text = QString::number(value, 'g', 15).toUpper();
    text.replace(QLatin1Char('.'), LocaleSettings().decimalSeparator);
    return text;
}

// --- dates

QString AmPm(const QTime& time)
{
    const TLocaleSettings& locale = LocaleSettings();
    const bool pm = time.hour() >= 12;
    QString text = pm ? locale.timePMString : locale.timeAMString;
    if (text.isEmpty())
        text = pm ? QStringLiteral("PM") : QStringLiteral("AM");
    return text;
}

bool HasAmPm(const QString& mask)
{
    const QString lower = mask.toLower();
    return lower.contains(QLatin1String("ampm")) || lower.contains(QLatin1String("am/pm"))
           || lower.contains(QLatin1String("a/p"));
}

qsizetype RunLength(const QString& mask, qsizetype at)
{
    qsizetype n = 1;
    while (at + n < mask.size() && mask[at + n].toLower() == mask[at].toLower())
        ++n;
    return n;
}

QString Two(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

namespace DisplayFormat {

QString Float(const QString& mask, double value)
{
    if (mask.isEmpty())
        return PlainFloat(value);
    if (!std::isfinite(value))
        return PlainFloat(value);
    const QStringList sections = Sections(mask);
    Decimal decimal = DecimalOf(value);
    Decimal rounded = decimal;
    RoundDigits(rounded, rounded.exponent + RoundingPlaces(sections[0], rounded));
    decimal.negative = decimal.negative && !rounded.isZero();
    if (rounded.isZero() && sections.size() > 2 && !sections[2].isEmpty())
        return FormatSection(sections[2], decimal);
    if (decimal.negative) {
        if (sections.size() > 1 && !sections[1].isEmpty())
            return FormatSection(sections[1], decimal);
        return QLatin1Char('-') + FormatSection(sections[0], decimal);
    }
    return FormatSection(sections[0], decimal);
}

QString DateTime(const QString& mask, const QDateTime& value)
{
    const TLocaleSettings& locale = LocaleSettings();
    const QDate date = value.date();
    const QTime time = value.time().isValid() ? value.time() : QTime(0, 0);
    const bool twelveHour = HasAmPm(mask);
    QString out;
    bool lastWasHour = false;
    for (qsizetype i = 0; i < mask.size();) {
        const QChar c = mask[i];
        const QChar lower = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = mask.indexOf(c, i + 1);
            out += mask.mid(i + 1, (end < 0 ? mask.size() : end) - i - 1);
            i = end < 0 ? mask.size() : end + 1;
            continue;
        }
        const qsizetype run = RunLength(mask, i);
        if (lower == QLatin1Char('d')) {
            if (run == 1)
                out += QString::number(date.day());
            else if (run == 2)
                out += Two(date.day());
            else if (run == 3)
                out += locale.shortDayNames.value(date.dayOfWeek() % 7);
            else
                out += locale.longDayNames.value(date.dayOfWeek() % 7);
            lastWasHour = false;
        } else if (lower == QLatin1Char('m')) {
            if (lastWasHour && run <= 2) {
                out += run == 1 ? QString::number(time.minute()) : Two(time.minute());
            } else if (run == 1) {
                out += QString::number(date.month());
            } else if (run == 2) {
                out += Two(date.month());
            } else if (run == 3) {
                out += locale.shortMonthNames.value(date.month() - 1);
            } else {
                out += locale.longMonthNames.value(date.month() - 1);
            }
            lastWasHour = false;
        } else if (lower == QLatin1Char('y')) {
            out += run <= 2 ? Two(date.year() % 100) : QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
            lastWasHour = false;
        } else if (lower == QLatin1Char('h')) {
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += run == 1 ? QString::number(hour) : Two(hour);
            lastWasHour = true;
        } else if (lower == QLatin1Char('n')) {
            out += run == 1 ? QString::number(time.minute()) : Two(time.minute());
            lastWasHour = false;
        } else if (lower == QLatin1Char('s')) {
            out += run == 1 ? QString::number(time.second()) : Two(time.second());
            lastWasHour = false;
        } else if (lower == QLatin1Char('z')) {
            out += run >= 3 ? QString::number(time.msec()).rightJustified(3, QLatin1Char('0'))
                            : QString::number(time.msec());
        } else if (lower == QLatin1Char('a') && mask.mid(i, 4).compare(QLatin1String("ampm"), Qt::CaseInsensitive) == 0) {
            out += AmPm(time);
            i += 4;
            continue;
        } else if (lower == QLatin1Char('a') && mask.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            const QString part = time.hour() >= 12 ? mask.mid(i + 3, 2) : mask.mid(i, 2);
            out += part;
            i += 5;
            continue;
        } else if (lower == QLatin1Char('a') && mask.mid(i, 3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
            out += time.hour() >= 12 ? mask[i + 2] : mask[i];
            i += 3;
            continue;
        } else if (c == QLatin1Char('/')) {
            out += locale.dateSeparator;
            i += 1;
            continue;
        } else {
            out += c;
            i += 1;
            continue;
        }
        i += run;
    }
    return out;
}

std::optional<double> ParseFloat(const QString& text)
{
    const TLocaleSettings& locale = LocaleSettings();
    QString s = text.trimmed();
    if (locale.thousandSeparator != locale.decimalSeparator)
        s.remove(locale.thousandSeparator);
    if (locale.decimalSeparator != QLatin1Char('.'))
        s.replace(locale.decimalSeparator, QLatin1Char('.'));
    if (s.isEmpty())
        return std::nullopt;
    for (const QChar c : s)
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('-') && c != QLatin1Char('+')
            && c != QLatin1Char('e') && c != QLatin1Char('E'))
            return std::nullopt;
    bool ok = false;
    const double value = s.toDouble(&ok); // the C locale: "." is the separator now
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QDateTime> ParseDateTime(const QString& text)
{
    const QString s = text.simplified();
    if (s.isEmpty())
        return std::nullopt;
    QString datePart = s;
    QString timePart;
    QDate date(1899, 12, 30);
    if (s.contains(QLatin1Char(':'))) {
        // The time starts with the word holding the first ":".
        const qsizetype colon = s.indexOf(QLatin1Char(':'));
        const qsizetype blank = s.lastIndexOf(QLatin1Char(' '), colon);
        datePart = blank < 0 ? QString() : s.left(blank);
        timePart = blank < 0 ? s : s.mid(blank + 1);
    }
    if (!datePart.isEmpty()) {
        QDate parsed = QDate::fromString(datePart, Qt::ISODate);
        if (!parsed.isValid()) {
            try {
                parsed = StrToDateStrict(LocaleSettings().shortDateFormat, datePart);
            } catch (const EConvertError&) {
                return std::nullopt;
            }
        }
        if (!parsed.isValid())
            return std::nullopt;
        date = parsed;
    }
    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        QString clock = timePart;
        int shift = -1; // no AM/PM
        const QString upper = clock.toUpper();
        for (const auto& [marker, pm] : {std::pair{QStringLiteral("AM"), false}, std::pair{QStringLiteral("PM"), true}}) {
            if (upper.endsWith(marker)) {
                clock.chop(2);
                shift = pm ? 12 : 0;
            }
        }
        clock = clock.trimmed();
        const QStringList parts = clock.split(QLatin1Char(':'));
        if (parts.size() < 2 || parts.size() > 3)
            return std::nullopt;
        bool ok = true;
        int values[3] = {0, 0, 0};
        double seconds = 0;
        for (int i = 0; i < parts.size() && ok; ++i) {
            if (i == 2)
                seconds = parts[i].toDouble(&ok);
            else
                values[i] = parts[i].toInt(&ok);
        }
        if (!ok)
            return std::nullopt;
        int hour = values[0];
        if (shift >= 0) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + shift;
        }
        const int wholeSeconds = int(seconds);
        time = QTime(hour, values[1], wholeSeconds, int(std::lround((seconds - wholeSeconds) * 1000)) % 1000);
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC);
}

} // namespace DisplayFormat
