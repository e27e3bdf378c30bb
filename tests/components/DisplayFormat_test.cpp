// Number and date masks as the typed grid's columns and the number edits use
// them, and the column format that picks the mask.

#include <QDateTime>
#include <gtest/gtest.h>

#include "components/DisplayFormat.h"
#include "components/LocaleSettings.h"
#include "components/TgGlobal.h"

namespace {

TLocaleSettings UsSettings()
{
    TLocaleSettings s = TLocaleSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    s.shortDateFormat = QStringLiteral("M/d/yyyy");
    s.dateSeparator = QLatin1Char('/');
    s.decimalSeparator = QLatin1Char('.');
    s.thousandSeparator = QLatin1Char(',');
    s.timeAMString = QStringLiteral("AM");
    s.timePMString = QStringLiteral("PM");
    s.currencyString = QStringLiteral("$");
    s.currencyFormat = 0;
    s.currencyDecimals = 2;
    return s;
}

class DisplayFormatTest : public ::testing::Test
{
protected:
    TLocaleSettingsScope locale{UsSettings()};
};

TEST_F(DisplayFormatTest, NumberMasksPlaceDigitsGroupsAndLiterals)
{
    using DisplayFormat::Float;
    EXPECT_EQ(Float(",0.##", 1234.5), "1,234.5");
    EXPECT_EQ(Float(",0.##", 0), "0");
    EXPECT_EQ(Float("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(Float("#,##0.00", 0.5), "0.50");
    EXPECT_EQ(Float("#0", 0), "0");
    EXPECT_EQ(Float("#", 0), "");
    EXPECT_EQ(Float("0", 40000), "40000");
    EXPECT_EQ(Float("000.0", 7.25), "007.3");
    EXPECT_EQ(Float("0.##", 3), "3");
    EXPECT_EQ(Float("\"$\"#,##0.00", 1234.5), "$1,234.50");
    EXPECT_EQ(Float("0.00 'kg'", 2), "2.00 kg");
    EXPECT_EQ(Float("0.0;(0.0)", -2.25), "(2.3)");
    EXPECT_EQ(Float("0.0", -2.25), "-2.3");
    EXPECT_EQ(Float("0.0;-0.0;\"zero\"", 0.01), "zero"); // rounds to zero: the zero section
    EXPECT_EQ(Float("0.00", -0.001), "0.00");            // no sign for a value shown as zero
    EXPECT_EQ(Float("", 1.5), "1.5");
}

TEST_F(DisplayFormatTest, RoundingIsHalfAwayFromZeroOnTheDigitsAUserWrites)
{
    using DisplayFormat::Float;
    EXPECT_EQ(Float("0.00", 0.125), "0.13");
    EXPECT_EQ(Float("0.00", 1.005), "1.01");
    EXPECT_EQ(Float("0.00", -1.005), "-1.01");
    EXPECT_EQ(Float("0", 9.5), "10");
    EXPECT_EQ(Float("0.0", 99.96), "100.0");
    EXPECT_EQ(Float("0.00", 0.004), "0.00");
    EXPECT_EQ(Float("#,##0", 999999.5), "1,000,000");
}

TEST_F(DisplayFormatTest, ScientificMasks)
{
    using DisplayFormat::Float;
    EXPECT_EQ(Float("0.00E+00", 1234.5), "1.23E+03");
    EXPECT_EQ(Float("0.00E+00", 0.000123456), "1.23E-04");
    EXPECT_EQ(Float("0.00E-00", 1234.5), "1.23E03");
    EXPECT_EQ(Float("0.00E+00", 0), "0.00E+00");
    EXPECT_EQ(Float("0.0E+0", 9.96), "1.0E+1");
    EXPECT_EQ(Float("0E+00", -5), "-5E+00");
}

TEST_F(DisplayFormatTest, DecimalSeparatorsFollowTheLocale)
{
    TLocaleSettings german = UsSettings();
    german.decimalSeparator = QLatin1Char(',');
    german.thousandSeparator = QLatin1Char('.');
    const TLocaleSettingsScope scope(german);
    EXPECT_EQ(DisplayFormat::Float("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(DisplayFormat::ParseFloat(" 1.234,5 ").value_or(-1), 1234.5);
    EXPECT_EQ(DisplayFormat::ParseFloat("1234.5").value_or(-1), 12345); // "." groups digits here
    EXPECT_FALSE(DisplayFormat::ParseFloat("12a").has_value());
    EXPECT_FALSE(DisplayFormat::ParseFloat("").has_value());
}

TEST_F(DisplayFormatTest, DateMasks)
{
    using DisplayFormat::DateTime;
    const QDateTime stamp(QDate(2024, 3, 7), QTime(14, 5, 9), Qt::UTC);
    EXPECT_EQ(DateTime("m/d/yy", stamp), "3/7/24");
    EXPECT_EQ(DateTime("mm/dd/yy", stamp), "03/07/24");
    EXPECT_EQ(DateTime("d-mmm-yy", stamp), "7-Mar-24");
    EXPECT_EQ(DateTime("mmmm d, yyyy", stamp), "March 7, 2024");
    EXPECT_EQ(DateTime("dddd mmmm d, yyyy", stamp), "Thursday March 7, 2024");
    EXPECT_EQ(DateTime("ddd mmmm d, yyyy", stamp), "Thu March 7, 2024");
    EXPECT_EQ(DateTime("h:nn", stamp), "14:05");
    EXPECT_EQ(DateTime("h:nn:ss ampm", stamp), "2:05:09 PM");
    EXPECT_EQ(DateTime("hh:mm", stamp), "14:05"); // minutes right after the hour
    EXPECT_EQ(DateTime("h:nn a/p", stamp), "2:05 p");
    EXPECT_EQ(DateTime("'on' d/m", stamp), "on 7/3");
}

TEST_F(DisplayFormatTest, ReadingDatesAndTimes)
{
    EXPECT_EQ(DisplayFormat::ParseDateTime("3/7/2024 2:05 PM").value_or(QDateTime()),
              QDateTime(QDate(2024, 3, 7), QTime(14, 5), Qt::UTC));
    EXPECT_EQ(DisplayFormat::ParseDateTime("2024-03-07").value_or(QDateTime()),
              QDateTime(QDate(2024, 3, 7), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(DisplayFormat::ParseDateTime("13:45:30").value_or(QDateTime()),
              QDateTime(QDate(1899, 12, 30), QTime(13, 45, 30), Qt::UTC));
    EXPECT_FALSE(DisplayFormat::ParseDateTime("yesterday").has_value());
    EXPECT_FALSE(DisplayFormat::ParseDateTime("25:00").has_value());
}

TEST_F(DisplayFormatTest, ColumnFormatsShowCellTexts)
{
    TtgNumberFormat money;
    money.FormatType = tgfmtNumeric;
    money.Prefix = QStringLiteral("$");
    money.Decimals = 2;
    EXPECT_EQ(NumberMask(money), "\"$\"#,##0.00");
    EXPECT_EQ(FormatCellText(money, "1234.5"), "$1,234.50");
    money.NegativeParenthesis = true;
    EXPECT_EQ(FormatCellText(money, "-1"), "($1.00)");
    money.ThousandsSeparator = false;
    money.Decimals = 0;
    EXPECT_EQ(FormatCellText(money, "1234.5"), "$1235");
    EXPECT_EQ(FormatCellText(money, "-1234.5"), "($1235)");
    money.Prefix = QStringLiteral("a\"b'c");
    EXPECT_EQ(FormatCellText(money, "7"), "a\"b'c7"); // any prefix stands as written

    TtgNumberFormat scientific;
    scientific.FormatType = tgfmtScientific;
    EXPECT_EQ(FormatCellText(scientific, "1234.5"), "1.23E+03");

    bool converted = true;
    EXPECT_EQ(FormatCellText(scientific, "n/a", &converted), "n/a");
    EXPECT_FALSE(converted);
    EXPECT_EQ(FormatCellText(scientific, ""), "");

    TtgNumberFormat date;
    date.FormatType = tgfmtDateTime;
    EXPECT_EQ(FormatCellText(date, "2024-03-07"), "03/07/24");
    date.DateFormat = 8;
    date.TimeFormat = 1;
    EXPECT_EQ(FormatCellText(date, "3/7/2024 14:05"), "March 7, 2024 2:05 PM");
    date.DateFormat = -1;
    EXPECT_EQ(FormatCellText(date, "3/7/2024 14:05"), "2:05 PM");
    date.TimeFormat = -1;
    EXPECT_EQ(FormatCellText(date, "3/7/2024 14:05"), "3/7/2024 14:05");
}

TEST_F(DisplayFormatTest, DateMaskGroupFollowsTheLocalesDateOrder)
{
    EXPECT_EQ(DateMask(2), "mm/dd/yy");
    TLocaleSettings settings = UsSettings();
    settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    {
        const TLocaleSettingsScope dayFirst(settings);
        EXPECT_EQ(DateMask(1), "d/m/yy");
        EXPECT_EQ(DateMask(2), "dd/mm/yy");
    }
    settings.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    {
        const TLocaleSettingsScope yearFirst(settings);
        EXPECT_EQ(DateMask(0), "m/d");
        EXPECT_EQ(DateMask(2), "yy/mm/dd");
        EXPECT_EQ(DateMask(10), "dddd mmmm d, yyyy");
    }
    EXPECT_EQ(DateMask(11), "");
    EXPECT_EQ(TimeMask(3), "h:nn:ss ampm");
    EXPECT_EQ(TimeMask(4), "");
}

} // namespace
