// The unscripted dialogs, driven the way a user would: a timer acts on the
// modal window once its loop runs.
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace qv;

namespace {

void whenModal(std::function<void(QWidget&)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(*modal);
    });
}

QAbstractButton* buttonNamed(QWidget& box, const QString& caption)
{
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>())
        if (button->text() == caption)
            return button;
    return nullptr;
}

} // namespace

TEST(RealDialogs, MessageBoxAnswersTheClickedButton)
{
    QStringList captions;
    whenModal([&](QWidget& box) {
        for (QAbstractButton* button : box.findChildren<QAbstractButton*>())
            captions << button->text();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Confirmation"));
        buttonNamed(box, QStringLiteral("No"))->click();
    });
    EXPECT_EQ(messageDlg(QStringLiteral("Commit Work ?"), mtConfirmation, mbYesNoCancel), mrNo);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Cancel"), QStringLiteral("No"), QStringLiteral("Yes")}));
}

TEST(RealDialogs, ClosingTheBoxAnswersCancelElseNo)
{
    whenModal([](QWidget& box) { box.close(); });
    EXPECT_EQ(messageDlg(QStringLiteral("Save changes ?"), mtWarning, mbYesNoCancel), mrCancel);
    whenModal([](QWidget& box) { box.close(); });
    EXPECT_EQ(messageDlg(QStringLiteral("Delete variable ?"), mtWarning, mbYesNo), mrNo);
}

TEST(RealDialogs, LoginDialogShowsTheDatabaseAndAsksUserAndPassword)
{
    whenModal([](QWidget& dialog) {
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("DatabaseName"))->text(),
                  QStringLiteral("srv:/db/a.gdb"));
        auto* user = dialog.findChild<QLineEdit*>(QStringLiteral("UserName"));
        auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("Password"));
        EXPECT_EQ(user->text(), QStringLiteral("SYSDBA"));
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        user->setText(QStringLiteral("BOB"));
        password->setText(QStringLiteral("pw"));
        static_cast<QDialog&>(dialog).accept();
    });
    QString user = QStringLiteral("SYSDBA");
    QString password;
    EXPECT_TRUE(loginDialog(QStringLiteral("srv:/db/a.gdb"), user, password));
    EXPECT_EQ(user, QStringLiteral("BOB"));
    EXPECT_EQ(password, QStringLiteral("pw"));

    whenModal([](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); });
    EXPECT_FALSE(loginDialog(QStringLiteral("srv:/db/a.gdb"), user, password));
    EXPECT_EQ(user, QStringLiteral("BOB"));
}

TEST(RealDialogs, ShowModalMapsTheDialogsResult)
{
    QDialog dialog;
    whenModal([](QWidget& shown) { static_cast<QDialog&>(shown).done(mrNo); });
    EXPECT_EQ(showModal(dialog), mrNo);
    whenModal([](QWidget& shown) { static_cast<QDialog&>(shown).reject(); });
    EXPECT_EQ(showModal(dialog), mrCancel);
}

TEST(RealDialogs, FontDialogStartsOnTheFontsOwnFamilyStyleAndSize)
{
    // The editor's default names a family this machine may not have: the
    // dialog must still start on what is drawn, upright and normal weight.
    QFont editorFont(QStringLiteral("Courier New"));
    editorFont.setPointSize(9);
    QFont bold = editorFont;
    bold.setBold(true);
    for (const QFont& font : {editorFont, bold}) {
        const QFontInfo drawn(font);
        QFont inDialog;
        whenModal([&inDialog](QWidget& dialog) {
            auto* fonts = qobject_cast<QFontDialog*>(&dialog);
            ASSERT_NE(fonts, nullptr);
            inDialog = fonts->currentFont();
            // Only the size changed: the style stays what it was.
            inDialog.setPointSize(12);
            fonts->setCurrentFont(inDialog);
            fonts->accept();
        });
        QFont chosen = font;
        ASSERT_TRUE(runFontDialog(chosen, true));
        EXPECT_EQ(inDialog.family(), drawn.family());
        EXPECT_FALSE(inDialog.italic()) << inDialog.toString().toStdString();
        const QFontInfo result(chosen);
        EXPECT_FALSE(result.italic()) << chosen.toString().toStdString();
        EXPECT_EQ(result.bold(), drawn.bold()) << chosen.toString().toStdString();
        EXPECT_EQ(result.family(), drawn.family());
        EXPECT_EQ(chosen.pointSize(), 12);
    }
}

TEST(RealDialogs, AMessageBoxOpensCentredOnTheMainWindowWhoeverAsks)
{
    // An MDI child away from the middle of its main window.
    QMainWindow main;
    main.setObjectName(QStringLiteral("Main"));
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.setGeometry(40, 30, 780, 580);
    auto* child = new QWidget;
    auto* edit = new QLineEdit(child);
    QMdiSubWindow* sub = area->addSubWindow(child);
    sub->setGeometry(380, 250, 360, 280);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const QPoint centre = main.frameGeometry().center();
    int boxes = 0;
    auto centredOnMain = [&](QWidget& box) {
        ++boxes;
        EXPECT_EQ(box.parentWidget(), &main);
        EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 4)
            << box.frameGeometry().center().x() << "," << box.frameGeometry().center().y();
        static_cast<QDialog&>(box).reject();
    };
    // Named by the caller, and found from the focus.
    whenModal(centredOnMain);
    messageDlg(child, QStringLiteral("Save changes ?"), mtConfirmation, mbYesNoCancel);
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    whenModal(centredOnMain);
    messageDlg(QStringLiteral("Save changes ?"), mtConfirmation, mbYesNoCancel);
    // Asked for by a window that is not shown (a menu just closed): not at
    // that window's corner of the screen either.
    QMenu closedMenu;
    whenModal(centredOnMain);
    messageDlg(&closedMenu, QStringLiteral("Commit Work ?"), mtConfirmation, mbYesNoCancel);
    EXPECT_EQ(boxes, 3);
}

TEST(RealDialogs, AClosedBoxOrDialogGivesTheKeysBackToTheWindowThatHadThem)
{
    QMainWindow main;
    auto* edit = new QLineEdit;
    main.setCentralWidget(edit);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    edit->setFocus();
    whenModal([](QWidget& box) { buttonNamed(box, QStringLiteral("OK"))->click(); });
    EXPECT_EQ(messageDlg(QStringLiteral("Done."), mtInformation, mbOK), mrOk);
    // What the window system says comes through the event loop, as the user's next key does.
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &main);
    EXPECT_EQ(QApplication::focusWidget(), edit);

    QDialog dialog(&main);
    whenModal([](QWidget& shown) { static_cast<QDialog&>(shown).accept(); });
    EXPECT_EQ(showModal(dialog), mrOk);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &main);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}
