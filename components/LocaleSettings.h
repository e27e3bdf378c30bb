#pragma once

// The locale facts the date, number and currency routines read: one
// structure, filled from QLocale at first use and replaceable as a whole, so
// tests (and a settings change) pin exactly what the routines see.
// Read and replaced on the GUI thread only.

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

struct TLocaleSettings
{
    // The locale's short date format as the locale writes it ("dd/MM/yyyy",
    // "M/d/yy", "yyyy-MM-dd"); d, M and y name the day, month and year.
    QString shortDateFormat;
    QChar dateSeparator = QLatin1Char('/');
    QString shortTimeFormat;
    QString timeAMString;
    QString timePMString;
    QStringList longMonthNames;  // 12, January first
    QStringList shortMonthNames; // 12, January first
    QStringList longDayNames;    // 7, Sunday first
    QStringList shortDayNames;   // 7, Sunday first
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');
    QString currencyString;
    // 0 symbol before the number, 1 after it, 2 symbol, blank, number,
    // 3 number, blank, symbol.
    int currencyFormat = 0;
    int currencyDecimals = 2;
    // Chinese, Japanese and Korean locales: a date text may carry trailing text.
    bool farEast = false;

    static TLocaleSettings fromLocale(const QLocale& locale);
};

// The settings in force: those of the system locale until replaced.
const TLocaleSettings& LocaleSettings();
void SetLocaleSettings(const TLocaleSettings& settings);

// Puts settings in force for its lifetime and restores the previous ones.
class TLocaleSettingsScope
{
public:
    explicit TLocaleSettingsScope(const TLocaleSettings& settings);
    ~TLocaleSettingsScope();
    TLocaleSettingsScope(const TLocaleSettingsScope&) = delete;
    TLocaleSettingsScope& operator=(const TLocaleSettingsScope&) = delete;

private:
    TLocaleSettings m_previous;
};
