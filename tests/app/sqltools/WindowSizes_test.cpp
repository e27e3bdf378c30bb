// Every editor window opens large enough for its controls' texts with the
// fonts in use: no caption, label or tab text cut, no tab scroll arrows.

#include "SQLEditTest_support.h"

#include "app/editors/DebugWindow.h"
#include "app/editors/Depend.h"
#include "app/editors/EditProc.h"
#include "app/editors/EditTrig.h"
#include "app/editors/EditUDF.h"
#include "app/editors/ObjectEditors.h"
#include "app/editors/TableEditor.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/TreeCommands.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/ExecuteScript.h"
#include "app/sqltools/ExtrMD.h"
#include "app/sqltools/SQLEdit.h"
#include "components/FormPlacement.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"
#include "support/ProgramSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

QString withoutMnemonics(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

// "Window/control: text needs N, has M" for every control of the window
// whose text does not fit it.
QStringList cutTexts(QWidget* window)
{
    QStringList cut;
    auto check = [&](const QWidget* control, const QString& text, int needed, int has) {
        if (has < needed)
            cut << QStringLiteral("%1/%2 \"%3\": needs %4, has %5")
                       .arg(window->objectName(), control->objectName(), text)
                       .arg(needed)
                       .arg(has);
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics(control->font());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (!label->wordWrap() && !label->text().isEmpty() && !Qt::mightBeRichText(label->text()))
                for (const QString& line : label->text().split(u'\n'))
                    check(label, line, metrics.horizontalAdvance(withoutMnemonics(line)), label->contentsRect().width());
        } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
            auto* box = static_cast<QAbstractButton*>(control);
            if (!box->text().isEmpty())
                check(box, box->text(), box->sizeHint().width(), box->width());
        } else if (auto* tool = qobject_cast<QToolButton*>(control)) {
            if (tool->toolButtonStyle() != Qt::ToolButtonIconOnly && !tool->text().isEmpty())
                check(tool, tool->text(), metrics.horizontalAdvance(withoutMnemonics(tool->text())), tool->width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (!button->text().isEmpty())
                check(button, button->text(), metrics.horizontalAdvance(withoutMnemonics(button->text())),
                      button->width());
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            check(group, group->title(), metrics.horizontalAdvance(withoutMnemonics(group->title())), group->width());
        } else if (auto* editor = qobject_cast<TqeCustomEdit*>(control)) {
            // A text of a few short lines shows whole: every line and every line's end.
            const QStringList lines = editor->Text().split(QStringLiteral("\r\n"));
            if (lines.size() <= 10) {
                int longest = 0;
                for (const QString& line : lines)
                    longest = qMax(longest, int(line.size()));
                check(editor, QStringLiteral("longest line"), longest, editor->CharsInWindow());
                check(editor, QStringLiteral("lines"), int(lines.size()), editor->LinesInWindow());
            }
        } else if (auto* tabs = qobject_cast<QTabBar*>(control)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QString text = withoutMnemonics(tabs->tabText(i));
                check(tabs, text, metrics.horizontalAdvance(text), tabs->tabRect(i).width());
            }
            // All tabs side by side, without the scroll arrows.
            if (tabs->count() > 0)
                check(tabs, QStringLiteral("all tabs"), tabs->tabRect(tabs->count() - 1).right() + 1, tabs->width());
        }
    }
    return cut;
}

constexpr int kModalWindows = 3;
// The object names of every window openEveryWindow opens, sorted: a new
// object of each kind, the view and the procedure edited, the debugger, the
// SQL editor, the data view, the script runner and, modal, the new table, the
// dependencies and the extraction.
const QStringList kEveryWindow{
    QStringLiteral("Depend"),        QStringLiteral("DomainForm"), QStringLiteral("EditException"),
    QStringLiteral("EditProc"),      QStringLiteral("EditProc"),   QStringLiteral("EditTrig"),
    QStringLiteral("EditUDF"),       QStringLiteral("ExtrMD"),     QStringLiteral("FDataView"),
    QStringLiteral("GeneratorForm"), QStringLiteral("RunScript"),  QStringLiteral("SQLEditor"),
    QStringLiteral("TNewTable"),     QStringLiteral("ViewForm"),   QStringLiteral("ViewForm"),
    QStringLiteral("s_debug"),
};

