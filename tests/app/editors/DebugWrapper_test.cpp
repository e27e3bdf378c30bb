// The temporary procedure a statement runs in, the for-select head, the
// trigger names, and the variables with the values they may carry.

#include "app/editors/DebugWrapper.h"

#include <gtest/gtest.h>

namespace {

TSQLVar variable(const QString& name, const QString& type, const QString& value = QString())
{
    TSQLVar var;
    var.Name = name;
    var.Type = type;
    var.Value = value;
    var.IsNull = value.isNull();
    return var;
}

TWrapperContext context(int dialect = 1, TDebugMode mode = dmProcedure)
{
    return {QStringLiteral("mmm$1234"), QStringLiteral("abcd"), dialect, mode};
}

TEST(DebugWrapper, AssignmentBecomesAProcedureWithItsVariablesInAndOut)
{
    const TWrappedStatement wrapped = BuildWrapper(
        QStringLiteral("x = x + 1"), {variable(QStringLiteral("x"), QStringLiteral("Integer"))}, context());
    EXPECT_EQ(wrapped.CreateText, QStringLiteral("create procedure mmm$1234\r\n"
                                                 "(x Integer\r\n)\r\n"
                                                 "returns (xabcd Integer\r\n)\r\n"
                                                 "as\r\n"
                                                 "begin\r\n"
                                                 "x = x + 1;\r\n"
                                                 "xabcd=x;\r\n"
                                                 "end"));
    EXPECT_EQ(wrapped.ExecuteText, QStringLiteral("execute procedure mmm$1234 (?x)"));
    EXPECT_EQ(wrapped.DropText, QStringLiteral("drop procedure mmm$1234"));
    EXPECT_FALSE(wrapped.IsCondition);
    ASSERT_EQ(wrapped.Params.size(), 1u);
    EXPECT_EQ(wrapped.Params[0].VarName, QStringLiteral("x"));
}

TEST(DebugWrapper, ConditionsReturnTheirBranch)
{
    const std::vector<TSQLVar> used{variable(QStringLiteral("x"), QStringLiteral("Integer")),
                                    variable(QStringLiteral("s"), QStringLiteral("Varchar(10)"))};
    const TWrappedStatement ifStatement = BuildWrapper(QStringLiteral("if (x > 0 and s = 'a') then"), used, context());
    EXPECT_TRUE(ifStatement.IsCondition);
    EXPECT_EQ(ifStatement.CreateText, QStringLiteral("create procedure mmm$1234\r\n"
                                                     "(x Integer\r\n,s Varchar(10)\r\n)\r\n"
                                                     "returns (xabcd Integer\r\n,sabcd Varchar(10)\r\n"
                                                     ",abcd smallint\r\n)\r\n"
                                                     "as\r\nbegin\r\n"
                                                     "if (x > 0 and s = 'a') then abcd=0;\r\n else abcd=1;\r\n"
                                                     "xabcd=x;\r\nsabcd=s;\r\nend"));
    EXPECT_EQ(ifStatement.ExecuteText, QStringLiteral("execute procedure mmm$1234 (?x,?s)"));

    const TWrappedStatement whileStatement = BuildWrapper(QStringLiteral("while (1 = 1)"), {}, context());
    EXPECT_TRUE(whileStatement.IsCondition);
    EXPECT_EQ(whileStatement.CreateText, QStringLiteral("create procedure mmm$1234\r\n"
                                                        "returns (abcd smallint\r\n)\r\n"
                                                        "as\r\nbegin\r\n"
                                                        "if  (1 = 1) then abcd=0; else abcd=1;\r\n"
                                                        "end"));
    // Without variables nothing follows the blank after the name.
    EXPECT_EQ(whileStatement.ExecuteText, QStringLiteral("execute procedure mmm$1234 "));
    const TWrappedStatement insert = BuildWrapper(QStringLiteral("insert into t values (1)"), {}, context());
    EXPECT_EQ(insert.CreateText,
              QStringLiteral("create procedure mmm$1234\r\nas\r\nbegin\r\ninsert into t values (1);\r\nend"));
}

TEST(DebugWrapper, NamesAndTypesCannotBreakTheText)
{
    const auto refusal = [](const TSQLVar& var, int dialect) {
        try {
            BuildWrapper(QStringLiteral("y = 1"), {var}, context(dialect));
        } catch (const EDebugError& error) {
            return error.Message();
        }
        return QString();
    };
    EXPECT_EQ(refusal(variable(QStringLiteral("x;drop"), QStringLiteral("Integer")), 3),
              QStringLiteral("\"x;drop\" is not a valid variable name"));
    EXPECT_EQ(refusal(variable(QStringLiteral("x\"y"), QStringLiteral("Integer")), 3),
              QStringLiteral("\"x\"y\" is not a valid variable name"));
    EXPECT_EQ(refusal(variable(QStringLiteral("x"), QStringLiteral("Integer) returns (a int) as begin end --")), 3),
              QStringLiteral("\"Integer) returns (a int) as begin end --\" is not a valid type for variable x"));
    EXPECT_EQ(refusal(variable(QStringLiteral("x"), QStringLiteral("Varchar(10) /* */")), 1),
              QStringLiteral("\"Varchar(10) /* */\" is not a valid type for variable x"));
    EXPECT_EQ(refusal(variable(QStringLiteral("rows"), QStringLiteral("Integer")), 1),
              QStringLiteral("\"rows\" is not a valid variable name"));
    // A reserved word the dialect-3 procedure had to quote is quoted here too.
    const TWrappedStatement quoted = BuildWrapper(
        QStringLiteral("\"ROWS\" = 1"), {variable(QStringLiteral("rows"), QStringLiteral("Integer"))}, context(3));
    EXPECT_TRUE(quoted.CreateText.contains(QStringLiteral("(\"ROWS\" Integer\r\n)")));
    EXPECT_TRUE(quoted.CreateText.contains(QStringLiteral("rowsabcd=\"ROWS\";")));
    EXPECT_NO_THROW(BuildWrapper(QStringLiteral("y = 1"),
                                 {variable(QStringLiteral("y"), QStringLiteral("Numeric(18,4) character set none"))},
                                 context()));
}

TEST(DebugWrapper, TriggerColumnsTravelAsTaggedParameters)
{
    EXPECT_EQ(MapTriggerNames(QStringLiteral("new.ID = old.ID + :new.N || 'new.x' || renew.y"), QStringLiteral("abcd")),
              QStringLiteral(":abcd1ID = :abcd2ID + :abcd1N || 'new.x' || renew.y"));
    const TWrappedStatement wrapped =
        BuildWrapper(QStringLiteral("new.ID = old.ID + 1"),
                     {variable(QStringLiteral("old.id"), QStringLiteral("Integer")),
                      variable(QStringLiteral("new.id"), QStringLiteral("Integer"))},
                     context(1, dmTrigger));
    EXPECT_EQ(wrapped.CreateText, QStringLiteral("create procedure mmm$1234\r\n"
                                                 "(abcd2id Integer\r\n,abcd1id Integer\r\n)\r\n"
                                                 "returns (abcd2idabcd Integer\r\n,abcd1idabcd Integer\r\n)\r\n"
                                                 "as\r\nbegin\r\n"
                                                 ":abcd1ID = :abcd2ID + 1;\r\n"
                                                 "abcd2idabcd=abcd2id;\r\nabcd1idabcd=abcd1id;\r\nend"));
    EXPECT_EQ(wrapped.ExecuteText, QStringLiteral("execute procedure mmm$1234 (?abcd2id,?abcd1id)"));
    EXPECT_EQ(VariableOfParam(QStringLiteral("ABCD1ID"), context(1, dmTrigger)), QStringLiteral("new.ID"));
    EXPECT_EQ(VariableOfParam(QStringLiteral("abcd2ID"), context(1, dmTrigger)), QStringLiteral("old.ID"));
    EXPECT_EQ(VariableOfParam(QStringLiteral("abcd1ID"), context()), QStringLiteral("abcd1ID"));
    EXPECT_EQ(VariableOfParam(QStringLiteral("x"), context(1, dmTrigger)), QStringLiteral("x"));

    // A quoted column travels quoted, unless it reads the same unquoted.
    EXPECT_EQ(MapTriggerNames(QStringLiteral("new.\"my col\" = old.\"ID\" || :new.\"a\"\"b\" || '\"'"),
                              QStringLiteral("abcd")),
              QStringLiteral(":\"abcd1my col\" = :abcd2ID || :\"abcd1a\"\"b\" || '\"'"));
    EXPECT_EQ(VariableOfParam(QStringLiteral("\"abcd1my col\""), context(3, dmTrigger)),
              QStringLiteral("new.\"my col\""));
    TInOutVar vars;
    vars.AddVar(QStringLiteral("new.\"my col\""), QStringLiteral("Varchar(5)"), vkInput);
    EXPECT_EQ(vars.Items()[0].Name, QStringLiteral("new.\"my col\""));
    const std::vector<TSQLVar> used = vars.CollectUsedVars(QStringLiteral("NEW.\"my col\" = 'x'"));
    ASSERT_EQ(used.size(), 1u);
    const TWrappedStatement quoted =
        BuildWrapper(QStringLiteral("NEW.\"my col\" = 'x'"), used, context(3, dmTrigger));
    EXPECT_TRUE(quoted.CreateText.contains(QStringLiteral("(\"abcd1my col\" Varchar(5)\r\n)")))
        << quoted.CreateText.toStdString();
    EXPECT_TRUE(quoted.CreateText.contains(QStringLiteral(":\"abcd1my col\" = 'x';")));
    EXPECT_TRUE(quoted.CreateText.contains(QStringLiteral("\"abcd1my colabcd\"=\"abcd1my col\";")));
}

TEST(DebugWrapper, ForSelectHeadSplitsIntoSelectAndVariables)
{
    const TForSelect loop = ParseForSelect(
        QStringLiteral("for select a, 'into' from t where b = :x  into :y,  :z  "), context());
    EXPECT_EQ(loop.Select, QStringLiteral("select a, 'into' from t where b = :x"));
    EXPECT_EQ(loop.Into, (QStringList{QStringLiteral("y"), QStringLiteral("z")}));
    const TForSelect trigger =
        ParseForSelect(QStringLiteral("for select a from t where b = :new.B into :x"), context(1, dmTrigger));
    EXPECT_EQ(trigger.Select, QStringLiteral("select a from t where b = :abcd1B"));
    EXPECT_THROW(ParseForSelect(QStringLiteral("for select a from t"), context()), EDebugError);
}

TEST(DebugVars, FindSetAndCollectByWholeName)
{
    TInOutVar vars;
    vars.AddVar(QStringLiteral(" my\r\nVar "), QStringLiteral("Integer"), vkInput);
    vars.AddVar(QStringLiteral("s"), QStringLiteral("Varchar(10)"), vkLocal);
    vars.AddVar(QStringLiteral("new.ID"), QStringLiteral("Integer"), vkInput);
    ASSERT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.Items()[0].Name, QStringLiteral("myVar"));
    EXPECT_TRUE(vars.Items()[0].IsNull);
    EXPECT_EQ(vars.FindVar(QStringLiteral("MY VAR")), &vars.Items()[0]);
    EXPECT_EQ(vars.FindVar(QStringLiteral("other")), nullptr);
    EXPECT_TRUE(vars.SetVar(QStringLiteral("s"), QStringLiteral("abc"), false));
    EXPECT_FALSE(vars.SetVar(QStringLiteral("t"), QStringLiteral("abc"), false));
    EXPECT_EQ(VariableNotFoundText(QStringLiteral("t")), QStringLiteral("Variable t not found!"));

