// The trigger editor's texts without a window or a database: the kinds of
// trigger it can express, the generated DDL in both dialects and the
// reading of a stored source.

#include "app/editors/TrigText.h"
#include "app/editors/ProcSource.h"

#include <gtest/gtest.h>

namespace {

TTriggerDefinition ordersExample()
{
    TTriggerDefinition definition;
    definition.IsNew = true;
    definition.Name = QStringLiteral("T1");
    definition.Table = QStringLiteral("ORDERS");
    definition.StyleIndex = 1;
    definition.Position = 0;
    definition.Active = true;
    definition.Body = QStringLiteral("new.ID = 1;\r\n");
    return definition;
}

// The body as the editor shows it, from a stored source.
QString bodyOf(const QString& source)
{
    QString rest;
    EXPECT_TRUE(StripTriggerAs(source, rest));
    const TSourceParts parts = SplitSource(rest);
    EXPECT_TRUE(parts.HasBegin);
    return BodyText(parts.Body, false).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

TEST(TriggerText, TheSimpleTypesAreTheStyleListAndEveryOtherTypeIsNamed)
{
    ASSERT_EQ(TriggerStyleNames().size(), 6);
    for (int type = 1; type <= 6; ++type) {
        EXPECT_EQ(StyleIndexOfType(type), type - 1);
        EXPECT_EQ(TriggerTypeText(type), TriggerStyleNames().at(type - 1));
    }
    EXPECT_EQ(StyleIndexOfType(0), -1);
    EXPECT_EQ(StyleIndexOfType(17), -1);
    EXPECT_EQ(TriggerTypeText(17), QStringLiteral("before insert or update"));
    EXPECT_EQ(TriggerTypeText(18), QStringLiteral("after insert or update"));
    EXPECT_EQ(TriggerTypeText(27), QStringLiteral("before update or delete"));
    EXPECT_EQ(TriggerTypeText(113), QStringLiteral("before insert or update or delete"));
    EXPECT_EQ(TriggerTypeText(8192), QStringLiteral("on connect"));
    EXPECT_EQ(TriggerTypeText(8196), QStringLiteral("on transaction rollback"));
    // Firebird's "before any DDL statement" has bits beyond 32.
    EXPECT_EQ(TriggerTypeText(0x7FFFFFFFFFFFDFFELL), QStringLiteral("before DDL"));
    EXPECT_EQ(TriggerTypeText(16385), QStringLiteral("after DDL"));
    EXPECT_EQ(TriggerTypeText(500), QStringLiteral("of type 500"));
}

TEST(TriggerText, TriggersTheWindowCannotExpressAreNamedWithTheirReason)
{
    TTriggerRecord trigger;
    trigger.Name = QStringLiteral("T1");
    trigger.Relation = QStringLiteral("ORDERS");
    trigger.Type = 2;
    trigger.SourceIsNull = false;
    trigger.Source = QStringLiteral("AS begin end");
    EXPECT_EQ(TriggerNotEditableReason(trigger), QString());

    trigger.Type = 17;
    EXPECT_EQ(TriggerNotEditableReason(trigger),
              QStringLiteral("Trigger T1 is a trigger before insert or update, which this window cannot express. "
                             "It is shown read-only; change it with a script."));
    trigger.Type = 8192;
    trigger.Relation.clear();
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("on connect")));
    trigger.Type = 2;
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("belongs to no table")));

    trigger.Relation = QStringLiteral("ORDERS");
    trigger.SourceIsNull = true;
    trigger.Source.clear();
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("is not stored")));
    trigger.SourceIsNull = false;
    trigger.Source = QStringLiteral("begin end");
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("does not start with AS")));
    trigger.Source = QStringLiteral("AS begin end");
    trigger.External = true;
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("external engine")));
    trigger.External = false;
    trigger.System = true;
    EXPECT_TRUE(TriggerNotEditableReason(trigger).contains(QStringLiteral("belongs to the system")));
}

TEST(TriggerText, CreateAndAlterTextsInBothDialects)
{
    TTriggerDefinition definition = ordersExample();
    EXPECT_EQ(BuildTriggerText(definition),
              QStringLiteral("CREATE TRIGGER T1 FOR ORDERS ACTIVE after insert POSITION 0\r\nAS\r\n\r\nbegin \r\n"
                             "new.ID = 1;\r\n\r\nend "));
    definition.Dialect = 3;
    EXPECT_EQ(BuildTriggerText(definition), BuildTriggerText(ordersExample())) << "plain names stay plain";

    definition.IsNew = false;
    definition.Active = false;
    definition.StyleIndex = 5;
    definition.Position = 3;
    definition.Locals = QStringLiteral("     declare variable X Integer   /*tmp */;");
    EXPECT_EQ(BuildTriggerText(definition),
              QStringLiteral("ALTER TRIGGER T1 INACTIVE after delete POSITION 3\r\nAS\r\n"
                             "     declare variable X Integer   /*tmp */;\r\nbegin \r\nnew.ID = 1;\r\n\r\nend "));

    // Dialect 3 quotes the names it cannot take as they stand.
    definition = ordersExample();
    definition.Dialect = 3;
    definition.Name = QStringLiteral("Order \"log\"");
    definition.Table = QStringLiteral("order");
    EXPECT_TRUE(BuildTriggerText(definition)
                    .startsWith(QStringLiteral("CREATE TRIGGER \"Order \"\"log\"\"\" FOR \"order\" ACTIVE ")));
}

TEST(TriggerText, StoredSourcesGiveBackTheBodyAsTyped)
{
    QString rest;
    EXPECT_TRUE(StripTriggerAs(QStringLiteral("\r\n  as\r\nbegin end"), rest));
    EXPECT_EQ(rest, QStringLiteral("\r\nbegin end"));
    EXPECT_FALSE(StripTriggerAs(QStringLiteral("ASX begin end"), rest));
    EXPECT_FALSE(StripTriggerAs(QStringLiteral("A"), rest));
    EXPECT_FALSE(StripTriggerAs(QString(), rest));

    // What the editor generates comes back unchanged.
    const TTriggerDefinition definition = ordersExample();
    const QString text = BuildTriggerText(definition);
    const QString stored = text.mid(text.indexOf(QStringLiteral("\r\nAS\r\n")) + 2);
    EXPECT_EQ(bodyOf(stored), QStringLiteral("new.ID = 1;\r\n"));

    // Blank lines at both ends stay.
    EXPECT_EQ(bodyOf(QStringLiteral("AS\r\nbegin\r\n\r\n  x = 1;\r\n\r\nend")), QStringLiteral("\r\n  x = 1;\r\n"));
    EXPECT_EQ(bodyOf(QStringLiteral("as\nbegin\n  if (a) then begin b = 1; end\nend")),
              QStringLiteral("  if (a) then begin b = 1; end\r\n"));
}
