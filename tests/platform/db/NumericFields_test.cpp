// The 64-bit number fields and the exact decimal texts under them: a value
// typed, stored and shown again is the value typed, digit for digit.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/ValueText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TEST(ScaledText, ExactBothWays)
{
    EXPECT_EQ(ValueText::FromScaled(Q_INT64_C(123456789012345678), -4), QStringLiteral("12345678901234.5678"));
    EXPECT_EQ(ValueText::FromScaled(150000, -2), QStringLiteral("1500"));
    EXPECT_EQ(ValueText::FromScaled(150050, -2), QStringLiteral("1500.5"));
    EXPECT_EQ(ValueText::FromScaled(-5, -2), QStringLiteral("-0.05"));
    EXPECT_EQ(ValueText::FromScaled(0, -2), QStringLiteral("0"));
    EXPECT_EQ(ValueText::FromScaled(12, 2), QStringLiteral("1200"));
    EXPECT_EQ(ValueText::FromScaled(std::numeric_limits<qint64>::min(), 0),
              QStringLiteral("-9223372036854775808"));
    EXPECT_EQ(ValueText::FromScaled(std::numeric_limits<qint64>::min(), -18),
              QStringLiteral("-9.223372036854775808"));

    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("12345678901234.5678"), -4), Q_INT64_C(123456789012345678));
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("9007199254740993"), 0), Q_INT64_C(9007199254740993));
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral(" -0.05 "), -2), -5);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral(".5"), -2), 50);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("5."), -2), 500);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("+1e3"), -2), 100000);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("125E-2"), -2), 125);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("0.000e99"), -2), 0);
    // Digits beyond the scale round half away from zero.
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("1.005"), -2), 101);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("-1.005"), -2), -101);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("1.0049999999"), -2), 100);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("0.004"), -2), 0);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("-9223372036854775808"), 0), std::numeric_limits<qint64>::min());
    // No number, or none that fits 64 bits.
    const struct
    {
        const char* text;
        int scale;
    } refused[] = {{"", 0},      {"-", 0},   {".", 0},   {"abc", 0},  {"1.2.3", 0},
                   {"1e", 0},    {"1 2", 0}, {"0x10", 0}, {"9223372036854775808", 0},
                   {"-9223372036854775809", 0}, {"1e40", 0}, {"92233720368547758.08", -2}};
    for (const auto& [text, scale] : refused)
        EXPECT_FALSE(ValueText::ToScaled(QString::fromLatin1(text), scale)) << text;
}

TEST(ScaledText, EveryValueReadsBackAsItself)
{
    QRandomGenerator random(20240229);
    for (int i = 0; i < 20000; ++i) {
        const qint64 value = qint64(random.generate64()) >> (i % 64);
        const int scale = -int(random.bounded(19));
        const QString text = ValueText::FromScaled(value, scale);
        ASSERT_EQ(ValueText::ToScaled(text, scale), value) << qPrintable(text) << " scale " << scale;
        // The same number read at a finer scale is the same number.
        if (scale > -18 && std::abs(value) < Q_INT64_C(900000000000000000)) {
            ASSERT_EQ(ValueText::ToScaled(text, scale - 1), value * 10) << qPrintable(text);
        }
    }
}

TEST(ScaledText, TheUsersDecimalSeparatorIsReadToo)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("1234,5"), -2), 123450);
    EXPECT_EQ(ValueText::ToScaled(QStringLiteral("1234.5"), -2), 123450);
    EXPECT_FALSE(ValueText::ToScaled(QStringLiteral("1.234,5"), -2));
    QLocale::setDefault(QLocale::c());
}

TEST(SingleText, TheDigitsAFloatHolds)
{
    EXPECT_EQ(ValueText::FromSingle(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(ValueText::FromSingle(-2.5f), QStringLiteral("-2.5"));
    EXPECT_EQ(ValueText::FromSingle(16777216.0f), QStringLiteral("16777216"));
    EXPECT_EQ(ValueText::FromSingle(3.4028235e38f), QStringLiteral("3.4028235e+38"));
    // The double nearest to the float shows its 15 digits; the float its own.
    EXPECT_EQ(ValueText::FromFloat(double(0.1f)), QStringLiteral("0.100000001490116"));
    QRandomGenerator random(7);
    for (int i = 0; i < 10000; ++i) {
        float value;
        const quint32 bits = random.generate();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        ASSERT_EQ(ValueText::FromSingle(value).toFloat(), value) << bits;
    }
}

// A dataset with a BIGINT and a NUMERIC(18,4) column, held as the scaled
// 64-bit integers a database row holds.
class NumericFields : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetColumns({{"ID", ftLargeint}, {"AMOUNT", ftFMTBcd, 4}});
        ds.AddRow({Q_INT64_C(9007199254740993), Q_INT64_C(123456789012345678)});
        ds.AddRow({qint64(-1), qint64(-5)});
        ds.AddRow({QVariant(), QVariant()});
        ds.Open();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    TField& F(const char* name) { return ds.FieldByName(name); }

    TVectorDataSet ds;
};

TEST_F(NumericFields, ReadExactly)
{
    EXPECT_EQ(F("ID").DataType(), ftLargeint);
    EXPECT_EQ(F("AMOUNT").DataType(), ftFMTBcd);
    EXPECT_EQ(F("AMOUNT").Size(), 4);
    EXPECT_EQ(F("ID").AsString(), QStringLiteral("9007199254740993"));
    EXPECT_EQ(F("ID").AsVariant(), QVariant(Q_INT64_C(9007199254740993)));
    EXPECT_EQ(static_cast<TLargeintField&>(F("ID")).AsLargeInt(), Q_INT64_C(9007199254740993));
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("12345678901234.5678"));
    EXPECT_EQ(F("AMOUNT").DisplayText(), QStringLiteral("12345678901234.5678"));
    // The variant is the exact text, not a double.
    EXPECT_EQ(F("AMOUNT").AsVariant(), QVariant(QStringLiteral("12345678901234.5678")));
    EXPECT_EQ(static_cast<TFMTBCDField&>(F("AMOUNT")).AsScaled(), Q_INT64_C(123456789012345678));
    EXPECT_DOUBLE_EQ(F("AMOUNT").AsFloat(), 12345678901234.5678);
    // 32-bit reads refuse what does not fit.
    EXPECT_THROW(F("ID").AsInteger(), EDatabaseError);
    EXPECT_THROW(F("AMOUNT").AsInteger(), EDatabaseError);
    EXPECT_EQ(F("ID").Alignment(), Qt::AlignRight | Qt::AlignVCenter);

    ds.Next();
    EXPECT_EQ(F("ID").AsInteger(), -1);
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("-0.0005"));
    EXPECT_EQ(F("AMOUNT").AsInteger(), 0);
    ds.Next();
    EXPECT_TRUE(F("ID").IsNull());
    EXPECT_EQ(F("AMOUNT").AsString(), QString());
    EXPECT_FALSE(F("AMOUNT").AsVariant().isValid());
}

