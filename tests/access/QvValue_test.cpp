// Values in the server's own forms as Qt values and text, and text that a
// connection's character set cannot carry.

#include "access/Qv.h"
#include "access/QvTextCodec.h"
#include "access/QvValue.h"

#include <QRandomGenerator>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cstring>

namespace {

template <typename T>
QString scalarText(int type, int scale, T value)
{
    char data[sizeof(T)];
    std::memcpy(data, &value, sizeof value);
    QString text;
    EXPECT_TRUE(QvValue::ScalarText(type, scale, data, text));
    return text;
}

TEST(QvValue, DatesCountDaysFromTheServersDayZero)
{
    EXPECT_EQ(QvValue::DateOf(0), QDate(1858, 11, 17));
    EXPECT_EQ(QvValue::IscDate(QDate(1858, 11, 17)), 0);
    EXPECT_EQ(QvValue::DateText(0), QStringLiteral("1858-11-17"));
    EXPECT_EQ(QvValue::DateText(-1), QStringLiteral("1858-11-16"));
    EXPECT_EQ(QvValue::DateText(QvValue::IscDate(QDate(1, 1, 1))), QStringLiteral("0001-01-01"));
    EXPECT_EQ(QvValue::DateText(QvValue::IscDate(QDate(9999, 12, 31))), QStringLiteral("9999-12-31"));
    // Every day of the years the server keeps reads back as its own date.
    const ISC_DATE first = QvValue::IscDate(QDate(1, 1, 1));
    const ISC_DATE last = QvValue::IscDate(QDate(9999, 12, 31));
    for (ISC_DATE day = first; day <= last; day += 7) {
        const QDate date = QvValue::DateOf(day);
        ASSERT_EQ(QvValue::DateText(day), date.toString(Qt::ISODate)) << day;
        ASSERT_EQ(QvValue::IscDate(date), day);
    }
}

TEST(QvValue, TimesShowTheirFractionAsFarAsItGoes)
{
    EXPECT_EQ(QvValue::TimeText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(QvValue::TimeText((13 * 3600 + 45 * 60 + 30) * 10000 + 5000), QStringLiteral("13:45:30.500"));
    EXPECT_EQ(QvValue::TimeText(1234), QStringLiteral("00:00:00.1234"));
    EXPECT_EQ(QvValue::TimeText(86399 * 10000 + 9990), QStringLiteral("23:59:59.999"));
    EXPECT_EQ(QvValue::TimeOf(1234), QTime(0, 0, 0, 123));
    EXPECT_EQ(QvValue::IscTime(QTime(13, 45, 30, 500)), ISC_TIME((13 * 3600 + 45 * 60 + 30) * 10000 + 5000));
    QRandomGenerator random(11);
    for (int i = 0; i < 5000; ++i) {
        const ISC_TIME time = ISC_TIME(random.bounded(864000000));
        const QString text = QvValue::TimeText(time);
        const QTime parsed = QTime::fromString(text.left(12), Qt::ISODateWithMs);
        ASSERT_TRUE(parsed.isValid()) << qPrintable(text);
        ASSERT_EQ(QvValue::IscTime(parsed), time - time % 10) << qPrintable(text);
    }
}

TEST(QvValue, ATimeStampAtMidnightIsItsDateAlone)
{
    const ISC_TIMESTAMP midnight{QvValue::IscDate(QDate(2001, 1, 2)), 0};
    const ISC_TIMESTAMP evening{QvValue::IscDate(QDate(1999, 12, 31)), ISC_TIME(86398) * 10000};
    EXPECT_EQ(QvValue::TimestampText(midnight), QStringLiteral("2001-01-02"));
    EXPECT_EQ(QvValue::TimestampText(evening), QStringLiteral("1999-12-31 23:59:58"));
    EXPECT_EQ(QvValue::DateTimeOf(evening), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58), QTimeZone::utc()));
    const ISC_TIMESTAMP back = QvValue::IscTimestamp(QvValue::DateTimeOf(evening));
    EXPECT_EQ(back.timestamp_date, evening.timestamp_date);
    EXPECT_EQ(back.timestamp_time, evening.timestamp_time);
}

