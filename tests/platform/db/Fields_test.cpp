// Fields: lookup by name, typed conversions, text that is the same in every
// locale, ranges, and binding persistent fields to the definitions.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/FieldDefs.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// A dataset with one column of each kind and one row of values.
class Fields : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetColumns({{"S", ftString, 5},
                       {"I", ftInteger},
                       {"SI", ftSmallint},
                       {"W", ftWord},
                       {"F", ftFloat},
                       {"C", ftCurrency},
                       {"B", ftBoolean},
                       {"D", ftDate},
                       {"T", ftTime},
                       {"DT", ftDateTime},
                       {"BY", ftVarBytes, 4}});
        ds.AddRow({"abc", 42, 7, 9, 1.25, 3.5, true, QDate(2024, 2, 29), QTime(13, 5, 7),
                   QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC), QByteArray("\x01\xff", 2)});
        ds.Open();
        ds.Edit();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    TField& F(const char* name) { return ds.FieldByName(name); }

    TVectorDataSet ds;
};

TEST_F(Fields, LookupIgnoresCaseAndReportsMissingNames)
{
    EXPECT_EQ(&ds.FieldByName("s"), &ds.Fields(0));
    EXPECT_EQ(ds.FindField("nope"), nullptr);
    try {
        ds.FieldByName("nope");
        FAIL() << "missing field";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'nope' not found");
    }
    EXPECT_THROW(ds.Fields(11), EDatabaseError);
    const QList<TField*> list = ds.GetFieldList("I; s ;F");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[1]->FieldName(), "S");
}

TEST_F(Fields, StringFieldKeepsAtMostItsSize)
{
    F("S").SetAsString("abcdefgh");
    EXPECT_EQ(F("S").AsString(), "abcde");
    F("S").SetAsString("");
    EXPECT_FALSE(F("S").IsNull());
    F("S").Clear();
    EXPECT_TRUE(F("S").IsNull());
    EXPECT_EQ(F("S").AsString(), "");
    F("S").SetAsString("12");
    EXPECT_EQ(F("S").AsInteger(), 12);
    F("S").SetAsString("x1");
    EXPECT_THROW(F("S").AsInteger(), EDatabaseError);
    F("S").SetAsFloat(0.5);
    EXPECT_EQ(F("S").AsString(), "0.5");
}

TEST_F(Fields, IntegerFieldsParseAndCheckTheirRange)
{
    EXPECT_EQ(F("I").AsInteger(), 42);
    EXPECT_EQ(F("I").AsString(), "42");
    EXPECT_EQ(F("I").AsVariant(), QVariant(42));
    F("I").SetAsString(" -17 ");
    EXPECT_EQ(F("I").AsInteger(), -17);
    F("I").SetAsString("");
    EXPECT_TRUE(F("I").IsNull());
    try {
        F("I").SetAsString("12a");
        FAIL() << "not a number";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value for field 'I'");
    }
    try {
        F("SI").SetAsInteger(40000);
        FAIL() << "beyond smallint";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767");
    }
    EXPECT_THROW(F("W").SetAsInteger(-1), EDatabaseError);
    EXPECT_THROW(F("I").SetAsVariant(QVariant(qint64(3000000000))), EDatabaseError);
    EXPECT_EQ(F("SI").AsInteger(), 7); // the refused values left the old ones
    F("I").SetAsFloat(2.6);
    EXPECT_EQ(F("I").AsInteger(), 3);
    EXPECT_THROW(F("I").AsBoolean(), EDatabaseError);
}

