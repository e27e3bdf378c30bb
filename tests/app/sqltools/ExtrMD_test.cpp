// The "Extract Metadata" dialog inside the running program: opened from the
// main window on the tree's selection, its lists and check boxes, and runs
// to a file, to the preview, and into a server error.

#include "ExtractTest_support.h"

#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ProcPreview.h"
#include "app/sqltools/ExtrMD.h"
#include "components/FileEdit.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

QStringList captions(const QTreeWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        names << list->topLevelItem(i)->text(0);
    return names;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExtrMDInProgram : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        if (target.isServer() && !qvtest::serverRunning())
            GTEST_SKIP() << "Firebird server is not running on 127.0.0.1:3050; server test skipped";
        m_folders.emplace(dir);
        path = qvtest::createDatabase(target, dir, QStringLiteral("extract.fdb"),
            {QStringLiteral("create domain DNAME as varchar(20)"),
             QStringLiteral("create generator G1"),
             QStringLiteral("create exception E1 'bad'"),
             QStringLiteral("create table T (ID integer not null primary key, NAME DNAME)"),
             QStringLiteral("create table U (ID integer)"),
             QStringLiteral("create view V (ID, UID) as select T.ID, U.ID from T, U"),
             QStringLiteral("create procedure P as begin exit; end"),
             QStringLiteral("create trigger TR for T active before insert position 0 as begin end"),
             // The server's own triggers for a cascading key are not the user's.
             QStringLiteral("create table W (ID integer, T_ID integer references T (ID) on delete cascade)"),
             QStringLiteral("create function F returns integer as begin return 1; end"),
             QStringLiteral("create package PK as begin function G returns integer; end"),
             QStringLiteral("create collation C_PT for win1252 from WIN_PTBR case insensitive"),
             QStringLiteral("create role R_READ"),
             QStringLiteral("insert into T values (1, 'abc')")});
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace(InstallExtractMetadataCommand);
    }

    void TearDown() override
    {
        m_program.reset();
        m_folders.reset();
    }

    QTreeWidgetItem* databaseNode() const { return qvtest::databaseNode(QStringLiteral("Test")); }

    quint64 entryId() const { return DBList->GetId(DBList->IndexOf(QStringLiteral("Test"))); }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(ExtrMDInProgram, ListsMovesAndChecksKinds)
{
    MainTree->Tree()->setCurrentItem(databaseNode());
    bool shown = false;
    script.onModal([&](QDialog& dialog) {
        auto* md = qobject_cast<TExtrMD*>(&dialog);
        ASSERT_NE(md, nullptr);
        shown = true;
        EXPECT_EQ(md->windowTitle(), QStringLiteral("Extract Metadata"));
        EXPECT_EQ(md->ExtrWhat->currentText(), QStringLiteral("Metadata only"));
        EXPECT_TRUE(md->GenIndices->isChecked());
        EXPECT_TRUE(md->GenPKFK->isChecked());
        // Before any file was used, the user's own folder.
        EXPECT_EQ(md->Filename->FileName(), QDir::homePath() + QLatin1Char('/'));
        // Kind by kind, a view over two tables once, PSQL functions,
        // packages, collations and roles with them (not the system's
        // RDB$ADMIN).
        EXPECT_EQ(captions(md->SrcList),
                  (QStringList{QStringLiteral("T"), QStringLiteral("U"), QStringLiteral("W"), QStringLiteral("V"),
                               QStringLiteral("P"), QStringLiteral("TR"), QStringLiteral("DNAME"),
                               QStringLiteral("G1"), QStringLiteral("F"), QStringLiteral("E1"), QStringLiteral("PK"),
                               QStringLiteral("C_PT"), QStringLiteral("R_READ")}));
        EXPECT_FALSE(md->SrcList->topLevelItem(12)->icon(0).isNull());
        EXPECT_FALSE(md->ExcludeBtn->isEnabled());
        EXPECT_FALSE(md->ExAllBtn->isEnabled());

        script.answerMessage(qv::mrOk);
        md->GenerateBtn->click();
        EXPECT_EQ(script.messages().last(), QStringLiteral("Nothing to extract !"));

        md->ATable->click();
        EXPECT_EQ(captions(md->DstList), (QStringList{QStringLiteral("T"), QStringLiteral("U"), QStringLiteral("W")}));
        EXPECT_TRUE(md->ExcludeBtn->isEnabled());
        md->ATable->click();
        EXPECT_TRUE(captions(md->DstList).isEmpty());
        md->ARole->click();
        EXPECT_EQ(captions(md->DstList), QStringList{QStringLiteral("R_READ")});
        md->ARole->click();
        EXPECT_TRUE(captions(md->DstList).isEmpty());

        md->Allobjects->click();
        EXPECT_TRUE(md->ARole->isChecked());
        EXPECT_EQ(md->SrcList->topLevelItemCount(), 0);
        EXPECT_TRUE(md->AView->isChecked());
        EXPECT_FALSE(md->IncludeBtn->isEnabled());
        md->AView->click();
        EXPECT_EQ(captions(md->SrcList), QStringList{QStringLiteral("V")});
        EXPECT_EQ(md->DstList->topLevelItemCount(), 12);

        // A selection moves with ">" and "<"; the source list keeps a selection.
        md->ExAllBtn->click();
        md->SrcList->clearSelection();
        md->SrcList->topLevelItem(1)->setSelected(true);
        md->IncludeBtn->click();
        EXPECT_EQ(captions(md->DstList), QStringList{QStringLiteral("U")});
        EXPECT_EQ(md->SrcList->selectedItems().size(), 1);
        EXPECT_EQ(md->SrcList->selectedItems().first()->text(0), QStringLiteral("W"));
        const QPoint onItem = md->DstList->visualItemRect(md->DstList->topLevelItem(0)).center();
        QTest::mouseClick(md->DstList->viewport(), Qt::LeftButton, {}, onItem);
        QTest::mouseDClick(md->DstList->viewport(), Qt::LeftButton, {}, onItem);
        EXPECT_TRUE(captions(md->DstList).isEmpty());
        dialog.reject();
    });
    MainForm->Extractmetadata1->trigger();
    EXPECT_TRUE(shown);
}

