// The external-function editor's statements and choices, without a window or
// a database: the DECLARE and DROP texts in both dialects, the type texts it
// accepts, how a stored mechanism and type are shown, and the dependency
// images.

#include "app/editors/Depend.h"
#include "app/editors/UDFText.h"
#include "app/shell/ShellImages.h"

#include <gtest/gtest.h>

namespace {

TUDFDeclaration absX()
{
    TUDFDeclaration declaration;
    declaration.Name = QStringLiteral("ABS_X");
    declaration.Arguments = {QStringLiteral("Double precision")};
    declaration.ReturnType = QStringLiteral("Double precision");
    declaration.EntryPoint = QStringLiteral("IB_UDF_abs");
    declaration.ModuleName = QStringLiteral("ib_udf");
    return declaration;
}

TEST(UDFTextTest, DeclarationReadsTheSameInBothDialectsForPlainNames)
{
    for (const int dialect : {1, 3}) {
        EXPECT_EQ(DeclareExternalFunctionText(absX(), dialect),
                  "DECLARE EXTERNAL FUNCTION ABS_X Double precision RETURNS Double precision  BY VALUE  "
                  "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf';")
            << dialect;
        EXPECT_EQ(DropExternalFunctionText(QStringLiteral("ABS_X"), dialect), "DROP EXTERNAL FUNCTION ABS_X");
    }
}

TEST(UDFTextTest, ArgumentsMechanismAndFreeIt)
{
    TUDFDeclaration declaration = absX();
    declaration.Arguments = {};
    // No arguments: nothing between the name and " RETURNS ".
    EXPECT_EQ(DeclareExternalFunctionText(declaration, 1),
              "DECLARE EXTERNAL FUNCTION ABS_X RETURNS Double precision  BY VALUE  "
              "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf';");

    declaration.Arguments = {QStringLiteral("Integer"), QStringLiteral("CSTRING(10)"), QStringLiteral("Numeric(9,2)")};
    declaration.ByValue = false;
    declaration.FreeIt = true;
    EXPECT_EQ(DeclareExternalFunctionText(declaration, 3),
              "DECLARE EXTERNAL FUNCTION ABS_X Integer,CSTRING(10),Numeric(9,2) RETURNS Double precision  "
              "FREE_IT  ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf';");

    // A CSTRING result is never returned by value, whatever the choice says.
    declaration.ByValue = true;
    declaration.FreeIt = false;
    declaration.ReturnType = QStringLiteral("cstring(20)");
    EXPECT_FALSE(DeclareExternalFunctionText(declaration, 1).contains(QLatin1String("BY VALUE")));
}

TEST(UDFTextTest, NamesAndLiteralsAreSpelledForTheDialect)
{
    TUDFDeclaration declaration = absX();
    declaration.EntryPoint = QStringLiteral("it's");
    declaration.ModuleName = QStringLiteral("lib'udf");
    const QString dialect1 = DeclareExternalFunctionText(declaration, 1);
    EXPECT_TRUE(dialect1.endsWith(QLatin1String(" ENTRY_POINT 'it''s' MODULE_NAME 'lib''udf';"))) << dialect1.toStdString();

    // Dialect 3 quotes what it would otherwise fold or read as a keyword.
    declaration.Name = QStringLiteral("abs_x");
    EXPECT_TRUE(DeclareExternalFunctionText(declaration, 3).startsWith(
        QLatin1String("DECLARE EXTERNAL FUNCTION \"abs_x\" Double precision RETURNS")));
    EXPECT_EQ(DropExternalFunctionText(QStringLiteral("SELECT"), 3), "DROP EXTERNAL FUNCTION \"SELECT\"");
}

TEST(UDFTextTest, TypeTextsCannotEndTheStatement)
{
    for (const char* accepted : {"Integer", "Double precision", "CSTRING(255)", "Numeric(15, 2)", "Blob sub_type 1"})
        EXPECT_TRUE(IsAcceptableTypeText(QLatin1String(accepted))) << accepted;
    for (const char* refused : {"", "  ", "Integer;", "Char(1) 'x'", "Integer -- c", "Integer /* c */",
                                "Integer\" RETURNS"})
        EXPECT_FALSE(IsAcceptableTypeText(QLatin1String(refused))) << refused;
}

TEST(UDFTextTest, StoredMechanismAndReturnTypeChooseTheControls)
{
    EXPECT_EQ(ReturnMechanismIndex(0), 0);
    EXPECT_EQ(ReturnMechanismIndex(1), 1);
    // FREE_IT is stored as a negative mechanism: by reference.
    EXPECT_EQ(ReturnMechanismIndex(-1), 1);
    // By descriptor and the like have no button.
    EXPECT_EQ(ReturnMechanismIndex(2), -1);
    EXPECT_EQ(ReturnMechanismIndex(-2), -1);
    EXPECT_EQ(ReturnMechanismIndex(5), -1);

    const QStringList& types = UDFTypeNames();
    ASSERT_EQ(types.size(), 11);
    EXPECT_EQ(ReturnTypeListIndex(types, QStringLiteral("Double precision")), types.indexOf("Double precision"));
    EXPECT_EQ(ReturnTypeListIndex(types, QStringLiteral("CSTRING(20)")), types.indexOf("CSTRING"));
    EXPECT_EQ(ReturnTypeListIndex(types, QStringLiteral("Numeric(9,2)")), types.indexOf("Numeric"));
    EXPECT_EQ(ReturnTypeListIndex(types, QStringLiteral("Bigint")), -1);
}

TEST(UDFTextTest, DependencyTypesShowTheTreeImages)
{
    EXPECT_EQ(DependencyImage(0), tiTable);
    EXPECT_EQ(DependencyImage(1), tiView);
    EXPECT_EQ(DependencyImage(2), tiTrigger);
    EXPECT_EQ(DependencyImage(5), tiProcedure);
    EXPECT_EQ(DependencyImage(7), tiException);
    EXPECT_EQ(DependencyImage(9), tiDomain);
    EXPECT_EQ(DependencyImage(14), tiGenerator);
    EXPECT_EQ(DependencyImage(15), tiFunction);
    EXPECT_EQ(DependencyImage(17), -1);
}

} // namespace