    const std::vector<TSQLVar> used =
        vars.CollectUsedVars(QStringLiteral("MYVAR = s || 'myvar' /* s */ || t.s || new.id"));
    ASSERT_EQ(used.size(), 3u);
    EXPECT_EQ(used[0].Name, QStringLiteral("myvar"));
    EXPECT_EQ(used[1].Name, QStringLiteral("s"));
    EXPECT_EQ(used[1].Value, QStringLiteral("abc"));
    EXPECT_EQ(used[2].Name, QStringLiteral("new.id"));
    EXPECT_TRUE(vars.CollectUsedVars(QStringLiteral("smyvar = 1")).empty());

    vars.SetAllNull();
    EXPECT_TRUE(vars.Items()[1].IsNull);
    EXPECT_TRUE(IsNullText(QStringLiteral("NuLL")));
    EXPECT_FALSE(IsNullText(QStringLiteral("nul")));
}

TEST(DebugVars, TagNeverClashesWithAName)
{
    TInOutVar vars;
    vars.AddVar(QStringLiteral("aaaa"), QStringLiteral("Integer"), vkInput);
    vars.AddVar(QStringLiteral("x"), QStringLiteral("Integer"), vkInput);
    vars.AddVar(QStringLiteral("xbbbb"), QStringLiteral("Integer"), vkInput);
    // Draws aaaa (a name), then bbbb (x + bbbb is a name), then cccc.
    int draw = 0;
    const QString tag = DrawSessionTag(vars, [&](int n) {
        EXPECT_EQ(n, 25);
        return (draw++ / 4) % 25;
    });
    EXPECT_EQ(tag, QStringLiteral("cccc"));
    const QString drawn = DrawSessionTag(vars);
    ASSERT_EQ(drawn.size(), 4);
    for (const QChar c : drawn)
        EXPECT_TRUE(c >= u'a' && c <= u'y');
}

