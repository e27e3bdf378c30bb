// The main window's About box, its hidden print items and the description
// window's close box.

#include "ShellTest_support.h"

#include "app/shell/AboutBox.h"
#include "app/shell/Main.h"
#include "app/shell/ShowDesc.h"
#include "app/shell/VersionRecord.h"
#include "components/URLLabel.h"
#include "platform/DialogScript.h"
#include "platform/Links.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

TEST(AboutBox, TheVersionLineComesFromTheProgramsRecord)
{
    UnregisterVersionRecord(QCoreApplication::applicationFilePath());
    {
        TAboutBox box;
        box.FormShow();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(box.ProductName->text(), QStringLiteral("Qorvane - Interbase SQL Utility"));
        EXPECT_EQ(box.Version->text(), QStringLiteral("Version - 1.0 (beta)"));
    }
    RegisterProgramVersion();
    const TVersionRecord record = ProgramVersionRecord();
    TAboutBox box;
    box.FormShow();
    EXPECT_EQ(box.Version->text(), QStringLiteral("Version - ") + record.strings.value(QStringLiteral("FileVersion"))
                                       + QLatin1Char(' ') + record.strings.value(QStringLiteral("Comments")));
    EXPECT_TRUE(box.Version->text().startsWith(QStringLiteral("Version - 0.")));
    UnregisterVersionRecord(QCoreApplication::applicationFilePath());

    // Its links open through the desktop's hook.
    std::vector<QUrl> opened;
    qv::ScopedLinkOpener opener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    box.ServerLink->SetLabelType(TURLLabelType::ltLink);
    box.ServerLink->Click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://www.firebirdsql.org/")));
}

TEST(MainWindowCommands, AboutPrintAndPrintSetupOpenTheirDialogs)
{
    IsolatedUser user;
    Shell shell;
    qv::DialogScript script;
    ASSERT_TRUE(MainForm->HelpAboutItem->isEnabled());
    QString version;
    script.onModal([&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("AboutBox"));
        version = static_cast<TAboutBox&>(dialog).Version->text();
        dialog.accept();
    });
    MainForm->HelpAboutItem->trigger();
    EXPECT_EQ(script.shown().size(), 1u);
    // The program registered its own record at start-up.
    const TVersionRecord record = ProgramVersionRecord();
    EXPECT_EQ(version, QStringLiteral("Version - ") + record.strings.value(QStringLiteral("FileVersion"))
                           + QLatin1Char(' ') + record.strings.value(QStringLiteral("Comments")));

    EXPECT_FALSE(MainForm->FilePrintItem->isVisible());
    bool printDialog = false;
    script.onModal([&](QDialog& dialog) {
        printDialog = qobject_cast<QPrintDialog*>(&dialog) != nullptr;
        dialog.reject();
    });
    MainForm->FilePrintItem->trigger();
    EXPECT_TRUE(printDialog);
    bool setupDialog = false;
    script.onModal([&](QDialog& dialog) {
        setupDialog = qobject_cast<QPageSetupDialog*>(&dialog) != nullptr;
        dialog.reject();
    });
    MainForm->FilePrintSetupItem->trigger();
    EXPECT_TRUE(setupDialog);
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST(MainWindowCommands, TheDescriptionWindowStaysWhileDescriptionsAreOn)
{
    IsolatedUser user;
    writeOption(QStringLiteral("ShowDescription"), 0);
    Shell shell;
    MainForm->ShowDescriptionsMenu->trigger();
    ASSERT_TRUE(ShowDesc->isVisible());
    EXPECT_EQ(ShowDesc->windowTitle(), QStringLiteral("Database object Description"));
    EXPECT_FALSE(ShowDesc->close());
    EXPECT_TRUE(ShowDesc->isVisible());
    MainForm->ShowDescriptionsMenu->trigger();
    EXPECT_FALSE(ShowDesc->isVisible());
    ShowDesc->show();
    EXPECT_TRUE(ShowDesc->close());
}

} // namespace
