#include "components/ConvertError.h"
#include "components/DateUtil.h"
#include "components/LocaleSettings.h"

#include <gtest/gtest.h>

namespace {

TLocaleSettings settingsOf(const char* name)
{
    return TLocaleSettings::fromLocale(QLocale(QString::fromLatin1(name)));
}

// Every reading test runs in a pinned locale and year.
class DateReading : public ::testing::Test
{
protected:
    TLocaleSettingsScope locale{settingsOf("en_GB")};
    TCurrentYearScope year{2026};

    static QDate read(const QString& format, const QString& text)
    {
        return StrToDateOrDefault(format, text, QDate(1, 1, 1));
    }
    static bool readable(const QString& format, const QString& text)
    {
        return read(format, text) != QDate(1, 1, 1);
    }
};

const QString dmy = QStringLiteral("DD/MM/YYYY");

TEST(Calendar, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(LeapYear(2000));
    EXPECT_FALSE(LeapYear(1900));
    EXPECT_TRUE(LeapYear(2024));
    EXPECT_FALSE(LeapYear(2023));
    EXPECT_EQ(DaysInMonthOf(2024, 2), 29);
    EXPECT_EQ(DaysInMonthOf(2023, 2), 28);
    EXPECT_EQ(DaysInMonthOf(2023, 12), 31);
    EXPECT_EQ(DaysInMonthOf(2023, 0), 0);
    EXPECT_EQ(DaysInMonthOf(2023, 13), 0);
}

TEST(Calendar, ValidDays)
{
    EXPECT_TRUE(IsValidYMD(2000, 2, 29));
    EXPECT_FALSE(IsValidYMD(1900, 2, 29));
    EXPECT_FALSE(IsValidYMD(2024, 2, 31));
    EXPECT_FALSE(IsValidYMD(0, 1, 1));
    EXPECT_TRUE(IsValidYMD(9999, 12, 31));
    EXPECT_FALSE(IsValidYMD(10000, 1, 1));
    EXPECT_FALSE(IsValidYMD(2024, 13, 1));
    EXPECT_FALSE(IsValidYMD(2024, 1, 0));
    EXPECT_FALSE(IsValidYMD(2024, -1, 1));

    EXPECT_FALSE(IsValidDateTime(NullDate()));
    EXPECT_TRUE(IsValidDateTime(QDate(2024, 3, 5)));
    EXPECT_FALSE(IsValidDateTime(QDate(-5, 3, 5)));
    EXPECT_TRUE(IsValidDateTime(QDateTime(QDate(2024, 3, 5), QTime(10, 0))));
    EXPECT_FALSE(IsValidDateTime(QDateTime()));
}

TEST(Calendar, DateOrderOfFormats)
{
    EXPECT_EQ(DateOrderOf(QStringLiteral("MM/DD/YYYY")), doMDY);
    EXPECT_EQ(DateOrderOf(QStringLiteral("dd.MM.yy")), doDMY);
    EXPECT_EQ(DateOrderOf(QStringLiteral("yyyy-MM-dd")), doYMD);
    EXPECT_EQ(DateOrderOf(QStringLiteral("ee/mm/dd")), doYMD);
    EXPECT_EQ(DateOrderOf(QStringLiteral("/-.")), doDMY);
    EXPECT_EQ(DateOrderOf(QString()), doDMY);
}

TEST(TwoDigitYears, WindowThirtyIn2026AndIn1998)
{
    for (int y = 0; y < 100; ++y)
        EXPECT_EQ(ExpandTwoDigitYear(y, 2026, 30), 2000 + y) << y;
    for (int y = 0; y <= 28; ++y)
        EXPECT_EQ(ExpandTwoDigitYear(y, 1998, 30), 2000 + y) << y;
    for (int y = 29; y < 100; ++y)
        EXPECT_EQ(ExpandTwoDigitYear(y, 1998, 30), 1900 + y) << y;
    EXPECT_EQ(ExpandTwoDigitYear(100, 1998, 30), 100);
    EXPECT_EQ(ExpandTwoDigitYear(1850, 1998, 30), 1850);
    // A blank year field reads as -1: it must stay invalid, not become 2099.
    EXPECT_EQ(ExpandTwoDigitYear(-1, 2026, 30), -1);
}

TEST(TwoDigitYears, GlobalWindowAndPinnedYear)
{
    ASSERT_EQ(TwoDigitYearWindow(), 30);
    const TCurrentYearScope pinned(1998);
    EXPECT_EQ(CurrentYear(), 1998);
    EXPECT_EQ(ExpandTwoDigitYear(28), 2028);
    EXPECT_EQ(ExpandTwoDigitYear(29), 1929);
    SetTwoDigitYearWindow(50);
    EXPECT_EQ(ExpandTwoDigitYear(48), 2048);
    EXPECT_EQ(ExpandTwoDigitYear(49), 1949);
    SetTwoDigitYearWindow(300);
    EXPECT_EQ(TwoDigitYearWindow(), 255);
    SetTwoDigitYearWindow(30);
}

TEST_F(DateReading, ByPositionInEachOrder)
{
    EXPECT_EQ(read(dmy, QStringLiteral("05/03/2024")), QDate(2024, 3, 5));
    EXPECT_EQ(read(QStringLiteral("MM/DD/YYYY"), QStringLiteral("05/03/2024")), QDate(2024, 5, 3));
    EXPECT_EQ(read(QStringLiteral("YYYY/MM/DD"), QStringLiteral("2024/03/05")), QDate(2024, 3, 5));
    // The position rule reads an ISO text whatever the locale.
    EXPECT_EQ(read(QStringLiteral("YYYY-MM-DD"), QStringLiteral("2024-03-05")), QDate(2024, 3, 5));
    EXPECT_EQ(read(QStringLiteral("DD/MM/YY"), QStringLiteral("05/03/98")), QDate(2098, 3, 5));
    {
        const TCurrentYearScope earlier(1998);
        EXPECT_EQ(read(QStringLiteral("DD/MM/YY"), QStringLiteral("05/03/98")), QDate(1998, 3, 5));
    }
}

TEST_F(DateReading, EmptyTextIsTheNullDate)
{
    EXPECT_TRUE(StrToDateStrict(dmy, QString()).isNull());
    EXPECT_TRUE(StrToDateOrDefault(dmy, QString(), QDate(2000, 1, 1)).isNull());
}

TEST_F(DateReading, ImpossibleDaysInEveryOrder)
{
    EXPECT_FALSE(readable(dmy, QStringLiteral("31/02/2024")));
    EXPECT_FALSE(readable(QStringLiteral("MM/DD/YYYY"), QStringLiteral("02/31/2024")));
    EXPECT_FALSE(readable(QStringLiteral("YYYY/MM/DD"), QStringLiteral("2024/02/31")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("29/02/1900")));
    EXPECT_EQ(read(dmy, QStringLiteral("29/02/2000")), QDate(2000, 2, 29));
    EXPECT_FALSE(readable(dmy, QStringLiteral("00/01/2024")));
}

TEST_F(DateReading, StrictErrorQuotesTheTextWithDoubledApostrophes)
{
    try {
        StrToDateStrict(dmy, QStringLiteral("29/02/1900"));
        FAIL() << "29/02/1900 was accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("''29/02/1900'' is not a valid date"));
        EXPECT_STREQ(e.what(), "''29/02/1900'' is not a valid date");
    }
    EXPECT_EQ(StrToDateStrict(dmy, QStringLiteral("29/02/2000")), QDate(2000, 2, 29));
}

TEST_F(DateReading, FreeScanBySeparators)
{
    EXPECT_EQ(read(dmy, QStringLiteral("5/3/2024")), QDate(2024, 3, 5));
    EXPECT_EQ(read(dmy, QStringLiteral(" 5 / 3 / 24 ")), QDate(2024, 3, 5));
    EXPECT_EQ(read(QStringLiteral("MM/DD/YYYY"), QStringLiteral("5/3/2024")), QDate(2024, 5, 3));
    EXPECT_EQ(read(QStringLiteral("YYYY/MM/DD"), QStringLiteral("24/3/5")), QDate(2024, 3, 5));
    // Without a year: the current one; day and month by the order.
    EXPECT_EQ(read(dmy, QStringLiteral("5/3")), QDate(2026, 3, 5));
    EXPECT_EQ(read(QStringLiteral("YYYY/MM/DD"), QStringLiteral("3/5")), QDate(2026, 3, 5));
    // A separator after two numbers asks for the third.
    EXPECT_FALSE(readable(dmy, QStringLiteral("5/3/")));
    EXPECT_EQ(read(dmy, QStringLiteral("5/3/2024/ ")), QDate(2024, 3, 5));
    EXPECT_FALSE(readable(dmy, QStringLiteral("5/3/2024x")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("05/03/2024x")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("5-3-2024")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("5/")));
    // Four significant digits at most: the fifth is left over.
    EXPECT_FALSE(readable(QStringLiteral("YYYY/MM/DD"), QStringLiteral("20245/3/5")));
    EXPECT_EQ(read(QStringLiteral("YYYY/MM/DD"), QStringLiteral("02024/3/5")), QDate(2024, 3, 5));
}

TEST_F(DateReading, BlankYearFieldIsNotAYear)
{
    EXPECT_FALSE(readable(dmy, QStringLiteral("05/03/    ")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("05/03/____")));
    EXPECT_FALSE(readable(dmy, QStringLiteral("  /  /    ")));
}

TEST_F(DateReading, MonthNamesAndWhatFollowsThem)
{
    const QString named = QStringLiteral("DD-MMM-YYYY");
    EXPECT_EQ(read(named, QStringLiteral("05-Mar-2024")), QDate(2024, 3, 5));
    EXPECT_EQ(read(named, QStringLiteral("05-mar-2024")), QDate(2024, 3, 5));
    // Names longer or shorter than the format's run: the year after them is still read.
    EXPECT_EQ(read(named, QStringLiteral("05-March-2024")), QDate(2024, 3, 5));
    EXPECT_EQ(read(named, QStringLiteral("5-Sept-2024")), QDate(2024, 9, 5));
    EXPECT_EQ(read(QStringLiteral("D MMM YYYY"), QStringLiteral("15 September 2024")),
              QDate(2024, 9, 15));
    EXPECT_EQ(read(QStringLiteral("MMM D/YYYY"), QStringLiteral("December 24/2024")),
              QDate(2024, 12, 24));
    EXPECT_FALSE(readable(named, QStringLiteral("05-Xyz-2024")));
    EXPECT_FALSE(readable(named, QStringLiteral("05-March-2024 x")));
    EXPECT_FALSE(readable(named, QStringLiteral("31-February-2024")));
}

TEST_F(DateReading, LocaleSeparator)
{
    const TLocaleSettingsScope german(settingsOf("de_DE"));
    const QString format = QStringLiteral("DD.MM.YYYY");
    EXPECT_EQ(read(format, QStringLiteral("5.3.2024")), QDate(2024, 3, 5));
    EXPECT_FALSE(readable(format, QStringLiteral("5/3/2024")));
    EXPECT_EQ(read(QStringLiteral("DD-MMM-YYYY"), QStringLiteral("5-März-2024")), QDate(2024, 3, 5));
}

TEST_F(DateReading, FarEastTrailingText)
{
    TLocaleSettings farEast = settingsOf("ja_JP");
    farEast.shortDateFormat = QStringLiteral("yyyy/MM/dd ddd");
    farEast.shortTimeFormat = QStringLiteral("AP h:mm");
    farEast.timeAMString = QStringLiteral("AM");
    farEast.timePMString = QStringLiteral("PM");
    const QString format = QStringLiteral("YYYY/MM/DD");
    const QString withDay = QStringLiteral("2024/3/5 Tue");
    EXPECT_FALSE(readable(format, withDay));

    const TLocaleSettingsScope pinned(farEast);
    EXPECT_EQ(read(format, withDay), QDate(2024, 3, 5));
    // A time is not skipped over: the text is not used up.
    EXPECT_FALSE(readable(format, QStringLiteral("2024/3/5 Tue am 10:00")));
}

TEST_F(DateReading, EraPrefixIsSkipped)
{
    TLocaleSettings era = settingsOf("en_GB");
    era.shortDateFormat = QStringLiteral("gg yyyy/MM/dd");
    const TLocaleSettingsScope pinned(era);
    EXPECT_EQ(read(QStringLiteral("YYYY/MM/DD"), QStringLiteral("AD 2024/3/5")), QDate(2024, 3, 5));
}

TEST(DateDefaults, FormatsAndMasksFollowTheLocaleOrder)
{
    struct Case
    {
        const char* locale;
        const char* four;
        const char* two;
        const char* mask;
        bool fourDigit;
    };
    const Case cases[] = {
        {"en_US", "MM/DD/YYYY", "MM/DD/YY", "!99/99/9999;1;_", false},
        {"en_GB", "DD/MM/YYYY", "DD/MM/YY", "!99/99/9999;1;_", true},
        {"sv_SE", "YYYY/MM/DD", "YY/MM/DD", "!9999/99/99;1;_", true},
    };
    for (const Case& c : cases) {
        const TLocaleSettingsScope pinned(settingsOf(c.locale));
        EXPECT_EQ(DefaultDateFormat(true), QLatin1String(c.four)) << c.locale;
        EXPECT_EQ(DefaultDateFormat(false), QLatin1String(c.two)) << c.locale;
        EXPECT_EQ(DefaultDateMask(QLatin1Char('_'), true), QLatin1String(c.mask)) << c.locale;
        EXPECT_EQ(DefaultDateMask(QLatin1Char(' '), false), QStringLiteral("!99/99/99;1; ")) << c.locale;
        EXPECT_EQ(FourDigitYear(), c.fourDigit) << c.locale;
    }
}

TEST(DateDefaults, DefaultFormatReadsBackWhatItDescribes)
{
    const TLocaleSettingsScope pinned(settingsOf("en_US"));
    const TCurrentYearScope year(2026);
    const QString format = DefaultDateFormat(true);
    EXPECT_EQ(StrToDateStrict(format, QStringLiteral("12/31/2025")), QDate(2025, 12, 31));
    EXPECT_EQ(StrToDateStrict(format, QStringLiteral("12/31")), QDate(2026, 12, 31));
}

TEST(Locale, FactsTakenFromQLocale)
{
    const TLocaleSettings us = settingsOf("en_US");
    EXPECT_EQ(us.dateSeparator, QLatin1Char('/'));
    EXPECT_EQ(us.longMonthNames.size(), 12);
    EXPECT_EQ(us.longMonthNames.first(), QStringLiteral("January"));
    EXPECT_EQ(us.shortMonthNames.at(8), QStringLiteral("Sep"));
    EXPECT_EQ(us.longDayNames.first(), QStringLiteral("Sunday"));
    EXPECT_EQ(us.shortDayNames.at(1), QStringLiteral("Mon"));
    EXPECT_EQ(us.currencyString, QStringLiteral("$"));
    EXPECT_EQ(us.currencyFormat, 0);
    EXPECT_EQ(us.currencyDecimals, 2);
    EXPECT_FALSE(us.farEast);

    const TLocaleSettings de = settingsOf("de_DE");
    EXPECT_EQ(de.dateSeparator, QLatin1Char('.'));
    EXPECT_EQ(de.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(de.thousandSeparator, QLatin1Char('.'));
    EXPECT_EQ(de.currencyFormat, 3);

    const TLocaleSettings ja = settingsOf("ja_JP");
    EXPECT_TRUE(ja.farEast);
    EXPECT_EQ(ja.currencyDecimals, 0);
}

TEST(Locale, ScopeRestoresThePreviousSettings)
{
    const QString before = LocaleSettings().shortDateFormat;
    {
        TLocaleSettings odd = settingsOf("en_US");
        odd.shortDateFormat = QStringLiteral("yyyy|MM|dd");
        const TLocaleSettingsScope pinned(odd);
        EXPECT_EQ(LocaleSettings().shortDateFormat, QStringLiteral("yyyy|MM|dd"));
    }
    EXPECT_EQ(LocaleSettings().shortDateFormat, before);
}

} // namespace
