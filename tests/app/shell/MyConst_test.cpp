#include "app/shell/MyConst.h"

#include "access/QvTypeCatalog.h"
#include "platform/DialogScript.h"

#include <gtest/gtest.h>

TEST(FieldTypeToStr, DialectOneNamesTheOldTypesAsBefore)
{
    EXPECT_EQ(FieldTypeToStr(8, 4, -2, 1), "Numeric(9,2)");
    EXPECT_EQ(FieldTypeToStr(7, 2, -2, 1), "Smallint");
    EXPECT_EQ(FieldTypeToStr(8, 4, 0, 1), "Integer");
    EXPECT_EQ(FieldTypeToStr(27, 8, 0, 1), "Double precision");
    EXPECT_EQ(FieldTypeToStr(27, 8, -3, 1), "Numeric(15,3)");
    EXPECT_EQ(FieldTypeToStr(37, 40, 0, 1), "Varchar(40)");
    EXPECT_EQ(FieldTypeToStr(14, 1, 0, 1), "Char(1)");
    EXPECT_EQ(FieldTypeToStr(35, 8, 0, 1), "Date");
    EXPECT_EQ(FieldTypeToStr(261, 8, 0, 1), "Blob");
    // A code without a name is an error naming it, never another type.
    for (const int code : {99, 11, 9}) {
        try {
            FieldTypeToStr(code, 8, 0, 1, 1, 0, "Column X of table T");
            ADD_FAILURE() << code << " was named";
        } catch (const QvTypes::EUnknownType& unknown) {
            EXPECT_EQ(unknown.Type(), code);
            EXPECT_TRUE(unknown.Message().startsWith(QStringLiteral("Column X of table T has type code %1").arg(code)));
        }
    }
}

TEST(FieldTypeToStr, DialectThreeNamesTypesAsFirebirdSpellsThem)
{
    EXPECT_EQ(FieldTypeToStr(12, 4, 0, 3), "Date");
    EXPECT_EQ(FieldTypeToStr(13, 4, 0, 3), "Time");
    EXPECT_EQ(FieldTypeToStr(35, 8, 0, 3), "Timestamp");
    EXPECT_EQ(FieldTypeToStr(16, 8, 0, 3), "Bigint");
    EXPECT_EQ(FieldTypeToStr(16, 8, -4, 3), "Numeric(18,4)");
    EXPECT_EQ(FieldTypeToStr(23, 1, 0, 3), "Boolean");
    EXPECT_EQ(FieldTypeToStr(8, 4, -2, 3), "Numeric(9,2)");
    // A scaled smallint is a NUMERIC(4,x) there; dialect 1 never made one.
    EXPECT_EQ(FieldTypeToStr(7, 2, -1, 3), "Numeric(4,1)");
    EXPECT_EQ(FieldTypeToStr(7, 2, 0, 3), "Smallint");
    EXPECT_EQ(FieldTypeToStr(10, 4, 0, 3), "Float");
    EXPECT_EQ(FieldTypeToStr(27, 8, 0, 3), "Double precision");
    EXPECT_EQ(FieldTypeToStr(37, 40, 0, 3), "Varchar(40)");
}

TEST(FieldTypeToStr, NeverCallsANewerTypeInteger)
{
    // Saving a column back with the wrong name would change its type.
    for (const int dialect : {1, 3}) {
        EXPECT_EQ(FieldTypeToStr(16, 8, 0, dialect), "Bigint");
        EXPECT_EQ(FieldTypeToStr(16, 8, -4, dialect), "Numeric(18,4)");
        EXPECT_EQ(FieldTypeToStr(13, 4, 0, dialect), "Time");
        EXPECT_EQ(FieldTypeToStr(23, 1, 0, dialect), "Boolean");
    }
    // Dialect 1's "Date" is a time stamp: the calendar date is not called that.
    EXPECT_NE(FieldTypeToStr(12, 4, 0, 1), "Date");
}

TEST(FieldTypeToStr, CharacterLengthsForMultiByteSets)
{
    EXPECT_EQ(FieldTypeToStr(37, 40, 0, 3, 4), "Varchar(10)");
    EXPECT_EQ(FieldTypeToStr(14, 12, 0, 1, 3), "Char(4)");
    EXPECT_EQ(FieldTypeToStr(40, 8, 0, 3, 4), "CSTRING(2)");
}

