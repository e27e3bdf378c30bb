// The unscripted dialogs, driven the way a user would: a timer acts on the
// modal window once its loop runs.
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