TEST_F(Fields, FloatTextIsTheSameInEveryLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(F("F").AsString(), "1.25");
    EXPECT_EQ(F("F").DisplayText(), "1.25");
    F("F").SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(F("F").AsString(), "0.3");
    F("F").SetAsFloat(1e20);
    EXPECT_EQ(F("F").AsString(), "1e+20");
    EXPECT_EQ(F("C").DisplayText(), "3.50");
    EXPECT_EQ(F("C").AsString(), "3.5");
    // What a user types: the C form first, then the user's own.
    F("F").SetAsString("2.5");
    EXPECT_DOUBLE_EQ(F("F").AsFloat(), 2.5);
    F("F").SetAsString("1,5");
    EXPECT_DOUBLE_EQ(F("F").AsFloat(), 1.5);
    EXPECT_THROW(F("F").SetAsString("1.000,5"), EDatabaseError); // no group separators
    QLocale::setDefault(QLocale::c());
    EXPECT_THROW(F("F").SetAsString("1,5"), EDatabaseError);
    EXPECT_THROW(F("F").SetAsString("nan"), EDatabaseError);
    EXPECT_DOUBLE_EQ(F("F").AsFloat(), 1.5);
}

TEST_F(Fields, BooleanReadsLeadingPartsOfTrueAndFalse)
{
    EXPECT_EQ(F("B").AsString(), "True");
    F("B").SetAsString("f");
    EXPECT_FALSE(F("B").AsBoolean());
    F("B").SetAsString("TR");
    EXPECT_TRUE(F("B").AsBoolean());
    try {
        F("B").SetAsString("yes");
        FAIL() << "not a boolean text";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'yes' is not a valid boolean value for field 'B'");
    }
}

TEST_F(Fields, DatesAreIsoTextAndWallClockValues)
{
    EXPECT_EQ(F("D").AsString(), "2024-02-29");
    EXPECT_EQ(F("T").AsString(), "13:05:07");
    // 02:30 on that day does not exist in much of Europe; a stored value has no zone.
    EXPECT_EQ(F("DT").AsString(), "2024-03-31 02:30:00");
    EXPECT_EQ(F("D").AsDateTime().time(), QTime(0, 0));
    F("DT").SetAsString("2023-12-01 08:15:30.250");
    EXPECT_EQ(F("DT").AsDateTime().time(), QTime(8, 15, 30, 250));
    EXPECT_EQ(F("DT").AsString(), "2023-12-01 08:15:30.250");
    F("DT").SetAsDateTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4), Qt::LocalTime));
    EXPECT_EQ(F("DT").AsString(), "2020-01-02 03:04:00");
    F("D").SetAsString("2021-06-30");
    EXPECT_EQ(F("D").AsVariant(), QVariant(QDate(2021, 6, 30)));
    F("D").SetAsVariant(QDateTime(QDate(2022, 1, 1), QTime(23, 0), Qt::UTC));
    EXPECT_EQ(F("D").AsString(), "2022-01-01");
    try {
        F("D").SetAsString("2021-02-30");
        FAIL() << "no such date";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'2021-02-30' is not a valid date for field 'D'");
    }
    EXPECT_THROW(F("T").SetAsString("25:00"), EDatabaseError);
    F("T").SetAsString("");
    EXPECT_TRUE(F("T").IsNull());
}

TEST_F(Fields, BytesConvertToLatin1TextAndBack)
{
    EXPECT_EQ(F("BY").AsVariant().toByteArray(), QByteArray("\x01\xff", 2));
    EXPECT_EQ(F("BY").AsString(), QString(QChar(1)) + QChar(0xFF));
    F("BY").SetAsString(QString("abcdef"));
    EXPECT_EQ(F("BY").AsVariant().toByteArray(), QByteArray("abcd"));
    EXPECT_THROW(F("BY").SetAsString(QString(QChar(0x20AC))), EDatabaseError);
}

TEST_F(Fields, DisplayWidthsAndAlignmentFollowTheType)
{
    EXPECT_EQ(F("S").DisplayWidth(), 5);
    EXPECT_EQ(F("I").DisplayWidth(), 11);
    EXPECT_EQ(F("SI").DisplayWidth(), 6);
    EXPECT_EQ(F("D").DisplayWidth(), 10);
    EXPECT_EQ(F("DT").DisplayWidth(), 19);
    EXPECT_TRUE(F("F").Alignment() & Qt::AlignRight);
    EXPECT_TRUE(F("S").Alignment() & Qt::AlignLeft);
    F("S").SetDisplayWidth(30);
    EXPECT_EQ(F("S").DisplayWidth(), 30);
    EXPECT_EQ(F("S").DisplayName(), "S");
    F("S").SetDisplayLabel("Short");
    EXPECT_EQ(F("S").DisplayName(), "Short");
}

