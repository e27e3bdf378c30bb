// The type catalog: the declared kind and precision of scaled numbers,
// the order of the clauses a declaration takes, and the one table behind
// the pick lists and the type check.

#include "AccessTest_support.h"

#include "access/QvQuery.h"
#include "access/QvTypeCatalog.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using QvTypes::TTypeFacts;

TTypeFacts Number(int type, int subType, int precision, int scale)
{
    TTypeFacts facts;
    facts.Type = type;
    facts.SubType = subType;
    facts.Precision = precision;
    facts.Scale = scale;
    return facts;
}

TEST(QvTypeCatalog, ScaledNumbersKeepTheirDeclaredKindAndPrecision)
{
    for (const int dialect : {1, 3}) {
        EXPECT_EQ(QvTypes::TypeText(Number(16, 2, 12, -2), dialect), "Decimal(12,2)");
        EXPECT_EQ(QvTypes::TypeText(Number(7, 1, 4, -1), dialect), "Numeric(4,1)");
        EXPECT_EQ(QvTypes::TypeText(Number(8, 2, 9, -2), dialect), "Decimal(9,2)");
        EXPECT_EQ(QvTypes::TypeText(Number(8, 1, 5, -2), dialect), "Numeric(5,2)");
        // NUMERIC(18) has no scale, yet it is no BIGINT.
        EXPECT_EQ(QvTypes::TypeText(Number(16, 1, 18, 0), dialect), "Numeric(18,0)");
        EXPECT_EQ(QvTypes::TypeText(Number(27, 0, 12, -2), dialect), "Numeric(12,2)");
        EXPECT_EQ(QvTypes::TypeText(Number(16, 0, 0, 0), dialect), "Bigint");
        EXPECT_EQ(QvTypes::TypeText(Number(7, 0, 0, 0), dialect), "Smallint");
    }
    // Without a kept precision: the storage's, as the older names had it.
    EXPECT_EQ(QvTypes::TypeText(Number(16, 0, 0, -4), 3), "Numeric(18,4)");
    EXPECT_EQ(QvTypes::TypeText(Number(7, 0, 0, -1), 3), "Numeric(4,1)");
    EXPECT_EQ(QvTypes::TypeText(Number(7, 0, 0, -1), 1), "Smallint");
    // Dialect 1 keeps DECIMAL(18,16) on a double with no precision: the
    // precision written must not fall below the scale.
    EXPECT_EQ(QvTypes::TypeText(Number(27, 0, 0, -16), 1), "Numeric(16,16)");
    EXPECT_EQ(QvTypes::TypeText(Number(27, 0, 0, -2), 1), "Numeric(15,2)");
}

TEST(QvTypeCatalog, SetAndCollationNamesAreWrittenAsNames)
{
    TTypeFacts text;
    text.Type = 37;
    text.Length = 10;
    text.CharacterSet = "WIN1252";
    text.Collation = "C;CREATE TABLE INJ(A INT);--";
    const QString typeText = QvTypes::TypeText(text, 3);
    EXPECT_EQ(typeText, "Varchar(10) CHARACTER SET WIN1252 COLLATE \"C;CREATE TABLE INJ(A INT);--\"");
    EXPECT_TRUE(QvTypes::IsValidTypeText(typeText));
    text.Collation = "a\"b";
    EXPECT_EQ(QvTypes::TypeText(text, 3), "Varchar(10) CHARACTER SET WIN1252 COLLATE \"a\"\"b\"");
    EXPECT_TRUE(QvTypes::IsValidTypeText(QvTypes::TypeText(text, 3)));
    EXPECT_FALSE(QvTypes::IsValidTypeText("Varchar(10) COLLATE C;CREATE TABLE INJ(A INT);--"));
}

TEST(QvTypeCatalog, TextBlobAndArrayClausesStandInDeclarationOrder)
{
    TTypeFacts text;
    text.Type = 37;
    text.Length = 40;
    text.CharacterLength = 10;
    text.CharacterSet = "WIN1252";
    text.Collation = "PXW_INTL";
    EXPECT_EQ(QvTypes::TypeText(text, 3), "Varchar(10) CHARACTER SET WIN1252 COLLATE PXW_INTL");
    text.CharacterLength = -1;
    text.BytesPerChar = 4;
    text.CharacterSet.clear();
    text.Collation.clear();
    EXPECT_EQ(QvTypes::TypeText(text, 3), "Varchar(10)");

    TTypeFacts array;
    array.Type = 14;
    array.Length = 2;
    array.Bounds = {{0, 2}, {1, 3}};
    array.CharacterSet = "UTF8";
    EXPECT_EQ(QvTypes::TypeText(array, 3), "Char(2) [0:2, 1:3] CHARACTER SET UTF8");

    TTypeFacts blob;
    blob.Type = 261;
    blob.SubType = 1;
    blob.SegmentLength = 120;
    blob.CharacterSet = "OCTETS";
    EXPECT_EQ(QvTypes::TypeText(blob, 3), "Blob sub_type 1 SEGMENT SIZE 120 CHARACTER SET OCTETS");
    blob.SubType = 0;
    blob.SegmentLength = 80;
    // A binary blob has no character set; 80 is the default segment.
    EXPECT_EQ(QvTypes::TypeText(blob, 3), "Blob");
}

