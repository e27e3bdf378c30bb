// A dialect-3 procedure whose parameters and variable have quoted names, as
// a user meets it: the procedure editor lists every name as it is typed and
// saves the procedure back unchanged, and the debugger steps it as the
// server runs it, showing each value under its name and in the value hint.

#include "DebugTest_support.h"

#include "app/editors/DebugValueRow.h"
#include "app/editors/DebugWindow.h"
#include "app/editors/EditProc.h"
#include "app/editors/ParamGrid.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString QuotedProcedure = QStringLiteral(
    "create procedure QP (\"lowA\" integer) returns (\"sOut\" integer) as declare \"vX\" integer; "
    "begin \"vX\" = \"lowA\" * 2; \"sOut\" = \"vX\" + 1; suspend; end");

class DebugQuotedNames : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_registry.emplace(dir);
        database = qvdebug::createDatabase(target, dir, 3,
                                           {QuotedProcedure, QStringLiteral("create table NUMS (N integer)"),
                                            QStringLiteral("insert into NUMS values (1)"),
                                            QStringLiteral("insert into NUMS values (2)"),
                                            QStringLiteral("insert into NUMS values (3)")});
        path = database->DBName();
        list = std::make_unique<TDBListScope>();
        const int index = DBList->Add(QStringLiteral("Test"));
        DBList->SetPath(index, path);
        DBList->SetDatabase(index, database.get());
        id = DBList->GetId(index);
        main = std::make_unique<TMainForm>();
        main->show();
        InstallDebugger();
    }

    void TearDown() override
    {
        TEditProc::DebuggerOpener() = nullptr;
        main.reset();
        list.reset();
        database.reset();
        m_registry.reset();
    }

    QStringList read(const QString& sql) const { return qvdebug::column(target, path, sql); }

    // The value the variable grid shows beside a name.
    static QString shown(const Ts_debug* window, const QString& name)
    {
        for (int row = 0; row < window->VarGrid->rowCount(); ++row) {
            const QTableWidgetItem* item = window->VarGrid->item(row, 0);
            if (item && item->text() == name)
                return window->VarGrid->item(row, 1)->text();
        }
        return QStringLiteral("<none>");
    }

    void step(Ts_debug* window)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && window->isAncestorOf(focus) ? focus : window, Qt::Key_F8);
    }

    // The hint the editor shows with the mouse resting on the first
    // occurrence of word in the body.
    static QString hintOver(TqeCustomEdit* text, const QString& word)
    {
        const QStringList lines = text->Lines()->ToStringList();
        int line = 0;
        while (line < lines.size() && !lines[line].contains(word))
            ++line;
        if (line == lines.size())
            return QStringLiteral("<no such word>");
        const int column = int(lines[line].indexOf(word)) + 2;
        text->SetTopLine(line + 1);
        text->SetLeftChar(1);
        const QPoint pixel(text->TextOrigin() + (column - 1) * text->CharWidth() + text->CharWidth() / 2,
                           (line + 1 - text->TopLine()) * text->LineHeight() + text->LineHeight() / 2);
        QMouseEvent move(QEvent::MouseMove, QPointF(pixel), QPointF(text->viewport()->mapToGlobal(pixel)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(text->viewport(), &move);
        QElapsedTimer waited;
        waited.start();
        while (text->HintText().isEmpty() && waited.elapsed() < 5000)
            QTest::qWait(50);
        return text->HintText();
    }

    qvtest::Target target;
    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    QString path;
    std::unique_ptr<TDBListScope> list;
    quint64 id = 0;
    std::unique_ptr<TMainForm> main;
    qv::DialogScript script;

private:
    std::optional<qvtest::RegistryFileIn> m_registry;
};

} // namespace

TEST_P(DebugQuotedNames, TheProcedureStepsAsItsDirectRunAndSavesBackUnchanged)
{
    // What the server's own run gives.
    ASSERT_EQ(read(QStringLiteral("select \"sOut\" from QP(5)")), QStringList{QStringLiteral("11")});
    const QString sourceSql = QStringLiteral("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'QP'");
    const QStringList source = read(sourceSql);

    auto* editor = new TEditProc(id);
    editor->IsNew = false;
    editor->ProcName->setText(QStringLiteral("QP"));
    editor->LoadProcedure();
    main->AddChild(editor);
    editor->show();
    // Every name as it is typed: the local keeps its quotes like the parameters.
    EXPECT_EQ(editor->Inputs->Rows(), (TParamRows{{QStringLiteral("\"lowA\""), QStringLiteral("Integer"), {}}}));
    EXPECT_EQ(editor->Outputs->Rows(), (TParamRows{{QStringLiteral("\"sOut\""), QStringLiteral("Integer"), {}}}));
    EXPECT_EQ(editor->Locals->Rows(), (TParamRows{{QStringLiteral("\"vX\""), QStringLiteral("integer"), {}}}));
    // Every cell passes the checks saving runs, and the procedure saves back as it was.
    editor->SetModified();
    editor->CompileBtn->trigger();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(read(sourceSql), source);

    editor->DebugProcBtn->trigger();
    QPointer<Ts_debug> window = Ts_debug::Find(id, QStringLiteral("QP"));
    ASSERT_TRUE(window);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    EXPECT_EQ(window->InitialValueRows()[0]->Name(), QStringLiteral("\"lowA\""));
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("5"));

    // Each step leaves the values the server's run has at that point.
    step(window);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(shown(window, QStringLiteral("\"lowA\"")), QStringLiteral("5"));
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("10"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("Null"));
    step(window);
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("10"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("11"));
    EXPECT_EQ(hintOver(window->ProcText, QStringLiteral("sOut")), QStringLiteral("sOut = 11"));
    step(window);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("11"));
    EXPECT_EQ(qvdebug::temporaryProcedures(target, path), 0);
}

// A loop's select takes a quoted variable as its parameter and hands its
// rows to quoted variables.
TEST_P(DebugQuotedNames, ALoopReadsIntoQuotedVariables)
{
    TDebugRequest request;
    request.DBId = id;
    request.ObjectName = QStringLiteral("LOOP");
    request.Vars = {{QStringLiteral("\"lowA\""), QStringLiteral("Integer"), {}, vkInput, true},
                    {QStringLiteral("\"sOut\""), QStringLiteral("Integer"), {}, vkOutput, true},
                    {QStringLiteral("\"vX\""), QStringLiteral("Integer"), {}, vkLocal, true}};
    request.Lines = {QStringLiteral("for select n from nums where n > :\"lowA\" order by n into :\"vX\" do"),
                     QStringLiteral("  \"sOut\" = coalesce(\"sOut\", 0) + \"vX\";")};
    QPointer<Ts_debug> window = OpenDebugger(request);
    ASSERT_TRUE(window);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("1"));
    for (int i = 0; i < 20 && (i == 0 || window->Running()); ++i)
        step(window);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("3"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("5"));
}

INSTANTIATE_TEST_SUITE_P(Targets, DebugQuotedNames, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