TEST_P(ExtrMDInProgram, GeneratesToAFileReplacingItOnlyWhenAsked)
{
    const QString file = dir.filePath(QStringLiteral("out.sql"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'z'));
    }
    MainTree->Tree()->setCurrentItem(databaseNode());
    MainTree->Tree()->currentItem()->setExpanded(true);
    script.onModal([&](QDialog& dialog) {
        auto* md = qobject_cast<TExtrMD*>(&dialog);
        ASSERT_NE(md, nullptr);
        md->Filename->SetFileName(file);
        md->ATable->click();
        md->ExtrWhat->setCurrentIndex(1);

        script.answerMessage(qv::mrNo);
        md->GenerateBtn->click();
        EXPECT_EQ(script.messages().last(), file + QStringLiteral(" already exists.\r\n Do you want to replace it ?"));
        EXPECT_EQ(readFile(file).size(), 100000);

        script.answerMessage(qv::mrYes);
        md->GenerateBtn->click();
        const QString text = QString::fromUtf8(readFile(file));
        EXPECT_TRUE(text.startsWith(
            QStringLiteral("SET SQL DIALECT 1;\r\n\r\nSET NAMES NONE;\r\n/* Create database : Test       */\r\n"
                           "CONNECT \"%1\" ;\r\n")
                .arg(path)))
            << text.left(200).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\nINSERT INTO T(ID,NAME) VALUES(1,\"abc\");\r\n")));
        EXPECT_FALSE(text.contains(QStringLiteral("zzzz")));
        EXPECT_TRUE(md->GenerateBtn->isEnabled());

        // A file that cannot be written is said so; the dialog stays.
        md->Filename->SetFileName(dir.filePath(QStringLiteral("missing/out.sql")));
        script.answerMessage(qv::mrOk);
        md->GenerateBtn->click();
        EXPECT_EQ(script.messages().last(), QStringLiteral("Error writing to the file !"));
        dialog.reject();
    });
    MainForm->Extractmetadata1->trigger();
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_P(ExtrMDInProgram, PreviewShowsTheScriptAndAnObjectNodePreselects)
{
    QString previewText;
    QString previewCaption;
    script.onModal([&](QDialog& dialog) {
        auto* md = qobject_cast<TExtrMD*>(&dialog);
        ASSERT_NE(md, nullptr);
        EXPECT_EQ(captions(md->DstList), QStringList{QStringLiteral("P")});
        script.onModal([&](QDialog& preview) {
            previewCaption = preview.windowTitle();
            if (auto* window = qobject_cast<TProcPreview*>(&preview))
                previewText = window->Memo()->Text();
            preview.accept();
        });
        md->PreviewBtn->click();
        dialog.reject();
    });
    ExtractMetadataFor(entryId(), QStringLiteral("P"));
    EXPECT_EQ(previewCaption, QStringLiteral("Database Metadata"));
    EXPECT_TRUE(previewText.contains(QStringLiteral("CREATE PROCEDURE P AS BEGIN EXIT; END ^")));
    EXPECT_TRUE(previewText.contains(QStringLiteral("ALTER PROCEDURE P")));
}

TEST_P(ExtrMDInProgram, AServerErrorIsShownAndTheDialogStaysUsable)
{
    script.onModal([&](QDialog& dialog) {
        auto* md = qobject_cast<TExtrMD*>(&dialog);
        ASSERT_NE(md, nullptr);
        md->Allobjects->click();
        // The connection goes away under the dialog.
        TQvDatabase* database = DBList->GetDatabase(DBList->IndexOf(QStringLiteral("Test")));
        qvtest::killAttachment(target, path, qvtest::attachmentId(*database));
        bool disabledDuringRun = false;
        script.answerMessage(qv::mrOk, [&] { disabledDuringRun = !md->GenerateBtn->isEnabled() && !md->CancelBtn->isEnabled(); });
        md->PreviewBtn->click();
        EXPECT_TRUE(disabledDuringRun);
        ASSERT_FALSE(script.messages().isEmpty());
        EXPECT_FALSE(script.messages().last().isEmpty());
        EXPECT_TRUE(md->GenerateBtn->isEnabled());
        EXPECT_TRUE(md->CancelBtn->isEnabled());
        EXPECT_EQ(md->findChildren<TExtractForm*>().size(), 0);
        dialog.reject();
    });
    ExtractMetadataFor(entryId());
}

INSTANTIATE_TEST_SUITE_P(Targets, ExtrMDInProgram, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
