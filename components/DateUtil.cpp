#include "components/DateUtil.h"

#include "components/ConvertError.h"
#include "components/LocaleSettings.h"

#include <array>
#include <limits>
#include <optional>

namespace {

constexpr std::array<int, 12> kDaysInMonth{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

quint8 g_twoDigitYearWindow = 30;
std::optional<int> g_pinnedYear;

struct Ymd
{
    int year = 0;
    int month = 0;
    int day = 0;

    bool isValid() const { return IsValidYMD(year, month, day); }
};

QChar upper(QChar c)
{
    return c.toUpper();
}

// Upper case character by character, so positions stay those of the format.
QString upperFormatOf(const QString& format)
{
    QString result = format;
    for (QChar& c : result)
        c = upper(c);
    return result;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digits only; -1 for anything else or a value too large for an int.
int numberOrMinusOne(const QString& digits)
{
    if (digits.isEmpty())
        return -1;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return -1;
    }
    return int(value);
}

// 1..12 for a text that matches the start of a long month name (January
// first), compared without regard to case; 0 when none matches.
int monthFromName(const QString& text)
{
    if (text.isEmpty())
        return 0;
    const QStringList& names = LocaleSettings().longMonthNames;
    for (int i = 0; i < names.size() && i < 12; ++i) {
        if (names.at(i).left(text.size()).compare(text, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

// ------------------------------------------------------------ mask pass

// One field taken by position: the text's characters where the format holds
// the first run of `count` copies of `letter`, blanks left out.
int maskField(const QString& upperFormat, const QString& s, QChar letter, int count,
              bool byName, int defaultValue)
{
    if (s.size() > upperFormat.size())
        return defaultValue;
    qsizetype at = upperFormat.indexOf(QString(count, letter));
    if (at < 0)
        return defaultValue;
    const qsizetype end = s.size();
    QString run;
    for (; at < end && upperFormat.at(at) == letter; ++at) {
        if (s.at(at) != QLatin1Char(' '))
            run += s.at(at);
    }
    if (run.isEmpty())
        return -1;
    if (byName) {
        const int month = monthFromName(run);
        return month == 0 ? -1 : month;
    }
    return numberOrMinusOne(run);
}

Ymd maskPass(const QString& format, const QString& s)
{
    const QString upperFormat = upperFormatOf(format);
    Ymd date;
    date.month = maskField(upperFormat, s, QLatin1Char('M'), 3, true, 0);
    if (date.month == 0)
        date.month = maskField(upperFormat, s, QLatin1Char('M'), 1, false, 0);
    date.day = maskField(upperFormat, s, QLatin1Char('D'), 1, false, 1);
    date.year = ExpandTwoDigitYear(maskField(upperFormat, s, QLatin1Char('Y'), 1, false, CurrentYear()));
    return date;
}

// ------------------------------------------------------------ text scanner

class Scanner
{
public:
    explicit Scanner(const QString& s) : m_s(s) {}

    bool atEnd() const { return m_pos >= m_s.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_s.at(m_pos); }

    void skipBlanks()
    {
        while (!atEnd() && m_s.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
    }

    void advance() { ++m_pos; }

    void skipToDigit()
    {
        while (!atEnd() && !isDigit(m_s.at(m_pos)))
            ++m_pos;
    }

    // Blanks, then up to four significant digits: reading stops once the
    // value has reached 1000.
    std::optional<int> number()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        int value = 0;
        while (!atEnd() && isDigit(m_s.at(m_pos)) && value < 1000) {
            value = value * 10 + (m_s.at(m_pos).unicode() - '0');
            ++m_pos;
        }
        if (m_pos == start)
            return std::nullopt;
        return value;
    }

    // Blanks, then c.
    bool take(QChar c)
    {
        skipBlanks();
        if (atEnd() || m_s.at(m_pos) != c)
            return false;
        ++m_pos;
        return true;
    }

    // Blanks, then a run of letters naming a month.
    std::optional<int> monthName()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (!atEnd() && m_s.at(m_pos).isLetter())
            ++m_pos;
        const int month = monthFromName(m_s.mid(start, m_pos - start));
        if (month == 0) {
            m_pos = start;
            return std::nullopt;
        }
        return month;
    }

    bool startsWithNoCase(const QString& text) const
    {
        return QStringView(m_s).mid(m_pos, text.size()).compare(text, Qt::CaseInsensitive) == 0;
    }

    void skipWord()
    {
        while (!atEnd() && m_s.at(m_pos) != QLatin1Char(' '))
            ++m_pos;
    }

private:
    const QString& m_s;
    qsizetype m_pos = 0;
};

// Reads the text field by field along the format, each field as long as the
// text has it: a month name of any length does not shift the fields after it.
std::optional<Ymd> formatPass(const QString& format, const QString& s)
{
    const QString upperFormat = upperFormatOf(format);
    Scanner in(s);
    Ymd date{CurrentYear(), 0, 1};
    for (qsizetype i = 0; i < upperFormat.size();) {
        const QChar letter = upperFormat.at(i);
        qsizetype run = i;
        while (run < upperFormat.size() && upperFormat.at(run) == letter)
            ++run;
        const qsizetype length = run - i;
        i = run;
        if (letter == QLatin1Char('M') && length >= 3) {
            const auto month = in.monthName();
            if (!month)
                return std::nullopt;
            date.month = *month;
        } else if (letter == QLatin1Char('M') || letter == QLatin1Char('D') || letter == QLatin1Char('Y')) {
            const auto value = in.number();
            if (!value)
                return std::nullopt;
            if (letter == QLatin1Char('M'))
                date.month = *value;
            else if (letter == QLatin1Char('D'))
                date.day = *value;
            else
                date.year = ExpandTwoDigitYear(*value);
        } else if (letter == QLatin1Char(' ')) {
            in.skipBlanks();
        } else {
            // "/" in a format stands for the locale's date separator too.
            const QChar separator = LocaleSettings().dateSeparator;
            for (qsizetype k = 0; k < length; ++k) {
                in.skipBlanks();
                const QChar c = upper(in.peek());
                if (in.atEnd() || (c != letter && !(letter == QLatin1Char('/') && c == separator)))
                    return std::nullopt;
                in.advance();
            }
        }
    }
    in.skipBlanks();
    if (!in.atEnd())
        return std::nullopt;
    return date;
}

// Numbers and date separators in the order of the format; the year may be
// left out.
std::optional<Ymd> freeScan(const QString& format, const QString& s)
{
    const TLocaleSettings& locale = LocaleSettings();
    const TDateOrder order = DateOrderOf(format);
    Scanner in(s);
    in.skipBlanks();
    if (locale.shortDateFormat.startsWith(QLatin1Char('g')))
        in.skipToDigit();
    const auto n1 = in.number();
    if (!n1 || !in.take(locale.dateSeparator))
        return std::nullopt;
    const auto n2 = in.number();
    if (!n2)
        return std::nullopt;
    Ymd date;
    if (in.take(locale.dateSeparator)) {
        const auto n3 = in.number();
        if (!n3)
            return std::nullopt;
        switch (order) {
        case doMDY: date = {*n3, *n1, *n2}; break;
        case doDMY: date = {*n3, *n2, *n1}; break;
        case doYMD: date = {*n1, *n2, *n3}; break;
        }
        date.year = ExpandTwoDigitYear(date.year);
    } else {
        date.year = CurrentYear();
        if (order == doDMY) {
            date.day = *n1;
            date.month = *n2;
        } else {
            date.month = *n1;
            date.day = *n2;
        }
    }
    in.take(locale.dateSeparator);
    in.skipBlanks();
    if (locale.farEast && locale.shortDateFormat.contains(QLatin1String("ddd"))) {
        // A time may follow the date: skip to it.
        if (!locale.shortTimeFormat.isEmpty() && isDigit(locale.shortTimeFormat.at(0))) {
            in.skipToDigit();
        } else {
            do {
                in.skipWord();
                in.skipBlanks();
            } while (!in.atEnd() && !in.startsWithNoCase(locale.timeAMString)
                     && !in.startsWithNoCase(locale.timePMString));
        }
    }
    if (!in.atEnd())
        return std::nullopt;
    return date;
}

std::optional<QDate> readDate(const QString& format, const QString& s)
{
    if (s.isEmpty())
        return NullDate();
    Ymd date = maskPass(format, s);
    if (!date.isValid() && upperFormatOf(format).contains(QLatin1String("MMM"))) {
        if (const auto byFormat = formatPass(format, s))
            date = *byFormat;
    }
    if (!date.isValid()) {
        const auto scanned = freeScan(format, s);
        if (!scanned || !scanned->isValid())
            return std::nullopt;
        date = *scanned;
    }
    const QDate result(date.year, date.month, date.day);
    if (!result.isValid())
        return std::nullopt;
    return result;
}

} // namespace

bool LeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonthOf(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && LeapYear(year) ? 29 : kDaysInMonth[month - 1];
}

bool IsValidYMD(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1
           && day <= DaysInMonthOf(year, month);
}

bool IsValidDateTime(const QDate& date)
{
    return date.isValid() && IsValidYMD(date.year(), date.month(), date.day());
}

bool IsValidDateTime(const QDateTime& dateTime)
{
    return dateTime.isValid() && IsValidDateTime(dateTime.date());
}

int CurrentYear()
{
    return g_pinnedYear ? *g_pinnedYear : QDate::currentDate().year();
}

TDateOrder DateOrderOf(const QString& format)
{
    for (const QChar c : format) {
        switch (upper(c).unicode()) {
        case 'E':
        case 'Y': return doYMD;
        case 'M': return doMDY;
        case 'D': return doDMY;
        default: break;
        }
    }
    return doDMY;
}

int TwoDigitYearWindow()
{
    return g_twoDigitYearWindow;
}

void SetTwoDigitYearWindow(int window)
{
    g_twoDigitYearWindow = quint8(qBound(0, window, 255));
}

int ExpandTwoDigitYear(int year)
{
    return ExpandTwoDigitYear(year, CurrentYear(), TwoDigitYearWindow());
}

int ExpandTwoDigitYear(int year, int currentYear, int window)
{
    if (year < 0 || year >= 100)
        return year;
    const int century = currentYear / 100 * 100;
    const int intoCentury = currentYear - century;
    return year > intoCentury + window - 100 ? year + century : year + century + 100;
}

bool FourDigitYear()
{
    return LocaleSettings().shortDateFormat.toUpper().contains(QLatin1String("YYYY"));
}

QDate StrToDateStrict(const QString& format, const QString& s)
{
    const auto date = readDate(format, s);
    if (!date)
        throw EConvertError(QStringLiteral("''%1'' is not a valid date").arg(s));
    return *date;
}

QDate StrToDateOrDefault(const QString& format, const QString& s, const QDate& defaultDate)
{
    return readDate(format, s).value_or(defaultDate);
}

QString DefaultDateFormat(bool fourDigit)
{
    switch (DateOrderOf(LocaleSettings().shortDateFormat)) {
    case doMDY: return fourDigit ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
    case doYMD: return fourDigit ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
    case doDMY: break;
    }
    return fourDigit ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
}

QString DefaultDateMask(QChar blankChar, bool fourDigit)
{
    QString mask;
    if (!fourDigit)
        mask = QStringLiteral("!99/99/99;1;");
    else if (DateOrderOf(LocaleSettings().shortDateFormat) == doYMD)
        mask = QStringLiteral("!9999/99/99;1;");
    else
        mask = QStringLiteral("!99/99/9999;1;");
    return mask + blankChar;
}

TCurrentYearScope::TCurrentYearScope(int year)
    : m_previous(g_pinnedYear)
{
    g_pinnedYear = year;
}

TCurrentYearScope::~TCurrentYearScope()
{
    g_pinnedYear = m_previous;
}