TEST(DebugVars, ValuesAreCheckedByTheirTypeBeforeSending)
{
    const auto refusal = [](const QString& type, const QString& value) {
        try {
            CheckVariableValue(variable(QStringLiteral("v"), type, value));
        } catch (const EDebugError& error) {
            return error.Message();
        }
        return QString();
    };
    EXPECT_EQ(refusal(QStringLiteral("Integer"), QStringLiteral("abc")),
              QStringLiteral("'abc' is not a valid integer value for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Integer"), QStringLiteral("1.5")),
              QStringLiteral("'1.5' is not a valid integer value for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Bigint"), QStringLiteral(" -9007199254740993 ")), QString());
    EXPECT_EQ(refusal(QStringLiteral("Numeric(18,4)"), QStringLiteral("12345678901234.5678")), QString());
    EXPECT_EQ(refusal(QStringLiteral("Numeric(18,4)"), QStringLiteral("1e3")),
              QStringLiteral("'1e3' is not a valid number for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Double precision"), QStringLiteral("-1.5E-3")), QString());
    EXPECT_EQ(refusal(QStringLiteral("Float"), QStringLiteral("1,2,3")),
              QStringLiteral("'1,2,3' is not a valid number for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Date"), QStringLiteral("2024-02-29 10:30:00")), QString());
    EXPECT_EQ(refusal(QStringLiteral("Date"), QStringLiteral("2023-02-29")),
              QStringLiteral("'2023-02-29' is not a valid date for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Time"), QStringLiteral("25:00")),
              QStringLiteral("'25:00' is not a valid time for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Boolean"), QStringLiteral("maybe")),
              QStringLiteral("'maybe' is not a valid boolean value for variable v"));
    EXPECT_EQ(refusal(QStringLiteral("Varchar(5)"), QStringLiteral("anything ' goes")), QString());
    // A null value is sent as null whatever its text.
    EXPECT_NO_THROW(CheckVariableValue(variable(QStringLiteral("v"), QStringLiteral("Integer"))));

    EXPECT_EQ(ValueKindOf(QStringLiteral("CHAR(3)")), TValueKind::Text);
    EXPECT_EQ(ValueKindOf(QStringLiteral("Timestamp")), TValueKind::DateTime);
    EXPECT_EQ(ValueKindOf(QStringLiteral("smallint")), TValueKind::Integer);
    EXPECT_EQ(ValueKindOf(QStringLiteral("Decimal(9,2)")), TValueKind::Exact);
    EXPECT_EQ(ValueKindOf(QStringLiteral("D_MONEY")), TValueKind::Text);
}

} // namespace