TEST(QvValue, ScalarTextOfEveryNumberDateAndBooleanType)
{
    EXPECT_EQ(scalarText<short>(SQL_SHORT, -1, -15), QStringLiteral("-1.5"));
    EXPECT_EQ(scalarText<ISC_LONG>(SQL_LONG, -2, 1234), QStringLiteral("12.34"));
    EXPECT_EQ(scalarText<ISC_INT64>(SQL_INT64, 0, Q_INT64_C(9007199254740993)), QStringLiteral("9007199254740993"));
    EXPECT_EQ(scalarText<ISC_INT64>(SQL_INT64, -4, Q_INT64_C(123456789012345678)),
              QStringLiteral("12345678901234.5678"));
    EXPECT_EQ(scalarText<float>(SQL_FLOAT, 0, 0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(scalarText<double>(SQL_DOUBLE, 0, 0.1), QStringLiteral("0.1"));
    EXPECT_EQ(scalarText<double>(SQL_DOUBLE, 0, 1.0 / 3), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(scalarText<ISC_DATE>(SQL_TYPE_DATE, 0, 0), QStringLiteral("1858-11-17"));
    EXPECT_EQ(scalarText<ISC_TIME>(SQL_TYPE_TIME, 0, 10000), QStringLiteral("00:00:01"));
    EXPECT_EQ(scalarText<char>(SQL_BOOLEAN, 0, 1), QStringLiteral("True"));
    EXPECT_EQ(scalarText<char>(SQL_BOOLEAN, 0, 0), QStringLiteral("False"));
    QString text;
    const char bytes[8] = {};
    EXPECT_FALSE(QvValue::ScalarText(SQL_VARYING, 0, bytes, text));
    EXPECT_FALSE(QvValue::ScalarText(SQL_BLOB, 0, bytes, text));
    EXPECT_EQ(QvValue::ScalarSize(SQL_INT64), 8);
    EXPECT_EQ(QvValue::ScalarSize(SQL_BOOLEAN), 1);
    EXPECT_EQ(QvValue::ScalarSize(SQL_TEXT), 0);
}

QString refusal(const QvTextCodec& codec, const QString& text)
{
    try {
        codec.encodeStrict(text, QStringLiteral("Parameter \"V\""));
    } catch (const EQvClientError& error) {
        EXPECT_EQ(error.SQLCode(), 32);
        return error.Message();
    }
    return QString();
}

TEST(TextCodec, TextASetCannotCarryIsRefusedNamingWhatHeldIt)
{
    const QString euro = QStringLiteral("a\u20acb");
    EXPECT_EQ(refusal(QvTextCodec(QStringLiteral("NONE")), euro),
              QStringLiteral("Parameter \"V\": the connection's character set NONE cannot carry the character "
                             "\"\u20ac\" (U+20AC)."));
    EXPECT_TRUE(refusal(QvTextCodec(QStringLiteral("ISO8859_1")), euro)
                    .startsWith(QStringLiteral("Parameter \"V\": the connection's character set ISO8859_1 ")));
    EXPECT_TRUE(refusal(QvTextCodec(QStringLiteral("WIN1251")), QStringLiteral("\u00e4")).contains("U+00E4"));
    EXPECT_TRUE(refusal(QvTextCodec(QStringLiteral("KOI8R")), euro).contains(QStringLiteral("KOI8R")));
    // A lone surrogate is no character at all, in any set.
    const QString lone = QStringLiteral("x") + QChar(0xd800) + QStringLiteral("y");
    EXPECT_EQ(refusal(QvTextCodec(QStringLiteral("UTF8")), lone),
              QStringLiteral("Parameter \"V\": the connection's character set UTF8 cannot carry the character "
                             "U+D800."));
    EXPECT_FALSE(refusal(QvTextCodec(QStringLiteral("WIN1252")), QString(QChar(0xdc00))).isEmpty());
    EXPECT_EQ(QvTextCodec(QStringLiteral("UTF8")).firstUncarried(lone), 1);

    // What a set does carry goes as before, byte for byte.
    EXPECT_EQ(QvTextCodec(QStringLiteral("WIN1252")).encodeStrict(euro, QString()), QByteArray("a\x80" "b"));
    EXPECT_EQ(QvTextCodec(QStringLiteral("UTF8")).encodeStrict(QStringLiteral("\U0001F600"), QString()),
              QByteArray("\xf0\x9f\x98\x80"));
    EXPECT_EQ(QvTextCodec(QStringLiteral("NONE")).encodeStrict(QStringLiteral("\u00ff"), QString()),
              QByteArray("\xff"));
    EXPECT_EQ(QvTextCodec(QStringLiteral("NONE")).firstUncarried(QStringLiteral("ab\u00e9")), -1);
    EXPECT_EQ(QvTextCodec(QStringLiteral("NONE")).firstUncarried(QStringLiteral("ab\U0001F600")), 2);
}

TEST(TextCodec, BytesPerCharacterOfTheMultiByteSets)
{
    EXPECT_EQ(QvTextCodec::bytesPerCharacter(4), 4);  // UTF8
    EXPECT_EQ(QvTextCodec::bytesPerCharacter(3), 3);  // UNICODE_FSS
    EXPECT_EQ(QvTextCodec::bytesPerCharacter(5), 2);  // SJIS_0208
    EXPECT_EQ(QvTextCodec::bytesPerCharacter(0), 1);  // NONE
    EXPECT_EQ(QvTextCodec::bytesPerCharacter(53), 1); // WIN1252
}

} // namespace
