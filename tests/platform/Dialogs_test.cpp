#include "platform/DialogScript.h"
#include "platform/Dialogs.h"

#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace qv;

TEST(DialogScript, MessageAnswersAreConsumedInOrderAndTextsRecorded)
{
    DialogScript script;
    script.answerMessage(mrYes);
    script.answerMessage(mrCancel);
    EXPECT_EQ(messageDlg(QStringLiteral("Delete variable ?"), mtWarning, mbYesNo), mrYes);
    EXPECT_EQ(messageDlg(QStringLiteral("Save changes ?"), mtConfirmation, mbYesNoCancel), mrCancel);
    EXPECT_EQ(script.pendingAnswers(), 0);

    ASSERT_EQ(script.shown().size(), 2u);
    const ShownDialog& first = script.shown()[0];
    EXPECT_EQ(first.kind, DialogKind::Message);
    EXPECT_EQ(first.caption, QStringLiteral("Warning"));
    EXPECT_EQ(first.text, QStringLiteral("Delete variable ?"));
    EXPECT_EQ(first.buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(first.type, mtWarning);
    const ShownDialog& second = script.shown()[1];
    EXPECT_EQ(second.caption, QStringLiteral("Confirmation"));
    EXPECT_EQ(second.buttons,
              (QStringList{QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")}));
    EXPECT_EQ(script.messages(),
              (QStringList{QStringLiteral("Delete variable ?"), QStringLiteral("Save changes ?")}));
}

TEST(DialogScript, MessageBoxKeepsTheCallersCaption)
{
    DialogScript script;
    script.answerMessage(mrAbort);
    EXPECT_EQ(messageBox(QStringLiteral("The project was compiled with optimization"),
                         QStringLiteral("AllocCheck: abnormal termination"), mtError,
                         mbAbortRetryIgnore),
              mrAbort);
    EXPECT_EQ(script.shown()[0].caption, QStringLiteral("AllocCheck: abnormal termination"));
    EXPECT_EQ(script.shown()[0].buttons,
              (QStringList{QStringLiteral("Abort"), QStringLiteral("Retry"), QStringLiteral("Ignore")}));
}

TEST(DialogScript, ShowMessageAndExceptionAreOkBoxes)
{
    DialogScript script;
    script.answerMessage(mrOk);
    script.answerMessage(mrOk);
    showMessage(QStringLiteral("Nothing to extract !"));
    showException(QStringLiteral("Error reading the registry !"));
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(script.shown()[1].type, mtError);
    EXPECT_EQ(script.shown()[1].text, QStringLiteral("Error reading the registry !"));
}

TEST(DialogScript, UnscriptedDialogFailsLoudlyWithItsText)
{
    DialogScript script;
    try {
        messageDlg(QStringLiteral("Commit Work ?"), mtConfirmation, mbYesNoCancel);
        FAIL() << "an unscripted message box must throw";
    } catch (const UnscriptedDialog& error) {
        EXPECT_NE(std::string(error.what()).find("Commit Work ?"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("Yes/No/Cancel"), std::string::npos) << error.what();
    }
    // Still recorded: the test can see what was asked.
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Commit Work ?")});

    QString value;
    EXPECT_THROW(inputQuery(QStringLiteral("Modify value"), QStringLiteral("Enter"), value),
                 UnscriptedDialog);
    QDialog dialog;
    EXPECT_THROW(showModal(dialog), UnscriptedDialog);
}

TEST(DialogScript, AnswerThatIsNotAButtonFails)
{
    DialogScript script;
    script.answerMessage(mrCancel);
    EXPECT_THROW(messageDlg(QStringLiteral("Delete variable ?"), mtWarning, mbYesNo), UnscriptedDialog);
}

TEST(DialogScript, OnlyOneScriptAtATime)
{
    DialogScript script;
    EXPECT_EQ(DialogScript::active(), &script);
    EXPECT_THROW(DialogScript{}, std::logic_error);
    EXPECT_EQ(DialogScript::active(), &script);
}

TEST(DialogScript, NoScriptAfterItsEnd)
{
    {
        DialogScript script;
    }
    EXPECT_EQ(DialogScript::active(), nullptr);
}

TEST(DialogScript, InputQueryAndInputBox)
{
    DialogScript script;
    script.answerInput(QStringLiteral("42"));
    script.cancelInput();
    script.cancelInput();

    QString value = QStringLiteral("old");
    EXPECT_TRUE(inputQuery(QStringLiteral("Modify value"), QStringLiteral("Enter new value for  X"), value));
    EXPECT_EQ(value, QStringLiteral("42"));
    EXPECT_FALSE(inputQuery(QStringLiteral("Modify value"), QStringLiteral("again"), value));
    EXPECT_EQ(value, QStringLiteral("42"));
    EXPECT_EQ(inputBox(QStringLiteral("Caption"), QStringLiteral("Prompt"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));

    const ShownDialog& first = script.shown()[0];
    EXPECT_EQ(first.kind, DialogKind::Input);
    EXPECT_EQ(first.caption, QStringLiteral("Modify value"));
    EXPECT_EQ(first.text, QStringLiteral("Enter new value for  X"));
    EXPECT_EQ(first.value, QStringLiteral("old"));
    EXPECT_EQ(script.shown()[2].value, QStringLiteral("dflt"));
}

TEST(DialogScript, FileDialogAppliesDefaultExtensionAndFilterIndex)
{
    DialogScript script;
    script.answerFile(QStringLiteral("/tmp/script"));
    script.answerFile(QStringLiteral("/tmp/data.gdb"));
    script.answerFiles({QStringLiteral("/tmp/a.sql"), QStringLiteral("/tmp/b")}, 2);
    script.cancelFile();

    FileDialogRequest save;
    save.kind = FileDialogKind::Save;
    save.title = QStringLiteral("Save As");
    save.filter = QStringLiteral("SQL files|*.sql|All Files|*.*");
    save.defaultExt = QStringLiteral("sql");
    save.fileName = QStringLiteral("proposed.sql");
    ASSERT_TRUE(runFileDialog(save));
    EXPECT_EQ(save.fileName, QStringLiteral("/tmp/script.sql"));
    EXPECT_EQ(save.files, QStringList{QStringLiteral("/tmp/script.sql")});
    EXPECT_EQ(script.shown()[0].caption, QStringLiteral("Save As"));
    EXPECT_EQ(script.shown()[0].value, QStringLiteral("proposed.sql"));

    FileDialogRequest open;
    open.title = QStringLiteral("File list");
    open.filter = QStringLiteral("IB Database files|*.GDB|All Files|*.*");
    open.defaultExt = QStringLiteral("sql");
    ASSERT_TRUE(runFileDialog(open));
    EXPECT_EQ(open.fileName, QStringLiteral("/tmp/data.gdb"));
    EXPECT_EQ(open.filterIndex, 1);

    FileDialogRequest multi;
    multi.allowMultiSelect = true;
    multi.defaultExt = QStringLiteral("sql");
    ASSERT_TRUE(runFileDialog(multi));
    EXPECT_EQ(multi.files, (QStringList{QStringLiteral("/tmp/a.sql"), QStringLiteral("/tmp/b.sql")}));
    EXPECT_EQ(multi.fileName, QStringLiteral("/tmp/a.sql"));
    EXPECT_EQ(multi.filterIndex, 2);

    FileDialogRequest cancelled;
    cancelled.fileName = QStringLiteral("kept");
    EXPECT_FALSE(runFileDialog(cancelled));
    EXPECT_EQ(cancelled.fileName, QStringLiteral("kept"));
    EXPECT_TRUE(cancelled.files.isEmpty());
}

TEST(DialogScript, FontDialog)
{
    DialogScript script;
    const QFont chosen(QStringLiteral("Monospace"), 11);
    script.answerFont(chosen);
    script.cancelFont();
    QFont font(QStringLiteral("Sans"), 9);
    EXPECT_TRUE(runFontDialog(font, true));
    EXPECT_EQ(font, chosen);
    EXPECT_FALSE(runFontDialog(font, true));
    EXPECT_EQ(font, chosen);
    EXPECT_EQ(script.shown()[0].kind, DialogKind::Font);
}

TEST(DialogScript, LoginDialogShowsDatabaseAndWritesBackOnlyOnOk)
{
    DialogScript script;
    script.answerLogin(QStringLiteral("ALICE"), QStringLiteral("secret"));
    script.cancelLogin();

    QString user = QStringLiteral("SYSDBA");
    QString password = QStringLiteral("masterkey");
    EXPECT_TRUE(loginDialog(QStringLiteral("/data/employee.gdb"), user, password));
    EXPECT_EQ(user, QStringLiteral("ALICE"));
    EXPECT_EQ(password, QStringLiteral("secret"));
    EXPECT_EQ(script.shown()[0].kind, DialogKind::Login);
    EXPECT_EQ(script.shown()[0].text, QStringLiteral("/data/employee.gdb"));
    EXPECT_EQ(script.shown()[0].value, QStringLiteral("SYSDBA"));

    EXPECT_FALSE(loginDialog(QStringLiteral("/data/other.gdb"), user, password));
    EXPECT_EQ(user, QStringLiteral("ALICE"));
    EXPECT_EQ(password, QStringLiteral("secret"));
}

TEST(DialogScript, ModalWindowRunsTheHandlerInsteadOfBlocking)
{
    DialogScript script;
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("TGetDBPasswd"));
    dialog.setWindowTitle(QStringLiteral("Enter database password"));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("Passwd"));
    new QVBoxLayout(&dialog);
    dialog.layout()->addWidget(edit);

    bool wasVisible = false;
    script.onModal([&](QDialog& shown) {
        wasVisible = shown.isVisible();
        shown.findChild<QLineEdit*>(QStringLiteral("Passwd"))->setText(QStringLiteral("pw"));
        shown.accept();
    });
    script.onModal([](QDialog& shown) { shown.done(mrYes); });
    script.onModal([](QDialog& shown) { shown.reject(); });
    script.onModal([](QDialog&) {});

    EXPECT_EQ(showModal(dialog), mrOk);
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("pw"));
    EXPECT_EQ(showModal(dialog), mrYes);
    EXPECT_EQ(showModal(dialog), mrCancel);

    int rejects = 0;
    QObject::connect(&dialog, &QDialog::rejected, [&] { ++rejects; });
    EXPECT_EQ(showModal(dialog), mrCancel);
    EXPECT_EQ(rejects, 1);
    EXPECT_FALSE(dialog.isVisible());

    ASSERT_EQ(script.shown().size(), 4u);
    EXPECT_EQ(script.shown()[0].kind, DialogKind::Modal);
    EXPECT_EQ(script.shown()[0].caption, QStringLiteral("Enter database password"));
    EXPECT_EQ(script.shown()[0].text, QStringLiteral("TGetDBPasswd"));
}

TEST(DialogScript, DialogThatRefusesToCloseCountsAsCancelled)
{
    // A dialog whose OK validation fails stays open; the handler gives up.
    class Stubborn : public QDialog
    {
    public:
        void accept() override { ++attempts; }
        int attempts = 0;
    };
    DialogScript script;
    Stubborn dialog;
    script.onModal([](QDialog& shown) { shown.accept(); });
    EXPECT_EQ(showModal(dialog), mrCancel);
    EXPECT_EQ(dialog.attempts, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(DialogButtons, CaptionsResultsAndTypes)
{
    EXPECT_EQ(buttonCaptions(mbOKCancel), (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(buttonCaptions(mbYesNo | mbHelp),
              (QStringList{QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Help")}));
    EXPECT_EQ(resultOfButton(mbRetry), mrRetry);
    EXPECT_EQ(resultOfButton(mbNoToAll), mrNoToAll);
    EXPECT_EQ(resultOfButton(mbHelp), mrNone);
    EXPECT_EQ(captionOfType(mtError), QStringLiteral("Error"));
    EXPECT_EQ(captionOfType(mtInformation), QStringLiteral("Information"));
}
