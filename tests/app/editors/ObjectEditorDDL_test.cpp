// The statements of the domain, generator and exception editors, and the
// reading of a domain's stored default and check, in both dialects.

#include "app/editors/ObjectEditorDDL.h"
#include "components/ConvertError.h"
#include "components/LocaleSettings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TDomainDefinition numericDomain()
{
    TDomainDefinition domain;
    domain.Name = QStringLiteral("D");
    domain.TypeName = QStringLiteral("Numeric");
    domain.Precision = 9;
    domain.Scale = 2;
    domain.Default = QStringLiteral("0");
    domain.NotNull = true;
    domain.Check = true;
    domain.CheckText = QStringLiteral("VALUE > 0");
    return domain;
}

TEST(DomainStatements, CreateWritesTypeSizeDefaultNotNullAndCheckInBothDialects)
{
    for (const int dialect : {1, 3}) {
        EXPECT_EQ(CreateDomainStatement(numericDomain(), dialect),
                  QStringLiteral("CREATE DOMAIN D AS Numeric(9,2) DEFAULT 0  NOT NULL  CHECK (VALUE > 0)"));
        TDomainDefinition text;
        text.Name = QStringLiteral("NAMES");
        text.TypeName = QStringLiteral("Varchar");
        text.Size = 20;
        text.Default = QStringLiteral("it's");
        EXPECT_EQ(CreateDomainStatement(text, dialect),
                  QStringLiteral("CREATE DOMAIN NAMES AS Varchar(20) DEFAULT 'it''s' "));
        TDomainDefinition plain;
        plain.Name = QStringLiteral("COUNTER");
        plain.TypeName = QStringLiteral("Integer");
        EXPECT_EQ(CreateDomainStatement(plain, dialect), QStringLiteral("CREATE DOMAIN COUNTER AS Integer"));
    }
    // Dialect 3 quotes a name it could not otherwise write.
    TDomainDefinition reserved = numericDomain();
    reserved.Name = QStringLiteral("VALUE");
    EXPECT_TRUE(CreateDomainStatement(reserved, 3).startsWith(QStringLiteral("CREATE DOMAIN \"VALUE\" AS ")));
}

TEST(DomainStatements, DefaultsAreWrittenByTypeWithKeywordsAsKeywords)
{
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Char"), QStringLiteral("USER")), QStringLiteral("USER"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Varchar"), QStringLiteral("user")), QStringLiteral("USER"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Varchar"), QStringLiteral("NULL")), QStringLiteral("NULL"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Integer"), QStringLiteral("null")), QStringLiteral("NULL"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Date"), QStringLiteral("NOW")), QStringLiteral("'NOW'"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Integer"), QStringLiteral("NOW")), QStringLiteral("'NOW'"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Varchar"), QStringLiteral("a \"b\" 'c'")),
              QStringLiteral("'a \"b\" ''c'''"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Date"), QStringLiteral("2021-03-04")), QStringLiteral("'2021-03-04'"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Numeric(9,2)"), QStringLiteral("12.5")), QStringLiteral("12.5"));
    // Nothing but a number is pasted unquoted.
    EXPECT_THROW(DomainDefaultValue(QStringLiteral("Integer"), QStringLiteral("1; drop table T")), EConvertError);
    EXPECT_THROW(DomainDefaultValue(QStringLiteral("Integer"), QStringLiteral("USER")), EConvertError);
}

TEST(DomainStatements, DefaultsFollowTheLocaleButAreWrittenWithoutIt)
{
    TLocaleSettings german = LocaleSettings();
    german.decimalSeparator = QLatin1Char(',');
    german.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    german.dateSeparator = QLatin1Char('.');
    const TLocaleSettingsScope scope(german);
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Double precision"), QStringLiteral("1,25")), QStringLiteral("1.25"));
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Date"), QStringLiteral("31.12.2020")), QStringLiteral("'2020-12-31'"));
    // A text keeps its comma.
    EXPECT_EQ(DomainDefaultValue(QStringLiteral("Char"), QStringLiteral("1,25")), QStringLiteral("'1,25'"));
    try {
        DomainDefaultValue(QStringLiteral("Date"), QStringLiteral("31.02.2020"));
        ADD_FAILURE() << "a bad date was taken";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("''31.02.2020'' is not a valid date"));
    }
}

