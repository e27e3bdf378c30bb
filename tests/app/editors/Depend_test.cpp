// The dependencies window over a real database on both engines: both
// directions, each object once however many rows name it, the dialog opened
// through the tree's command, and a read that fails.

#include "WindowTest_support.h"

#include "app/editors/Depend.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/ShellImages.h"
#include "platform/DialogScript.h"
#include "support/DatabaseSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// P reads two columns of T (a row per column), raises E and takes from G;
// V and TR use T too.
const QStringList kSchema = {
    QStringLiteral("CREATE TABLE T (A INTEGER, B INTEGER)"),
    QStringLiteral("CREATE EXCEPTION E 'bad'"),
    QStringLiteral("CREATE GENERATOR G"),
    QStringLiteral("CREATE PROCEDURE P RETURNS (S INTEGER) AS BEGIN "
                   "SELECT MAX(A) FROM T INTO :S; "
                   "IF (S IS NULL) THEN EXCEPTION E; "
                   "S = S + GEN_ID(G, 1); "
                   "SELECT MAX(B) FROM T INTO :S; "
                   "SUSPEND; END"),
    QStringLiteral("CREATE VIEW V AS SELECT A, B FROM T"),
    QStringLiteral("CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = GEN_ID(G, 1); END"),
};

QStringList names(const std::vector<TDependency>& objects)
{
    QStringList list;
    for (const TDependency& object : objects)
        list << object.Name;
    return list;
}

QStringList items(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

class DependTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        db = std::make_unique<qveditors::RegisteredDatabase>(GetParam(), dir, 3, kSchema);
    }

    qvtest::TempDir dir;
    std::unique_ptr<qveditors::RegisteredDatabase> db;
};

TEST_P(DependTest, ListsEachObjectOnceBothWays)
{
    const TDependencyLists procedure = ReadDependencies(db->database(), QStringLiteral("P"));
    QStringList dependsOn = names(procedure.DependsOn);
    EXPECT_EQ(dependsOn.count(QStringLiteral("T")), 1) << dependsOn.join(QLatin1Char(',')).toStdString();
    dependsOn.sort();
    EXPECT_EQ(dependsOn, (QStringList{"E", "G", "T"}));
    EXPECT_TRUE(procedure.DependedOnBy.empty());
    for (const TDependency& object : procedure.DependsOn) {
        if (object.Name == u"T") {
            EXPECT_EQ(object.Type, 0);
        }
        if (object.Name == u"E") {
            EXPECT_EQ(object.Type, 7);
        }
    }

    const TDependencyLists table = ReadDependencies(db->database(), QStringLiteral("T"));
    QStringList dependents = names(table.DependedOnBy);
    dependents.sort();
    EXPECT_EQ(dependents, (QStringList{"P", "TR", "V"}));
    EXPECT_TRUE(table.DependsOn.empty());

    // The dialog as the tree opens it: captions, both lists with their images.
    qv::DialogScript script;
    bool shown = false;
    script.onModal([&](QDialog& dialog) {
        auto& depend = static_cast<TDepend&>(dialog);
        shown = true;
        EXPECT_EQ(depend.windowTitle(), "Show Dependencies");
        EXPECT_EQ(depend.ObjName->text(), "T");
        EXPECT_TRUE(depend.ObjName->isReadOnly());
        EXPECT_EQ(depend.DependOn->text(), "Objects, That 'T' Depends on:");
        EXPECT_EQ(depend.OnDepend->text(), "Objects, That Depend on 'T':");
        EXPECT_TRUE(items(depend.List1).isEmpty());
        QStringList listed = items(depend.List2);
        listed.sort();
        EXPECT_EQ(listed, (QStringList{"P", "TR", "V"}));
        for (int i = 0; i < depend.List2->topLevelItemCount(); ++i)
            EXPECT_FALSE(depend.List2->topLevelItem(i)->icon(0).isNull());
        EXPECT_EQ(WindowIdentityOf(&depend).Kind, wkDependencies);
        depend.CloseBtn->click();
    });
    InstallDependencies();
    ASSERT_TRUE(TObjectOpeners::Instance().OpenTool(TToolCommand::Dependencies,
                                                    {db->id(), &db->database(), catTables, "T", nullptr}));
    TObjectOpeners::Instance().Clear();
    EXPECT_TRUE(shown);
}

TEST_P(DependTest, AFailedReadIsShownAndEndsItsTransaction)
{
    qvtest::killAttachment(GetParam(), db->path(), qvtest::attachmentId(db->database()));
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    // No modal answer is queued: the dialog must not open.
    ShowDependencies({db->id(), &db->database(), catProcedures, "P", nullptr});
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_FALSE(script.messages().first().isEmpty());
    EXPECT_EQ(script.pendingAnswers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, DependTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