TEST_F(NumericFields, WrittenExactlyFromTextNumbersAndTheUsersLocale)
{
    ds.Edit();
    F("ID").SetAsString(QStringLiteral("-9223372036854775808"));
    F("AMOUNT").SetAsString(QStringLiteral("98765432109876.5432"));
    ds.Post();
    EXPECT_EQ(ds.StoredRow(0), (QVariantList{std::numeric_limits<qint64>::min(), Q_INT64_C(987654321098765432)}));

    ds.Edit();
    F("AMOUNT").SetAsFloat(0.1);
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("0.1"));
    F("AMOUNT").SetAsString(QStringLiteral("1.00005"));
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("1.0001"));
    F("AMOUNT").SetAsInteger(7);
    EXPECT_EQ(static_cast<TFMTBCDField&>(F("AMOUNT")).AsScaled(), 70000);
    F("AMOUNT").SetAsVariant(Q_INT64_C(12));
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("12"));
    F("ID").SetAsFloat(2.5);
    EXPECT_EQ(F("ID").AsString(), QStringLiteral("3"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    F("AMOUNT").SetAsString(QStringLiteral("1234,5"));
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("1234.5"));
    F("AMOUNT").SetAsString(QString());
    EXPECT_TRUE(F("AMOUNT").IsNull());

    // What is no number, or too large a one, is refused and changes nothing.
    F("AMOUNT").SetAsString(QStringLiteral("5"));
    for (const char* text : {"abc", "1e30", "922337203685477.5808"}) {
        try {
            F("AMOUNT").SetAsString(QString::fromLatin1(text));
            ADD_FAILURE() << text;
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(error.Message().contains(QStringLiteral("AMOUNT"))) << qPrintable(error.Message());
        }
        EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("5"));
    }
    EXPECT_THROW(F("ID").SetAsString(QStringLiteral("9223372036854775808")), EDatabaseError);
    EXPECT_THROW(F("ID").SetAsVariant(std::numeric_limits<quint64>::max()), EDatabaseError);
    ds.Cancel();
}

TEST_F(NumericFields, LocateComparesTheExactValue)
{
    EXPECT_TRUE(ds.Locate(QStringLiteral("AMOUNT"), QStringLiteral("-0.0005"), {}));
    EXPECT_EQ(F("ID").AsInteger(), -1);
    EXPECT_TRUE(ds.Locate(QStringLiteral("ID"), QStringLiteral("9007199254740993"), {}));
    EXPECT_EQ(F("AMOUNT").AsString(), QStringLiteral("12345678901234.5678"));
    // 2^53 + 1 and 2^53 are one double, but two integers.
    EXPECT_FALSE(ds.Locate(QStringLiteral("ID"), Q_INT64_C(9007199254740992), {}));
    EXPECT_TRUE(ds.Locate(QStringLiteral("AMOUNT"), QStringLiteral("12345678901234.56780"), {}));
}

TEST_F(NumericFields, FieldDefinitionsMakeTheNumericFields)
{
    const auto largeint = CreateFieldOfType(ftLargeint, QStringLiteral("A"), 0);
    const auto bcd = CreateFieldOfType(ftFMTBcd, QStringLiteral("B"), 2);
    ASSERT_NE(dynamic_cast<TLargeintField*>(largeint.get()), nullptr);
    ASSERT_NE(dynamic_cast<TFMTBCDField*>(bcd.get()), nullptr);
    EXPECT_EQ(bcd->Size(), 2);
    EXPECT_STREQ(FieldTypeName(ftLargeint), "Largeint");
    EXPECT_STREQ(FieldTypeName(ftFMTBcd), "FMTBcd");
}

} // namespace
