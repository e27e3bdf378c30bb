#include "app/shell/ProcPreview.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/shell/DataM.h"
#include "app/shell/Options.h"
#include "components/FormPlacement.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "support/TestSupport.h"

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ProcPreviewTest : public ::testing::Test
{
protected:
    void SetUp() override { Options() = TOptions::Defaults(); }
    TDM dm;
};

} // namespace

TEST_F(ProcPreviewTest, IsSetUpAsTheSharedReadOnlyViewer)
{
    TProcPreview preview;
    EXPECT_EQ(preview.windowTitle(), "Generated procedure");
    EXPECT_TRUE(preview.Memo()->ReadOnly());
    EXPECT_EQ(preview.Memo()->HighLighter(), dm.Syntax());
    EXPECT_EQ(preview.Memo()->ScrollBars(), ssVertical);
    EXPECT_FALSE(preview.Memo()->ScrollPastEOL());
    EXPECT_EQ(preview.Memo()->MaxUndo(), 50);
    EXPECT_EQ(preview.OkBtn()->text(), "OK");
    EXPECT_EQ(preview.SaveAs()->text(), "Save As...");
    EXPECT_EQ(preview.WordWrap()->text(), "Word Wrap");
    EXPECT_TRUE(preview.WordWrap()->isHidden());
    EXPECT_EQ(preview.FormStorage1()->IniFileName(), kFormPlacementsKey);
    EXPECT_EQ(preview.FormStorage1()->IniSection(), "TProcPreview");
}

TEST_F(ProcPreviewTest, ShowingAppliesTheEditorOptions)
{
    Options().TabStopCount = 3;
    Options().EditorColors.SetSlot(eeString, {0x00336699, clWhite, esUnderline});
    qv::DialogScript script;
    bool focused = false;
    int tabs = 0;
    script.onModal([&](QDialog& dialog) {
        auto& preview = static_cast<TProcPreview&>(dialog);
        focused = preview.focusWidget() == preview.Memo();
        tabs = preview.Memo()->TabSpace();
        preview.accept();
    });
    TProcPreview preview;
    EXPECT_EQ(qv::showModal(preview), qv::mrOk);
    EXPECT_TRUE(focused);
    EXPECT_EQ(tabs, 3);
    EXPECT_EQ(dm.Syntax()->StringAttri()->Foreground(), QColor(0x99, 0x66, 0x33));
}

TEST_F(ProcPreviewTest, EscapeClosesWithoutSaving)
{
    qvtest::TempDir dir;
    qv::DialogScript script;
    script.onModal([](QDialog& dialog) {
        auto& preview = static_cast<TProcPreview&>(dialog);
        QTest::keyClick(preview.Memo(), Qt::Key_Escape);
        EXPECT_FALSE(preview.isVisible());
    });
    ProcPreview = new TProcPreview;
    ProcPreview->Memo()->SetText("create table t (a integer);");
    EXPECT_EQ(qv::showModal(*ProcPreview), qv::mrCancel);
    EXPECT_TRUE(script.shown().size() == 1);  // no file dialog was asked for
    delete ProcPreview.data();
    EXPECT_TRUE(ProcPreview.isNull());
}

TEST_F(ProcPreviewTest, SaveWritesExactlyTheTextShownWithCrLf)
{
    qvtest::TempDir dir;
    const QString path = dir.filePath("out.sql");
    TProcPreview preview;
    preview.Memo()->SetText("CREATE PROCEDURE P\nAS\r\nBEGIN\n  EXIT;\nEND\n\u00e9t\u00e9");
    qv::DialogScript script;
    script.answerFile(path);
    preview.SaveAsClick();

    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown().front().kind, qv::DialogKind::File);
    EXPECT_EQ(fileBytes(path), preview.Memo()->Text().toUtf8());
    EXPECT_EQ(fileBytes(path), QByteArray("CREATE PROCEDURE P\r\nAS\r\nBEGIN\r\n  EXIT;\r\nEND\r\n\xc3\xa9t\xc3\xa9\r\n"));
}

TEST_F(ProcPreviewTest, AScriptIsSavedInItsSetNamesAndAPasswordStaysPrivate)
{
    qvtest::TempDir dir;
    const QString path = dir.filePath("script.sql");
    TProcPreview preview;
    preview.SetHoldsPassword(true);
    preview.Memo()->SetText("SET NAMES WIN1252;\nCONNECT 'x' USER 'A' PASSWORD 'p';\nINSERT INTO T VALUES ('f\u00fcr');");
    qv::DialogScript script;
    script.answerFile(path);
    preview.SaveAsClick();
    EXPECT_EQ(fileBytes(path),
              QByteArray("SET NAMES WIN1252;\r\nCONNECT 'x' USER 'A' PASSWORD 'p';\r\nINSERT INTO T VALUES ('f\xfcr');\r\n"));
    EXPECT_EQ(QFileInfo(path).permissions()
                  & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());

    // A text its set cannot carry is said so, and not saved.
    preview.Memo()->SetText("SET NAMES WIN1252;\nINSERT INTO T VALUES ('\u0416');");
    script.answerFile(path);
    script.answerMessage(qv::mrOk);
    preview.SaveAsClick();
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().front().contains("cannot carry")) << script.messages().front().toStdString();
    EXPECT_TRUE(fileBytes(path).endsWith("('f\xfcr');\r\n"));
}

TEST_F(ProcPreviewTest, CancelledSaveWritesNothing)
{
    qvtest::TempDir dir;
    const QString path = dir.filePath("keep.sql");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    TProcPreview preview;
    preview.Memo()->SetText("new text");
    qv::DialogScript script;
    script.cancelFile();
    preview.SaveAsClick();
    EXPECT_EQ(fileBytes(path), QByteArray("old"));
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_F(ProcPreviewTest, FailedSaveIsReportedAndKeepsTheWindow)
{
    qvtest::TempDir dir;
    TProcPreview preview;
    preview.Memo()->SetText("text");
    qv::DialogScript script;
    script.answerFile(dir.filePath("no/such/folder/x.sql"));
    script.answerMessage(qv::mrOk);
    preview.show();
    preview.SaveAsClick();
    EXPECT_TRUE(preview.isVisible());
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().front().startsWith("Cannot create file "));
}

TEST_F(ProcPreviewTest, WordWrapSwitchesScrollBars)
{
    TProcPreview preview;
    preview.show();
    preview.WordWrap()->setChecked(false);
    preview.WordWrapClick();
    EXPECT_EQ(preview.Memo()->ScrollBars(), ssBoth);
    preview.WordWrap()->setChecked(true);
    preview.WordWrapClick();
    EXPECT_EQ(preview.Memo()->ScrollBars(), ssVertical);
}