class WindowSizes : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        QStringList statements = qvsql::tableStatements(3);
        statements << QStringLiteral("create view V (ID, NAME) as select ID, NAME from T where ID > 0 and NAME <> ''")
                   << QStringLiteral("create procedure P (A integer) returns (B integer) as begin B = A; suspend; end");
        path = qvsql::createDatabase(target, dir, QStringLiteral("sizes.fdb"), statements);
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace([] {
            InstallObjectEditors();
            InstallProcEditor();
            InstallTriggerEditor();
            InstallUDFEditor();
            InstallTableEditor();
            InstallSQLEditorCommand();
            InstallDataView();
            InstallDependencies();
            InstallDebugger();
            InstallScriptRunnerCommand();
            InstallExtractMetadataCommand();
        });
        id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
        ASSERT_TRUE(MainTree->ConnectEntry(id));
    }

    void TearDown() override
    {
        m_program.reset();
        m_folders.reset();
    }

    // What the tree and the main window open: a new object of every kind as
    // "New..." opens it, an existing view and procedure as "Edit..." does, the
    // procedure's debugger, the SQL editor, the data view, the script runner,
    // the dependencies and the extraction dialog. Modal windows go to the
    // script's modal handler.
    void openEveryWindow()
    {
        for (const int kind : {catTables, catViews, catProcedures, catTriggers, catDomains, catGenerators, catFunctions,
                               catExceptions}) {
            QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, kind);
            ASSERT_NE(category, nullptr);
            category->setExpanded(true);
            MainTree->Tree()->setCurrentItem(category);
            MainTree->Commands()->Createtable2Click();
        }
        for (const int kind : {catViews, catProcedures}) {
            QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, kind);
            ASSERT_EQ(category->childCount(), 1);
            MainTree->Tree()->setCurrentItem(category->child(0));
            MainTree->Commands()->Edittable1Click();
        }
        for (QWidget* window : MainForm->Children())
            if (auto* editor = qobject_cast<TEditProc*>(window); editor && !editor->IsNew)
                editor->DebugProcBtnClick();
        MainTree->Tree()->setCurrentItem(MainTree->CategoryNodeOf(id, catTables)->child(0));
        MainTree->Commands()->DependenciesBtnClick();
        MainTree->Tree()->setCurrentItem(MainTree->DatabaseNodeOf(id));
        MainTree->Commands()->ExtractClick();
        MainTree->Commands()->RunScriptClick();
        ASSERT_NE(ExecuteSQLBtnClick(), nullptr);
        ASSERT_NE(OpenDataView(id, QStringLiteral("T")), nullptr);
        QCoreApplication::processEvents();
    }

    void closeEveryWindow()
    {
        for (QWidget* window : MainForm->Children())
            if (window != MainTree) {
                script.answerMessage(qv::mrNo);
                window->close();
                script.clearShown();
            }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    quint64 id = 0;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(WindowSizes, EveryEditorWindowOpensWithItsTextsUncut)
{
    QStringList windows;
    QStringList cut;
    // The table editor, the dependencies and the extraction open as modal windows.
    for (int i = 0; i < kModalWindows; ++i)
        script.onModal([&](QDialog& dialog) {
            dialog.show();
            QCoreApplication::processEvents();
            windows << dialog.objectName();
            cut << cutTexts(&dialog);
            dialog.reject();
        });
    openEveryWindow();

    for (QWidget* window : MainForm->Children()) {
        if (window == MainTree)
            continue;
        windows << window->objectName();
        cut << cutTexts(window);
    }
    windows.sort();
    EXPECT_EQ(windows, kEveryWindow);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u'\n').toStdString();
}

// Every window the main window opens, at the main window's size: each one
// opened and shown, the MDI children inside the area they are shown in, the
// modal ones inside the main window's area as well. "Window: geometry
// outside area" for each that does not lie inside.
TEST_P(WindowSizes, EveryWindowOpensInsideTheMainWindowsAreaAtEitherSize)
{
    // A stored position past the area's bottom right, as a larger screen left it.
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kFormPlacementsKey + QStringLiteral("\\TSQLEditor"), true));
        registry.writeString(QStringLiteral("NormPos"), QStringLiteral("800,500,1500,1100"));
        registry.writeString(QStringLiteral("PixelsPerInch"), QString::number(ScreenPixelsPerInch()));
    }
    QMdiArea* area = MainForm->MdiArea();
    for (const QSize size : {QSize(1024, 768), QSize(1600, 1000)}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        MainForm->showNormal();
        MainForm->resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(MainForm->size(), size);
        const QRect inside = area->viewport()->rect();
        const QRect insideOnScreen(area->viewport()->mapToGlobal(QPoint(0, 0)), inside.size());
        QStringList outside;
        QStringList checked;
        auto check = [&](const QWidget* window, const QRect& geometry, const QRect& bounds) {
            checked << window->objectName();
            if (!window->isVisible())
                outside << window->objectName() + QStringLiteral(": not shown");
            else if (!bounds.contains(geometry))
                outside << QStringLiteral("%1: %2,%3 %4x%5 outside %6x%7")
                               .arg(window->objectName())
                               .arg(geometry.x())
                               .arg(geometry.y())
                               .arg(geometry.width())
                               .arg(geometry.height())
                               .arg(bounds.width())
                               .arg(bounds.height());
        };
        for (int i = 0; i < kModalWindows; ++i)
            script.onModal([&](QDialog& dialog) {
                dialog.show();
                QCoreApplication::processEvents();
                check(&dialog, dialog.frameGeometry(), insideOnScreen);
                dialog.reject();
            });
        openEveryWindow();
        for (QMdiSubWindow* sub : area->subWindowList()) {
            if (sub->widget() && sub->widget() != MainTree)
                check(sub->widget(), sub->geometry(), inside);
        }
        checked.sort();
        EXPECT_EQ(checked, kEveryWindow);
        EXPECT_TRUE(outside.isEmpty()) << outside.join(u'\n').toStdString();
        closeEveryWindow();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, WindowSizes, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