TEST(FieldTypeToStr, BlobSubTypesAndArrayBounds)
{
    EXPECT_EQ(FieldTypeToStr(261, 8, 0, 3, 1, 1), "Blob sub_type 1");
    EXPECT_EQ(FieldTypeToStr(261, 8, 0, 1, 1, 0), "Blob");
    EXPECT_EQ(ArrayBoundsToStr({{1, 4}}), "[1:4]");
    EXPECT_EQ(ArrayBoundsToStr({{1, 4}, {-2, 0}}), "[1:4, -2:0]");
}

TEST(NameChecks, Identifiers)
{
    for (const int dialect : {1, 3}) {
        EXPECT_TRUE(IsValidIdentifier("", dialect));
        EXPECT_TRUE(IsValidIdentifier("A$B_1", dialect));
        EXPECT_FALSE(IsValidIdentifier("1A", dialect));
        EXPECT_FALSE(IsValidIdentifier("A-B", dialect));
        EXPECT_FALSE(IsValidIdentifier("A B", dialect));
        EXPECT_FALSE(IsValidIdentifier("A\"B", dialect));
        // A table name follows the same rule: what it accepts when typed, saving accepts.
        EXPECT_FALSE(IsValidTableName("A-B_1", dialect));
        EXPECT_TRUE(IsValidTableName("A$B_1", dialect));
        EXPECT_FALSE(IsValidTableName("", dialect));
        EXPECT_FALSE(IsValidTableName("_A", dialect));
    }
    EXPECT_TRUE(IsValidTableName("\"A-B\"", 3));
    EXPECT_FALSE(IsValidTableName("\"A-B\"", 1));
}

TEST(NameChecks, RefusedIdentifierIsReported)
{
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(CheckIdentifier("1A", 3));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(script.messages().front(), "\"1A\" is not valid Identifier !");
    EXPECT_TRUE(CheckIdentifier("OK_NAME", 1));
    EXPECT_EQ(script.messages().size(), 1);
    // A name dialect 1 cannot write says why.
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(CheckIdentifier("\"my tab\"", 1));
    EXPECT_TRUE(script.messages().last().startsWith(
        "The name \"my tab\" cannot be written in an SQL dialect 1 statement: dialect 1 has no quoted names"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(CheckIdentifier("order", 1));
    EXPECT_EQ(script.messages().last(),
              "The name order cannot be written in an SQL dialect 1 statement: it is a reserved word.");
    EXPECT_TRUE(CheckIdentifier("order", 3));
    EXPECT_EQ(script.messages().size(), 3);
}

TEST(NameChecks, TypeTexts)
{
    qv::DialogScript script;
    EXPECT_TRUE(CheckTypeName("VARCHAR(20)"));
    EXPECT_TRUE(CheckTypeName("numeric(15,2)"));
    EXPECT_TRUE(CheckTypeName("Double Precision"));
    EXPECT_TRUE(CheckTypeName(""));
    const QStringList refused{"varchar(x)", "numeric(15,y)", "float(5)", "char(10", "text"};
    for (const QString& text : refused) {
        script.answerMessage(qv::mrOk);
        EXPECT_FALSE(CheckTypeName(text)) << text.toStdString();
    }
    ASSERT_EQ(script.messages().size(), refused.size());
    EXPECT_EQ(script.messages().front(), "\"varchar(x)\"  is not valid Type");
}

TEST(TypeKinds, ExactNames)
{
    EXPECT_TRUE(IsQuotedType("Varchar"));
    EXPECT_FALSE(IsQuotedType("VARCHAR"));
    EXPECT_TRUE(IsNumberType("Smallint"));
    EXPECT_TRUE(IsNumberType("Double"));
    EXPECT_TRUE(IsNumberType("Bigint"));
    EXPECT_TRUE(IsNumberType("Double precision"));
    EXPECT_FALSE(IsNumberType("Blob"));
    EXPECT_TRUE(IsSQLFunctionName("GEN_ID"));
    EXPECT_TRUE(IsSQLFunctionName(""));
    EXPECT_FALSE(IsSQLFunctionName("count"));
}

TEST(PosOutsideComment, SkipsBlockAndLineComments)
{
    EXPECT_EQ(PosOutsideComment("x", "/* x */ y = x"), 13);
    EXPECT_EQ(PosOutsideComment("x", "max(x)"), 5);
    EXPECT_EQ(PosOutsideComment("x", "-- x\ny = x"), 10);
    EXPECT_EQ(PosOutsideComment("x", "/* -- */ x"), 10);
    EXPECT_EQ(PosOutsideComment("x", "xy = xx"), 0);
    EXPECT_EQ(PosOutsideComment("x", "/* x */"), 0);
    EXPECT_EQ(PosOutsideComment("x", ""), 0);
}