TEST(QvTypeCatalog, PickListsAndTypeTextsPassTheTypeCheck)
{
    for (const int dialect : {1, 3}) {
        for (const auto list : {QvTypes::plParameter, QvTypes::plVariable, QvTypes::plColumn,
                                QvTypes::plExternalFunction, QvTypes::plDomain}) {
            for (const QString& name : QvTypes::PickList(list, dialect)) {
                EXPECT_TRUE(QvTypes::IsTypeName(name)) << name.toStdString();
                EXPECT_TRUE(QvTypes::IsValidTypeText(name) || QvTypes::IsValidTypeText(name + "(10)"))
                    << name.toStdString();
            }
        }
        const bool newer = QvTypes::PickList(QvTypes::plParameter, dialect).contains("Bigint");
        EXPECT_EQ(newer, dialect == 3);
    }
    for (const int type : {7, 8, 10, 12, 13, 14, 16, 23, 27, 35, 37, 40, 261}) {
        for (const int scale : {0, -2}) {
            TTypeFacts facts = Number(type, 0, scale ? 9 : 0, type == 14 || type == 37 ? 0 : scale);
            facts.Length = 10;
            facts.CharacterSet = "UTF8";
            facts.Collation = "UNICODE_CI";
            facts.Bounds = {{1, 4}};
            const QString text = QvTypes::TypeText(facts, 3);
            EXPECT_TRUE(QvTypes::IsValidTypeText(text)) << text.toStdString();
        }
    }
    // What users type for the same types passes; a text type needs its size.
    for (const char* typed : {"int", "real", "character varying(5)", "national character(2)", "sql_date", "Numeric",
                              "blob sub_type text segment size 100"})
        EXPECT_TRUE(QvTypes::IsValidTypeText(typed)) << typed;
    for (const char* typed : {"Varchar", "Integer(5)", "Double", "D_Float", "Quad"})
        EXPECT_FALSE(QvTypes::IsValidTypeText(typed)) << typed;
    EXPECT_FALSE(QvTypes::IsValidTypeText("Varchar(10); drop table T"));
    EXPECT_FALSE(QvTypes::IsValidTypeText("Varchar(10) COLLATE"));
    EXPECT_TRUE(QvTypes::IsNumberType("decimal"));
    EXPECT_FALSE(QvTypes::IsNumberType("Date"));
}

// Every type code the catalog names, declared with the name it gives, comes
// back from the server as the same code; any other code is refused, its
// message naming what has the type and the code, and never written as
// another type (saved back, that would change the column).
class TypeCatalogOnDatabase : public ::testing::TestWithParam<qvtest::Target>
{
};

TEST_P(TypeCatalogOnDatabase, ANamedTypeIsDeclaredAsItselfAndNoOtherIsNamed)
{
    QV_SKIP_UNLESS_REACHABLE(GetParam());
    qvtest::TempDir dir;
    auto database = qvaccess::createDialect3Database(GetParam(), dir);
    std::map<int, QString> named;
    for (int code = 0; code <= 300; ++code) {
        TTypeFacts facts;
        facts.Type = code;
        facts.Length = 10;
        const QString what = QStringLiteral("Column C%1 of table T").arg(code);
        try {
            named[code] = QvTypes::TypeText(facts, 3, what);
        } catch (const QvTypes::EUnknownType& unknown) {
            EXPECT_EQ(unknown.Type(), code);
            EXPECT_EQ(unknown.Message(), what + QStringLiteral(" has type code %1, which has no name: it is not "
                                                               "written as any other type.").arg(code));
        }
    }
    // CSTRING is for external functions' arguments only: no column has it.
    ASSERT_EQ(named.erase(40), 1u);
    QStringList columns;
    for (const auto& [code, text] : named)
        columns << QStringLiteral("C%1 %2").arg(code).arg(text);
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(database.get());
    transaction.StartTransaction();
    qvaccess::executeImmediate(*database, transaction,
                               QStringLiteral("create table T (%1)").arg(columns.join(QStringLiteral(", "))), 3);
    transaction.Commit();

    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select trim(r.rdb$field_name), f.rdb$field_type from rdb$relation_fields r "
                                    "join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
                                    "where r.rdb$relation_name = 'T'"));
    query.ExecQuery();
    std::map<int, int> declared;
    for (TQvXSQLDA* row = query.Eof() ? nullptr : &query.Current(); row; row = query.Next())
        declared[row->Vars(0).AsString().mid(1).toInt()] = row->Vars(1).AsLong();
    query.Close();
    transaction.Commit();
    ASSERT_EQ(declared.size(), named.size());
    for (const auto& [code, type] : declared)
        EXPECT_EQ(type, code) << named[code].toStdString();
    // D_FLOAT and QUAD, which Firebird 3 never makes, are among the refused.
    EXPECT_EQ(named.count(11) + named.count(9) + named.count(0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Targets, TypeCatalogOnDatabase, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
