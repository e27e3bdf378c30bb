#include "components/LocaleSettings.h"

#include <optional>

namespace {

bool isFormatLetter(QChar c)
{
    return c.isLetter() || c == QLatin1Char('\'');
}

// The first character between the fields of a date format that is neither a
// letter, a quote nor a blank.
QChar dateSeparatorOf(const QString& format)
{
    for (const QChar c : format) {
        if (!isFormatLetter(c) && !c.isSpace())
            return c;
    }
    return QLatin1Char('/');
}

bool isBlank(QChar c)
{
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F);
}

void setCurrencyLayout(TLocaleSettings& settings, const QLocale& locale)
{
    settings.currencyString = locale.currencySymbol(QLocale::CurrencySymbol);
    const QString sample = locale.toCurrencyString(1.0);
    const QString number = locale.toString(1.0, 'f', 0);
    const qsizetype symbolAt = settings.currencyString.isEmpty()
                                   ? -1
                                   : sample.indexOf(settings.currencyString);
    const qsizetype numberAt = sample.indexOf(number);
    if (symbolAt < 0 || numberAt < 0) {
        settings.currencyFormat = 0;
    } else if (symbolAt < numberAt) {
        const qsizetype gap = symbolAt + settings.currencyString.size();
        settings.currencyFormat = gap < sample.size() && isBlank(sample.at(gap)) ? 2 : 0;
    } else {
        settings.currencyFormat = symbolAt > 0 && isBlank(sample.at(symbolAt - 1)) ? 3 : 1;
    }
    // Digits after the decimal separator of the locale's own currency text.
    settings.currencyDecimals = 0;
    const qsizetype point = sample.indexOf(settings.decimalSeparator, numberAt < 0 ? 0 : numberAt);
    if (point >= 0) {
        for (qsizetype i = point + 1; i < sample.size() && sample.at(i).isDigit(); ++i)
            ++settings.currencyDecimals;
    }
}

std::optional<TLocaleSettings>& current()
{
    static std::optional<TLocaleSettings> settings;
    return settings;
}

} // namespace

TLocaleSettings TLocaleSettings::fromLocale(const QLocale& locale)
{
    TLocaleSettings settings;
    settings.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    settings.dateSeparator = dateSeparatorOf(settings.shortDateFormat);
    settings.shortTimeFormat = locale.timeFormat(QLocale::ShortFormat);
    settings.timeAMString = locale.amText();
    settings.timePMString = locale.pmText();
    for (int month = 1; month <= 12; ++month) {
        settings.longMonthNames << locale.monthName(month, QLocale::LongFormat);
        settings.shortMonthNames << locale.monthName(month, QLocale::ShortFormat);
    }
    // Qt counts Monday as day 1 and Sunday as day 7.
    for (int day : {7, 1, 2, 3, 4, 5, 6}) {
        settings.longDayNames << locale.dayName(day, QLocale::LongFormat);
        settings.shortDayNames << locale.dayName(day, QLocale::ShortFormat);
    }
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    settings.decimalSeparator = decimal.isEmpty() ? QLatin1Char('.') : decimal.at(0);
    settings.thousandSeparator = group.isEmpty() ? QLatin1Char(',') : group.at(0);
    setCurrencyLayout(settings, locale);
    const QLocale::Language language = locale.language();
    settings.farEast = language == QLocale::Chinese || language == QLocale::Japanese
                       || language == QLocale::Korean;
    return settings;
}

const TLocaleSettings& LocaleSettings()
{
    auto& settings = current();
    if (!settings)
        settings = TLocaleSettings::fromLocale(QLocale());
    return *settings;
}

void SetLocaleSettings(const TLocaleSettings& settings)
{
    current() = settings;
}

TLocaleSettingsScope::TLocaleSettingsScope(const TLocaleSettings& settings)
    : m_previous(LocaleSettings())
{
    SetLocaleSettings(settings);
}

TLocaleSettingsScope::~TLocaleSettingsScope()
{
    SetLocaleSettings(m_previous);
}