TEST(DomainStatements, AlterWritesOnlyWhatChangedAndNothingWhenNothingDid)
{
    TDomainDefinition domain = numericDomain();
    domain.TypeName = QStringLiteral("Numeric(9,2)");
    // Default cleared, check changed.
    domain.Default.clear();
    domain.CheckText = QStringLiteral("VALUE > 1");
    EXPECT_EQ(AlterDomainStatement(domain, QStringLiteral("0"), QStringLiteral("VALUE > 0"), 1),
              QStringLiteral("ALTER DOMAIN D DROP DEFAULT DROP CONSTRAINT ADD CHECK (VALUE > 1)"));
    // Default cleared only.
    domain.CheckText = QStringLiteral("VALUE > 0");
    EXPECT_EQ(AlterDomainStatement(domain, QStringLiteral("0"), QStringLiteral("VALUE > 0"), 3),
              QStringLiteral("ALTER DOMAIN D DROP DEFAULT"));
    // A new default on a domain without a check: no constraint clause.
    domain.Check = false;
    domain.Default = QStringLiteral("5");
    EXPECT_EQ(AlterDomainStatement(domain, QString(), QString(), 1), QStringLiteral("ALTER DOMAIN D SET DEFAULT 5"));
    // A check added, and one removed.
    domain.Default.clear();
    domain.Check = true;
    EXPECT_EQ(AlterDomainStatement(domain, QString(), QString(), 1),
              QStringLiteral("ALTER DOMAIN D ADD CHECK (VALUE > 0)"));
    domain.Check = false;
    EXPECT_EQ(AlterDomainStatement(domain, QString(), QStringLiteral("VALUE > 0"), 1),
              QStringLiteral("ALTER DOMAIN D DROP CONSTRAINT"));
    // Nothing to change: no statement at all.
    EXPECT_EQ(AlterDomainStatement(domain, QString(), QString(), 1), QString());
    domain.Default = QStringLiteral("5");
    EXPECT_EQ(AlterDomainStatement(domain, QStringLiteral("5"), QString(), 1), QString());
    domain.Check = true;
    EXPECT_EQ(AlterDomainStatement(domain, QStringLiteral("5"), QStringLiteral(" VALUE > 0"), 1), QString());
}

TEST(DomainStatements, TheListIndexOfATypeText)
{
    EXPECT_EQ(DomainTypeIndex(QStringLiteral("Numeric(9,2)")), int(dtNumeric));
    EXPECT_EQ(DomainTypeIndex(QStringLiteral("Varchar(10)")), int(dtVarchar));
    EXPECT_EQ(DomainTypeIndex(QStringLiteral("Timestamp")), -1);
}

TEST(GeneratorAndExceptionStatements, AreSpelledForTheDialect)
{
    EXPECT_EQ(CreateGeneratorStatement(QStringLiteral("G"), 1), QStringLiteral("create generator G"));
    EXPECT_EQ(SetGeneratorStatement(QStringLiteral("G"), QStringLiteral("10"), 1), QStringLiteral("set generator G to 10"));
    EXPECT_EQ(GeneratorValueSelect(QStringLiteral("G"), 1), QStringLiteral("select gen_id(G,0) from rdb$database"));
    EXPECT_EQ(SetGeneratorStatement(QStringLiteral("g x"), QStringLiteral("-3"), 3),
              QStringLiteral("set generator \"g x\" to -3"));
    EXPECT_EQ(ExceptionStatement(true, QStringLiteral("E"), QStringLiteral("Bad \"x\"?"), 1),
              QStringLiteral("create exception E  \"Bad \"\"x\"\"?\""));
    EXPECT_EQ(ExceptionStatement(false, QStringLiteral("E"), QStringLiteral("It's?"), 3),
              QStringLiteral("alter exception E  'It''s?'"));
}

} // namespace

TEST(ViewStatements, AnEditedViewIsAlteredUnderTheNameItsTextGives)
{
    const TViewText plain = ReadViewText(QStringLiteral("CREATE VIEW V(A)\r\nAS\r\nselect 'CREATE' from T"), 1);
    EXPECT_EQ(plain.Name, QStringLiteral("V"));
    EXPECT_EQ(plain.AlterStatement, QStringLiteral("ALTER VIEW V(A)\r\nAS\r\nselect 'CREATE' from T"));
    // Comments before the statement are kept; recreate would drop the grants too.
    EXPECT_EQ(ReadViewText(QStringLiteral("/* x */ -- y\n recreate view v as select 1 from T"), 3).AlterStatement,
              QStringLiteral("/* x */ -- y\n ALTER view v as select 1 from T"));
    EXPECT_EQ(ReadViewText(QStringLiteral("create view v as select 1 from T"), 3).Name, QStringLiteral("V"));
    // A quoted name is the exact name in dialect 3; doubled quotes stay one.
    const TViewText quoted = ReadViewText(QStringLiteral("create view \"Low \"\"v\"\"\"(A) as select A from T"), 3);
    EXPECT_EQ(quoted.Name, QStringLiteral("Low \"v\""));
    EXPECT_TRUE(quoted.AlterStatement.startsWith(QStringLiteral("ALTER view \"Low")));
    // Statements that already keep the grants stand as written.
    for (const QString& kept : {QStringLiteral("ALTER VIEW V AS select 1 from T"),
                                QStringLiteral("create or alter view V as select 1 from T")}) {
        const TViewText text = ReadViewText(kept, 1);
        EXPECT_EQ(text.Name, QStringLiteral("V"));
        EXPECT_EQ(text.AlterStatement, kept);
    }
    // Anything else is no view text at all.
    for (const QString& other : {QStringLiteral("select A from T"), QStringLiteral("CREATE TABLE V (A integer)"),
                                 QStringLiteral("CREATE VIEW"), QStringLiteral("/* CREATE VIEW V */ drop view V")})
        EXPECT_TRUE(ReadViewText(other, 3).Name.isEmpty()) << other.toStdString();
}