TEST_F(Fields, NamesCannotChangeWhileOpen)
{
    EXPECT_THROW(F("S").SetFieldName("X"), EDatabaseError);
    EXPECT_THROW(ds.AddField(std::make_unique<TStringField>("X", 3)), EDatabaseError);
}

TEST(FieldBinding, PersistentFieldsBindByNameAndTypeAndStay)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.AddField(std::make_unique<TStringField>("name", 3));
    ds.Open();
    EXPECT_EQ(ds.FieldCount(), 1); // only the persistent field
    EXPECT_EQ(ds.Fields(0).FieldNo(), 2);
    EXPECT_EQ(ds.Fields(0).AsString(), "Apple"); // reading shows what is stored
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 1);
    EXPECT_EQ(ds.Fields(0).FieldNo(), 0);
}

TEST(FieldBinding, MismatchedOrMissingPersistentFieldFailsTheOpen)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.AddField(std::make_unique<TIntegerField>("NAME"));
    try {
        ds.Open();
        FAIL() << "type mismatch";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Type mismatch for field 'NAME', expecting: Integer actual: String");
    }
    EXPECT_FALSE(ds.Active());

    TVectorDataSet other;
    FillFiveProducts(other);
    other.AddField(std::make_unique<TStringField>("COLOUR", 10));
    EXPECT_THROW(other.Open(), EDatabaseError);
    EXPECT_FALSE(other.Active());
    EXPECT_THROW(other.AddField(std::make_unique<TStringField>("colour", 10)), EDatabaseError);
}

TEST(FieldDefs, DuplicateNamesAreRefusedAndUniqueNamesOffered)
{
    TFieldDefs defs;
    defs.Add("RDB$DESCRIPTION", ftMemo);
    EXPECT_THROW(defs.Add("rdb$description", ftMemo), EDatabaseError);
    const QString second = defs.UniqueName("RDB$DESCRIPTION");
    EXPECT_EQ(second, "RDB$DESCRIPTION_1");
    defs.Add(second, ftMemo);
    EXPECT_EQ(defs.UniqueName("RDB$DESCRIPTION"), "RDB$DESCRIPTION_2");
    EXPECT_EQ(defs.Find("rdb$description_1").FieldNo(), 2);
    EXPECT_THROW(defs.Find("X"), EDatabaseError);
}

TEST(FieldFactory, EachTypeGetsItsFieldClass)
{
    EXPECT_NE(dynamic_cast<TIntegerField*>(CreateFieldOfType(ftAutoInc, "A", 0).get()), nullptr);
    EXPECT_NE(dynamic_cast<TFloatField*>(CreateFieldOfType(ftBCD, "A", 2).get()), nullptr);
    EXPECT_NE(dynamic_cast<TMemoField*>(CreateFieldOfType(ftFmtMemo, "A", 0).get()), nullptr);
    auto graphic = CreateFieldOfType(ftGraphic, "A", 0);
    EXPECT_NE(dynamic_cast<TBlobField*>(graphic.get()), nullptr);
    EXPECT_TRUE(graphic->IsBlob());
    EXPECT_EQ(CreateFieldOfType(ftCursor, "A", 0), nullptr);
}

TEST(FieldWithoutDataSet, ReadingReportsTheMissingDataset)
{
    TStringField field("LOOSE", 5);
    try {
        field.AsString();
        FAIL() << "no dataset";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'LOOSE' has no dataset");
    }
    EXPECT_FALSE(field.CanModify());
}

} // namespace
