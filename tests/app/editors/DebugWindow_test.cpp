// The debugger window driven as the procedure and trigger editors open it
// and as a user works it with the keys: stepping, running, breakpoints,
// reset, initial values in the registry, modified values, parse errors and
// closing in the middle of a run, and a procedure and a trigger whose names
// are quoted.
// What reached the database is read back on a connection of its own.

#include "DebugTest_support.h"

#include "app/editors/DebugInitialValues.h"
#include "app/editors/DebugValueRow.h"
#include "app/editors/DebugWindow.h"
#include "app/editors/EditProc.h"
#include "app/editors/EditTrig.h"
#include "app/editors/ParamGrid.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "components/CurrEdit.h"
#include "components/DateEdit.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"
#include "support/DatabaseSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

TEST(DebugInitialValues, KeysEditorsAndValueTexts)
{
    EXPECT_EQ(InitialValuesKey(QStringLiteral("Main DB"), QStringLiteral("Calc_Total")),
              QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Main DB\\Procedures\\calc_total"));
    // A "\" in a quoted name stays inside its own key.
    EXPECT_EQ(InitialValuesKey(QStringLiteral("D"), QStringLiteral("A\\B")),
              QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\D\\Procedures\\a/b"));

    EXPECT_EQ(InitialEditorOf(QStringLiteral("Varchar(20)")), TInitialEditor::Text);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Boolean")), TInitialEditor::Text);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Date")), TInitialEditor::DateTime);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Timestamp")), TInitialEditor::DateTime);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Time")), TInitialEditor::Time);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Bigint")), TInitialEditor::Exact);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Numeric(18,4)")), TInitialEditor::Exact);
    EXPECT_EQ(InitialEditorOf(QStringLiteral("Double precision")), TInitialEditor::Float);

    const auto [date, time] = SplitStoredDateTime(QStringLiteral("2024-02-29 10:30:05"));
    EXPECT_EQ(date, QDate(2024, 2, 29));
    EXPECT_EQ(time, QTime(10, 30, 5));
    const auto [noDate, midnight] = SplitStoredDateTime(QStringLiteral("not a date"));
    EXPECT_FALSE(noDate.isValid());
    EXPECT_EQ(midnight, QTime(0, 0));
    EXPECT_EQ(DateTimeValueText(QDate(2024, 2, 29), QStringLiteral(" 9:05:00")),
              QStringLiteral("2024-02-29 09:05:00"));
    EXPECT_EQ(DateTimeValueText(QDate(), QStringLiteral("09:05:00")), QString());
    EXPECT_EQ(ReadTimeText(QStringLiteral("23:59:59")), QTime(23, 59, 59));
    EXPECT_FALSE(ReadTimeText(QStringLiteral("25:00:00")));
    EXPECT_FALSE(ReadTimeText(QStringLiteral("  :  :  ")));
    EXPECT_EQ(NotAValidTimeText(QStringLiteral("25:00:00")), QStringLiteral("25:00:00 not a valid time"));
    EXPECT_TRUE(IsExactNumberInput(QStringLiteral("-12345678901234.5678")));
    EXPECT_TRUE(IsExactNumberInput(QStringLiteral("-")));
    EXPECT_FALSE(IsExactNumberInput(QStringLiteral("1e5")));
    EXPECT_FALSE(IsExactNumberInput(QStringLiteral("1.2.3")));
}

class DebugWindowTest : public ::testing::TestWithParam<qvdebug::TargetDialect>
{
protected:
    void SetUp() override
    {
        std::tie(target, dialect) = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_registry.emplace(dir);
        database = qvdebug::createDatabase(
            target, dir, dialect,
            {QStringLiteral("create table T (ID integer not null primary key, NAME varchar(20))"),
             QStringLiteral("create table LOG_ROWS (V integer)"), QStringLiteral("insert into T values (1, 'a')"),
             QStringLiteral("insert into T values (2, 'b')"), QStringLiteral("insert into T values (3, 'c')")});
        path = database->DBName();
        list = std::make_unique<TDBListScope>();
        id = registerDatabase(QStringLiteral("Test"));
        main = std::make_unique<TMainForm>();
        main->show();
    }

    void TearDown() override
    {
        // The windows end their sessions while the connection is still there.
        main.reset();
        list.reset();
        database.reset();
        m_registry.reset();
    }

    quint64 registerDatabase(const QString& name)
    {
        const int index = DBList->Add(name);
        DBList->SetPath(index, path);
        DBList->SetDatabase(index, database.get());
        return DBList->GetId(index);
    }

    // What the procedure editor hands over for P.
    TDebugRequest procedure(const QStringList& lines, quint64 dbId = 0) const
    {
        TDebugRequest request;
        request.DBId = dbId ? dbId : id;
        request.ObjectName = QStringLiteral("P");
        request.Vars = {{QStringLiteral("first_n"), QStringLiteral("Integer"), {}, vkInput, true},
                        {QStringLiteral("total"), QStringLiteral("Integer"), {}, vkOutput, true},
                        {QStringLiteral("n"), QStringLiteral("Integer"), {}, vkLocal, true},
                        {QStringLiteral("s"), QStringLiteral("Varchar(10)"), {}, vkLocal, true},
                        {QStringLiteral("x"), QStringLiteral("Integer"), {}, vkLocal, true}};
        request.Lines = lines;
        return request;
    }

    // A key as the user presses it: to the control that has the focus.
    void press(Ts_debug* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && window->isAncestorOf(focus) ? focus : window, key, modifiers);
    }

    // The value hint the editor shows with the mouse resting on the first
    // occurrence of word in the text ("" when none comes).
    static QString hintOver(TqeCustomEdit* text, const QString& word)
    {
        const QStringList lines = text->Lines()->ToStringList();
        int line = 0;
        while (line < lines.size() && !lines[line].contains(word))
            ++line;
        if (line == lines.size())
            return QString();
        const int column = int(lines[line].indexOf(word)) + 2;
        text->SetTopLine(line + 1);
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

    static QString cell(const QTableWidget* grid, int row, int column)
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }

    // The shown value of a variable in the variable grid.
    static QString shown(const Ts_debug* window, const QString& name)
    {
        for (int row = 0; row < window->VarGrid->rowCount(); ++row)
            if (cell(window->VarGrid, row, 0) == name)
                return cell(window->VarGrid, row, 1);
        return QStringLiteral("<none>");
    }

    static int lineColor(const Ts_debug* window, int line)
    {
        int kind = 0;
        return window->Syntax->LineColors().Find(line, kind) ? kind : 0;
    }

    // The gutter images on a 0-based line.
    static std::vector<int> gutter(const Ts_debug* window, int line)
    {
        std::vector<int> images;
        const TMarkList* marks = window->ProcText->Marks();
        for (int i = 0; i < marks->Count(); ++i)
            if (marks->Items(i)->Line() == line + 1 && !marks->Items(i)->IsBookmark())
                images.push_back(marks->Items(i)->ImageIndex());
        std::sort(images.begin(), images.end());
        return images;
    }

    int procedures() const { return qvdebug::temporaryProcedures(target, path); }

    static const QStringList& body()
    {
        static const QStringList lines{
            QStringLiteral("n = first_n;"),
            QStringLiteral("if (n = 0) then"),
            QStringLiteral("  s = 'zero';"),
            QStringLiteral("else"),
            QStringLiteral("  s = 'other';"),
            QStringLiteral("while (n < 2) do"),
            QStringLiteral("begin"),
            QStringLiteral("  n = n + 1;"),
            QStringLiteral("end"),
            QStringLiteral("for select id from t order by id into :x do"),
            QStringLiteral("  total = coalesce(total, 0) + x;"),
            QStringLiteral("insert into log_rows values (:total);"),
        };
        return lines;
    }

    qvtest::Target target;
    int dialect = 1;
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

TEST_P(DebugWindowTest, SteppingShowsWhereItStandsAndEndsWithThePlainCaption)
{
    QPointer<Ts_debug> window = OpenDebugger(procedure(body()));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    // The procedure editor's Debug again: the open window comes forward.
    EXPECT_EQ(OpenDebugger(procedure(body())), window.data());
    EXPECT_EQ(main->Children().size(), 1);

    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    TInitialValueRow& first = *window->InitialValueRows()[0];
    EXPECT_EQ(first.Name(), QStringLiteral("first_n"));
    ASSERT_TRUE(first.TextEdit);
    QTest::keyClicks(first.TextEdit, QStringLiteral("0"));

    std::vector<int> visited;
    for (int step = 0; step < 40 && (step == 0 || window->Running()); ++step) {
        visited.push_back(window->Running() ? window->Debugger().CurrentLine() : 0);
        press(window, Qt::Key_F8);
        if (step == 0) {
            EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P(Stopped)"));
            EXPECT_EQ(shown(window, QStringLiteral("n")), QStringLiteral("0"));
            EXPECT_EQ(shown(window, QStringLiteral("s")), QStringLiteral("Null"));
            EXPECT_EQ(lineColor(window, 1), int(TLineColorMark::ExecutionPoint));
            EXPECT_EQ(gutter(window, 1), std::vector<int>{Ts_debug::kExecutionPointImage});
            EXPECT_EQ(window->ProcText->CaretY(), 2);
            EXPECT_TRUE(window->ResetItem->isEnabled());
        }
    }
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 5, 7, 5, 7, 5, 9, 10, 9, 10, 9, 10, 9, 11}));
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P"));
    EXPECT_EQ(window->Syntax->LineColors().Count(), 0);
    EXPECT_FALSE(window->ResetItem->isEnabled());
    EXPECT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("6"));
    EXPECT_EQ(shown(window, QStringLiteral("s")), QStringLiteral("zero"));
    EXPECT_EQ(window->ProcText->VarList().Count(), 10);
    EXPECT_TRUE(window->ProcText->VarList().Contains(QStringLiteral("total = 6")));
    EXPECT_EQ(qvdebug::column(target, path, QStringLiteral("select V from LOG_ROWS")),
              QStringList{QStringLiteral("6")});
    EXPECT_EQ(procedures(), 0);

    // One statistics row per statement with text: the loop read T's three
    // rows in four visits, the insert inserted one.
    const QTableWidget* stats = window->StGrid;
    ASSERT_EQ(stats->rowCount(), 9);
    EXPECT_EQ(cell(stats, 6, 0), QStringLiteral("for select id from t order by id into :x"));
    EXPECT_EQ(cell(stats, 6, 1), QStringLiteral("4"));
    EXPECT_EQ(cell(stats, 6, 6), QStringLiteral("3"));
    EXPECT_EQ(cell(stats, 8, 0), QStringLiteral("insert into log_rows values (:total)"));
    EXPECT_EQ(cell(stats, 8, 3), QStringLiteral("1"));
    EXPECT_EQ(cell(stats, 0, 6), QStringLiteral("0"));
}

// The value hint under a resting mouse shows the value the variable has
// now: a step that changes it changes the hint, without the mouse moving.
TEST_P(DebugWindowTest, TheValueHintShowsTheValueAfterAStep)
{
    QPointer<Ts_debug> window = OpenDebugger(procedure(body()));
    ASSERT_TRUE(window);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    QTest::keyClicks(window->InitialValueRows()[0]->TextEdit, QStringLiteral("0"));
    for (int step = 0; step < 40 && shown(window, QStringLiteral("total")) != QStringLiteral("1"); ++step)
        press(window, Qt::Key_F8);
    ASSERT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("1"));

    TqeCustomEdit* text = window->ProcText;
    EXPECT_EQ(hintOver(text, QStringLiteral("total = coalesce")), QStringLiteral("total = 1"));

    for (int step = 0; step < 10 && shown(window, QStringLiteral("total")) == QStringLiteral("1"); ++step)
        press(window, Qt::Key_F8);
    ASSERT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("3"));
    EXPECT_EQ(text->HintText(), QStringLiteral("total = 3"));

    // Run to the end: the value stays, and so does the hint's.
    for (int step = 0; step < 40 && window->Running(); ++step)
        press(window, Qt::Key_F8);
    EXPECT_EQ(text->HintText(), QStringLiteral("total = 6"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
}

TEST_P(DebugWindowTest, BreakpointsRunToCursorResetAndClosing)
{
    QPointer<Ts_debug> window = OpenDebugger(procedure(body()));
    ASSERT_TRUE(window);
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("5"));

    // F5 on the loop body: a breakpoint mark and colour on its line.
    window->ProcText->SetCaretXY(QPoint(3, 11));
    press(window, Qt::Key_F5);
    EXPECT_EQ(gutter(window, 10), std::vector<int>{Ts_debug::kBreakpointImage});
    EXPECT_EQ(lineColor(window, 10), int(TLineColorMark::BreakPoint));

    press(window, Qt::Key_F9);
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(window->Debugger().CurrentLine(), 10);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P(Stopped)"));
    EXPECT_EQ(gutter(window, 10), (std::vector<int>{Ts_debug::kBreakpointImage, Ts_debug::kExecutionPointImage}));
    EXPECT_EQ(lineColor(window, 10), int(TLineColorMark::ExecutionPoint));
    EXPECT_EQ(shown(window, QStringLiteral("s")), QStringLiteral("other"));
    EXPECT_EQ(shown(window, QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("Null"));
    // Run again runs the statement at the breakpoint first.
    press(window, Qt::Key_F9);
    EXPECT_EQ(window->Debugger().CurrentLine(), 10);
    EXPECT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("1"));
    EXPECT_EQ(window->Debugger().OpenCursorCount(), 1);

    // Reset asks; No keeps the session, Yes ends it: cursor closed, nothing left.
    script.answerMessage(qv::mrNo);
    press(window, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(window->Running());
    script.answerMessage(qv::mrYes);
    press(window, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(script.messages(), (QStringList{QStringLiteral("Debug Session in progress. Terminate?"),
                                              QStringLiteral("Debug Session in progress. Terminate?")}));
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debuger - P"));
    EXPECT_EQ(window->Debugger().OpenCursorCount(), 0);
    EXPECT_EQ(gutter(window, 10), std::vector<int>{Ts_debug::kBreakpointImage});
    EXPECT_EQ(lineColor(window, 10), int(TLineColorMark::BreakPoint));
    EXPECT_EQ(procedures(), 0);

    // Run to cursor: from a fresh session up to the insert.
    press(window, Qt::Key_F5);  // the breakpoint goes again
    EXPECT_TRUE(gutter(window, 10).empty());
    window->ProcText->SetCaretXY(QPoint(1, 12));
    press(window, Qt::Key_F4);
    EXPECT_EQ(window->Debugger().CurrentLine(), 11);
    EXPECT_EQ(shown(window, QStringLiteral("total")), QStringLiteral("6"));

    // A click in the gutter toggles the breakpoint of the line clicked.
    TqeCustomEdit* text = window->ProcText;
    text->SetTopLine(1);
    QPoint gutterOfThirdLine(4, 0);
    while (text->PixelToText(gutterOfThirdLine).y() < 3 && gutterOfThirdLine.y() < text->viewport()->height())
        gutterOfThirdLine.ry() += text->LineHeight() / 2;
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, gutterOfThirdLine);
    EXPECT_EQ(gutter(window, 2), std::vector<int>{Ts_debug::kBreakpointImage});
    EXPECT_EQ(text->CaretY(), 3);
    press(window, Qt::Key_F5);
    EXPECT_TRUE(gutter(window, 2).empty());
    EXPECT_EQ(window->Debugger().CurrentLine(), 11);

    // Closing while a session runs asks; No keeps the window.
    script.clearShown();
    script.answerMessage(qv::mrNo);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->Running());
    script.answerMessage(qv::mrYes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(script.messages(),
              (QStringList{QStringLiteral("Debug Session in progress. Terminate and close window?"),
                           QStringLiteral("Debug Session in progress. Terminate and close window?")}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_EQ(procedures(), 0);
    EXPECT_TRUE(qvdebug::column(target, path, QStringLiteral("select V from LOG_ROWS")).isEmpty());
}

TEST_P(DebugWindowTest, ClosingTheWindowDuringRunStopsTheRunFirst)
{
    QStringList lines;
    for (int i = 0; i < 30; ++i)
        lines << QStringLiteral("n = coalesce(n, 0) + 1;");
    QPointer<Ts_debug> window = OpenDebugger(procedure(lines));
    ASSERT_TRUE(window);
    // The close arrives while the run lets events through between statements.
    int statements = 0;
    window->Debugger().OnSend = [&](const QString& text) {
        if (text.startsWith(QStringLiteral("execute procedure")) && ++statements == 3)
            QTimer::singleShot(0, window, [&] { window->close(); });
    };
    script.answerMessage(qv::mrYes);
    press(window, Qt::Key_F9);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Debug Session in progress. Terminate and close window?")});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_LT(statements, 30);
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebugWindowTest, InitialValuesAreKeptPerDatabaseAndObject)
{
    const QString exact = dialect == 3 ? QStringLiteral("12345678901234.5678") : QStringLiteral("-12345.6789");
    TDebugRequest request;
    request.DBId = id;
    request.ObjectName = QStringLiteral("Values_P");
    request.Vars = {{QStringLiteral("a"), QStringLiteral("Integer"), {}, vkInput, true},
                    {QStringLiteral("s"), QStringLiteral("Varchar(20)"), {}, vkInput, true},
                    {QStringLiteral("d"), dialect == 3 ? QStringLiteral("Timestamp") : QStringLiteral("Date"), {},
                     vkInput, true},
                    {QStringLiteral("e"), dialect == 3 ? QStringLiteral("Numeric(18,4)") : QStringLiteral("Numeric(9,4)"),
                     {}, vkInput, true},
                    {QStringLiteral("f"), QStringLiteral("Double precision"), {}, vkInput, true},
                    {QStringLiteral("z"), QStringLiteral("Integer"), {}, vkInput, true},
                    {QStringLiteral("r"), QStringLiteral("Varchar(60)"), {}, vkOutput, true},
                    {QStringLiteral("g"), QStringLiteral("Double precision"), {}, vkOutput, true}};
    request.Lines = {QStringLiteral("r = a || '|' || s || '|' || cast(e as varchar(30));"),
                     QStringLiteral("d = d + 1;"), QStringLiteral("g = f * 2;")};
    QPointer<Ts_debug> window = OpenDebugger(request);
    ASSERT_TRUE(window);
    const auto& rows = window->InitialValueRows();
    ASSERT_EQ(rows.size(), 6u);
    QTest::keyClicks(rows[0]->TextEdit, QStringLiteral("41"));
    QTest::keyClicks(rows[1]->TextEdit, QStringLiteral("it's"));
    rows[2]->DateEdit->SetDate(QDate(2024, 2, 29));
    rows[2]->TimeEdit->setText(QStringLiteral("10:30:00"));
    QTest::keyClicks(rows[3]->TextEdit, exact + QStringLiteral("x"));  // the x is refused
    rows[4]->NumberEdit->SetText(QStringLiteral("0.5"));
    rows[5]->TextEdit->setText(QStringLiteral("7"));
    rows[5]->NullBox->setChecked(true);
    EXPECT_FALSE(rows[5]->TextEdit->isEnabled());
    window->SaveInitialValueItem->trigger();

    press(window, Qt::Key_F9);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(shown(window, QStringLiteral("r")), QStringLiteral("41|it's|") + exact);
    EXPECT_EQ(shown(window, QStringLiteral("g")), QStringLiteral("1"));
    EXPECT_EQ(shown(window, QStringLiteral("d")), QStringLiteral("2024-03-01 10:30:00"));
    EXPECT_EQ(shown(window, QStringLiteral("z")), QStringLiteral("Null"));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window);

    // Reopened: the rows show what was saved.
    window = OpenDebugger(request);
    ASSERT_TRUE(window);
    {
        const auto& again = window->InitialValueRows();
        EXPECT_EQ(again[0]->TextEdit->text(), QStringLiteral("41"));
        EXPECT_EQ(again[1]->TextEdit->text(), QStringLiteral("it's"));
        EXPECT_EQ(again[2]->DateEdit->Date(), QDate(2024, 2, 29));
        EXPECT_EQ(again[2]->TimeEdit->text(), QStringLiteral("10:30:00"));
        EXPECT_EQ(again[3]->TextEdit->text(), exact);
        EXPECT_EQ(again[4]->NumberEdit->Text(), QStringLiteral("0.5"));
        EXPECT_TRUE(again[5]->NullBox->isChecked());
        EXPECT_FALSE(again[5]->TextEdit->isEnabled());
        EXPECT_TRUE(again[5]->TextEdit->text().isEmpty());
    }
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The same procedure name under another registered database sees none.
    request.DBId = registerDatabase(QStringLiteral("Other"));
    window = OpenDebugger(request);
    ASSERT_TRUE(window);
    for (const auto& row : window->InitialValueRows()) {
        EXPECT_FALSE(row->NullBox->isChecked());
        // The number edit shows zero rather than nothing.
        EXPECT_EQ(row->ValueText(), row->NumberEdit ? QStringLiteral("0") : QString()) << row->Name().toStdString();
    }
    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(InitialValuesKey(QStringLiteral("Test"), QStringLiteral("values_p")), false));
    EXPECT_EQ(registry.readString(QStringLiteral("z")), QStringLiteral("null"));
    EXPECT_EQ(registry.readString(QStringLiteral("d")), QStringLiteral("2024-02-29 10:30:00"));

    // A time that is none is refused when the time edit is left.
    window->InitialValueRows()[2]->TimeEdit->setText(QStringLiteral("25:00:00"));
    script.answerMessage(qv::mrOk);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(window->InitialValueRows()[2]->TimeEdit, &leave);
    EXPECT_EQ(script.messages().value(0), QStringLiteral("25:00:00 not a valid time"));
}

TEST_P(DebugWindowTest, ModifiedValuesParseErrorsAndTriggers)
{
    QPointer<Ts_debug> window = OpenDebugger(procedure({QStringLiteral("n = 5;"), QStringLiteral("s = n;")}));
    ASSERT_TRUE(window);
    press(window, Qt::Key_F8);
    EXPECT_EQ(shown(window, QStringLiteral("n")), QStringLiteral("5"));
    // Modify value on the selected row: "NuLL" makes the variable null.
    window->VarGrid->setCurrentCell(2, 0);
    script.answerInput(QStringLiteral("NuLL"));
    window->ModifyValueItem->trigger();
    ASSERT_FALSE(script.shown().empty());
    EXPECT_EQ(script.shown().back().caption, QStringLiteral("Modify value"));
    EXPECT_EQ(script.shown().back().text, QStringLiteral("Enter new value for  n"));
    EXPECT_EQ(shown(window, QStringLiteral("n")), QStringLiteral("Null"));
    EXPECT_TRUE(window->Debugger().Vars().FindVar(QStringLiteral("n"))->IsNull);
    // A value the type refuses: the statement fails and stays current.
    script.answerInput(QStringLiteral("abc"));
    window->ModifyValueItem->trigger();
    script.answerMessage(qv::mrOk);
    press(window, Qt::Key_F8);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("'abc' is not a valid integer value for variable n")});
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(window->Debugger().CurrentLine(), 1);
    // Esc resets a running session, then closes the idle window.
    script.answerMessage(qv::mrYes);
    press(window, Qt::Key_Escape);
    EXPECT_FALSE(window->Running());
    press(window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_EQ(procedures(), 0);

    // A body that does not parse: the error is shown and nothing can run.
    script.clearShown();
    script.answerMessage(qv::mrOk);
    TDebugRequest broken = procedure({QStringLiteral("begin x = 1;"), QStringLiteral("end")});
    broken.ObjectName = QStringLiteral("BROKEN");
    window = OpenDebugger(broken);
    ASSERT_TRUE(window);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("END found, but BEGIN not found")});
    EXPECT_FALSE(window->RunItem->isEnabled());
    EXPECT_FALSE(window->StepOverItem->isEnabled());
    press(window, Qt::Key_F9);
    press(window, Qt::Key_F8);
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - BROKEN"));

    // Trigger mode: the table's columns as old. and new. inputs, then the locals.
    TDebugRequest trigger;
    trigger.DBId = id;
    trigger.Mode = dmTrigger;
    trigger.ObjectName = QStringLiteral("T_BI");
    trigger.TableName = QStringLiteral("T");
    trigger.Vars = {{QStringLiteral(" k "), QStringLiteral("Integer"), {}, vkLocal, true}};
    trigger.Lines = {QStringLiteral("k = new.ID * 2;"), QStringLiteral("new.NAME = 'row ' || k;")};
    QPointer<Ts_debug> triggerWindow = OpenDebugger(trigger);
    ASSERT_TRUE(triggerWindow);
    EXPECT_EQ(triggerWindow->Mode(), dmTrigger);
    EXPECT_EQ(triggerWindow->TableName(), QStringLiteral("T"));
    ASSERT_EQ(triggerWindow->VarGrid->rowCount(), 5);
    EXPECT_EQ(cell(triggerWindow->VarGrid, 0, 0), QStringLiteral("old.ID"));
    EXPECT_EQ(cell(triggerWindow->VarGrid, 1, 0), QStringLiteral("new.ID"));
    EXPECT_EQ(cell(triggerWindow->VarGrid, 4, 0), QStringLiteral("k"));
    ASSERT_EQ(triggerWindow->InitialValueRows().size(), 4u);
    triggerWindow->InitialValueRows()[1]->TextEdit->setText(QStringLiteral("21"));
    press(triggerWindow, Qt::Key_F9);
    EXPECT_EQ(script.messages().size(), 1) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(shown(triggerWindow, QStringLiteral("new.NAME")), QStringLiteral("row 42"));
    EXPECT_EQ(triggerWindow->windowTitle(), QStringLiteral("SQL Debugger - T_BI"));
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebugWindowTest, ProcedureEditorsDebugStepsTheStoredProcedure)
{
    qvtest::runStatements(*database, {QStringLiteral("create procedure P (A integer) returns (B integer) as\r\n"
                                                     "declare variable C integer;\r\nbegin\r\n  C = A + 1;\r\n"
                                                     "  B = C * 2;\r\nend")});
    InstallDebugger();
    auto* editor = new TEditProc(id);
    editor->IsNew = false;
    editor->ProcName->setText(QStringLiteral("P"));
    editor->LoadProcedure();
    main->AddChild(editor);
    editor->show();
    ASSERT_TRUE(editor->DebugProcBtn->isEnabled());
    editor->DebugProcBtn->trigger();
    QPointer<Ts_debug> window = Ts_debug::Find(id, QStringLiteral("P"));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Mode(), dmProcedure);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("4"));
    // Debug again brings the same window forward.
    editor->DebugProcBtn->trigger();
    EXPECT_EQ(main->Children().size(), 2);

    press(window, Qt::Key_F8);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P(Stopped)"));
    EXPECT_EQ(shown(window, QStringLiteral("C")), QStringLiteral("5"));
    press(window, Qt::Key_F8);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(shown(window, QStringLiteral("B")), QStringLiteral("10"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SQL Debugger - P"));
    EXPECT_EQ(procedures(), 0);
    TEditProc::DebuggerOpener() = nullptr;
}

// A dialect-3 procedure whose parameters and variable have quoted names, as a
// user meets it: the procedure editor lists every name as it is typed and
// saves the procedure back unchanged, and the debugger steps it as the server
// runs it, each value under its name and in the value hint.
class QuotedNamesDebugTest : public DebugWindowTest
{
};

TEST_P(QuotedNamesDebugTest, TheProcedureStepsAsItsDirectRunAndSavesBackUnchanged)
{
    qvtest::runStatements(*database, {QStringLiteral("create procedure QP (\"lowA\" integer) returns (\"sOut\" integer) "
                                                     "as declare \"vX\" integer; begin \"vX\" = \"lowA\" * 2; "
                                                     "\"sOut\" = \"vX\" + 1; suspend; end")});
    // What the server's own run gives.
    ASSERT_EQ(qvdebug::column(target, path, QStringLiteral("select \"sOut\" from QP(5)")), QStringList{QStringLiteral("11")});
    const QString sourceSql =
        QStringLiteral("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'QP'");
    const QStringList source = qvdebug::column(target, path, sourceSql);
    InstallDebugger();
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
    EXPECT_EQ(qvdebug::column(target, path, sourceSql), source);

    editor->DebugProcBtn->trigger();
    QPointer<Ts_debug> window = Ts_debug::Find(id, QStringLiteral("QP"));
    ASSERT_TRUE(window);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    EXPECT_EQ(window->InitialValueRows()[0]->Name(), QStringLiteral("\"lowA\""));
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("5"));
    // Each step leaves the values the server's run has at that point.
    press(window, Qt::Key_F8);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(shown(window, QStringLiteral("\"lowA\"")), QStringLiteral("5"));
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("10"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("Null"));
    press(window, Qt::Key_F8);
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("10"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("11"));
    EXPECT_EQ(hintOver(window->ProcText, QStringLiteral("sOut")), QStringLiteral("sOut = 11"));
    press(window, Qt::Key_F8);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("11"));
    EXPECT_EQ(procedures(), 0);
    TEditProc::DebuggerOpener() = nullptr;
}

// A loop's select takes a quoted variable as its parameter and hands its rows
// to quoted variables.
TEST_P(QuotedNamesDebugTest, ALoopReadsIntoQuotedVariables)
{
    TDebugRequest request = procedure({QStringLiteral("for select id from t where id > :\"lowA\" order by id into :\"vX\" do"),
                                       QStringLiteral("  \"sOut\" = coalesce(\"sOut\", 0) + \"vX\";")});
    request.Vars = {{QStringLiteral("\"lowA\""), QStringLiteral("Integer"), {}, vkInput, true},
                    {QStringLiteral("\"sOut\""), QStringLiteral("Integer"), {}, vkOutput, true},
                    {QStringLiteral("\"vX\""), QStringLiteral("Integer"), {}, vkLocal, true}};
    QPointer<Ts_debug> window = OpenDebugger(request);
    ASSERT_TRUE(window);
    ASSERT_EQ(window->InitialValueRows().size(), 1u);
    window->InitialValueRows()[0]->TextEdit->setText(QStringLiteral("1"));
    for (int i = 0; i < 20 && (i == 0 || window->Running()); ++i)
        press(window, Qt::Key_F8);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(shown(window, QStringLiteral("\"vX\"")), QStringLiteral("3"));
    EXPECT_EQ(shown(window, QStringLiteral("\"sOut\"")), QStringLiteral("5"));
}

// A dialect-3 trigger as a user meets it in a UTF8 database: its table's
// columns have quoted, mixed-case and blank-holding names, one is WIN1252
// text with a collation of its own, and the trigger has quoted locals and a
// loop. Opened from the trigger editor and stepped to its end, each step
// shows what the server's own run of the trigger computes.
class QuotedTriggerDebugTest : public DebugWindowTest
{
protected:
    void SetUp() override
    {
        DebugWindowTest::SetUp();
        if (IsSkipped())
            return;
        utf8Path = qvtest::createDialect3Database(target, dir, QStringLiteral("utf8.fdb"), {}, QStringLiteral("UTF8"));
        utf8 = connectUtf8();
        qvtest::runStatements(
            *utf8,
            {QStringLiteral("create table \"Line items\" (ID integer not null primary key, \"Col\" integer, "
                            "\"my col\" varchar(20), \"sOut\" integer, "
                            "LABEL varchar(12) character set WIN1252 collate WIN_PTBR)"),
             QStringLiteral("insert into \"Line items\" values (1, 3, 'abc', null, 'x')"),
             QStringLiteral("create trigger \"Trg items\" for \"Line items\" active before update position 0 as\r\n"
                            "declare variable \"vX\" integer;\r\n"
                            "declare variable \"n Bytes\" integer;\r\n"
                            "begin\r\n"
                            "  \"vX\" = new.\"Col\" * 2;\r\n"
                            "  \"n Bytes\" = octet_length(new.LABEL);\r\n"
                            "  if (new.LABEL = 'MULLER') then\r\n"
                            "    new.\"Col\" = \"vX\" + char_length(old.\"my col\");\r\n"
                            "  else\r\n"
                            "    new.\"Col\" = -1;\r\n"
                            "  new.\"sOut\" = \"n Bytes\";\r\n"
                            "  new.LABEL = upper(new.LABEL) || 'ä';\r\n"
                            "  new.\"my col\" = old.\"my col\" || ' ß';\r\n"
                            "  for select ID + 1 from \"Line items\" where \"my col\" = old.\"my col\" into :\"vX\" do\r\n"
                            "    new.ID = \"vX\";\r\n"
                            "end")});
        const int index = DBList->Add(QStringLiteral("UTF8"));
        DBList->SetPath(index, utf8Path);
        DBList->SetDatabase(index, utf8.get());
        utf8Id = DBList->GetId(index);
    }

    std::unique_ptr<TQvDatabase> connectUtf8() const
    {
        auto connection = std::make_unique<TQvDatabase>();
        connection->SetDBName(utf8Path);
        connection->SetDBParams(qvtest::connectParams(target) << QStringLiteral("isc_dpb_lc_ctype=UTF8"));
        connection->Open();
        return connection;
    }

    // The table's one row, as a UTF8 connection of its own reads the column.
    QString stored(const QString& column) const
    {
        return qvdebug::column(target, utf8Path,
                               QStringLiteral("select coalesce(cast(%1 as varchar(40)), 'Null') from \"Line items\"")
                                   .arg(column),
                               QStringLiteral("UTF8"))
            .value(0);
    }

    QString utf8Path;
    std::unique_ptr<TQvDatabase> utf8;  // outlives the windows: the base's TearDown closes them
    quint64 utf8Id = 0;
};

TEST_P(QuotedTriggerDebugTest, TheTriggerStepsAsTheServerRunsIt)
{
    auto* editor = new TEditTrig();
    editor->IsNew = false;
    editor->SetDatabaseEntry(utf8Id);
    editor->SetTriggerName(QStringLiteral("Trg items"));
    editor->LoadTrigger();
    main->AddChild(editor);
    editor->show();
    editor->DebugBtn->trigger();
    QPointer<Ts_debug> window = Ts_debug::Find(utf8Id, QStringLiteral("Trg items"));
    ASSERT_TRUE(window);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    // Each column under the name a trigger writes it by, with its exact type.
    QStringList names;
    for (const TSQLVar& var : window->Vars().Items())
        names << var.Name;
    EXPECT_EQ(names.join(u' '), QStringLiteral("old.ID new.ID old.\"Col\" new.\"Col\" old.\"my col\" new.\"my col\" "
                                               "old.\"sOut\" new.\"sOut\" old.LABEL new.LABEL \"vX\" \"n Bytes\""));
    EXPECT_EQ(window->Vars().FindVar(QStringLiteral("new.LABEL"))->Type,
              QStringLiteral("Varchar(12) CHARACTER SET WIN1252 COLLATE WIN_PTBR"));

    // The row as it stands, and the update to come (null where nothing is given).
    const std::map<QString, QString> initial{
        {QStringLiteral("old.ID"), QStringLiteral("1")},        {QStringLiteral("new.ID"), QStringLiteral("1")},
        {QStringLiteral("old.\"Col\""), QStringLiteral("3")},   {QStringLiteral("new.\"Col\""), QStringLiteral("5")},
        {QStringLiteral("old.\"my col\""), QStringLiteral("abc")}, {QStringLiteral("new.\"my col\""), QStringLiteral("abc")},
        {QStringLiteral("old.LABEL"), QStringLiteral("x")},     {QStringLiteral("new.LABEL"), QStringLiteral("Müller")}};
    for (const auto& row : window->InitialValueRows()) {
        ASSERT_TRUE(row->TextEdit) << row->Name().toStdString();
        const auto value = initial.find(row->Name());
        if (value == initial.end())
            row->NullBox->setChecked(true);
        else
            row->TextEdit->setText(value->second);
    }

    // Stepped to the end; what each step shows is kept for the server's run.
    const auto stepAndShow = [&](const QString& name) {
        press(window, Qt::Key_F8);
        EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
        return shown(window, name);
    };
    EXPECT_EQ(stepAndShow(QStringLiteral("\"vX\"")), QStringLiteral("10"));
    const QString bytes = stepAndShow(QStringLiteral("\"n Bytes\""));
    press(window, Qt::Key_F8);
    const int branchLine = window->Debugger().CurrentLine();
    const QString col = stepAndShow(QStringLiteral("new.\"Col\""));
    const QString sOut = stepAndShow(QStringLiteral("new.\"sOut\""));
    const QString label = stepAndShow(QStringLiteral("new.LABEL"));
    const QString myCol = stepAndShow(QStringLiteral("new.\"my col\""));
    const QString loopRow = stepAndShow(QStringLiteral("\"vX\""));
    const QString newId = stepAndShow(QStringLiteral("new.ID"));
    press(window, Qt::Key_F8);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_FALSE(window->Running());

    // The server's own run of that update, on a connection of its own.
    qvtest::runStatements(*connectUtf8(), {QStringLiteral("update \"Line items\" set \"Col\" = 5, LABEL = 'Müller'")});
    std::map<QString, QString> server;
    for (const QString& column : {QStringLiteral("ID"), QStringLiteral("\"Col\""), QStringLiteral("\"my col\""),
                                  QStringLiteral("\"sOut\""), QStringLiteral("LABEL")})
        server[column] = stored(column);
    // The collation takes the umlaut for its base letter: the then-branch ran.
    ASSERT_EQ(server[QStringLiteral("\"Col\"")], QStringLiteral("13"));
    ASSERT_EQ(server[QStringLiteral("LABEL")], QStringLiteral("MÜLLERä"));
    // The bytes the text has in the column's own character set.
    EXPECT_EQ(bytes, server[QStringLiteral("\"sOut\"")]);
    EXPECT_EQ(branchLine, 3) << "the branch the server took";
    EXPECT_EQ(col, server[QStringLiteral("\"Col\"")]);
    EXPECT_EQ(sOut, server[QStringLiteral("\"sOut\"")]);
    EXPECT_EQ(label, server[QStringLiteral("LABEL")]);
    EXPECT_EQ(myCol, server[QStringLiteral("\"my col\"")]);
    // The loop found the row by old."my col".
    EXPECT_EQ(loopRow, server[QStringLiteral("ID")]);
    EXPECT_EQ(newId, server[QStringLiteral("ID")]);
    // Every new. value is what the update stored; the old. ones are as given.
    for (const auto& [column, value] : server)
        EXPECT_EQ(shown(window, QStringLiteral("new.") + column), value) << column.toStdString();
    EXPECT_EQ(shown(window, QStringLiteral("old.\"my col\"")), QStringLiteral("abc"));
    EXPECT_EQ(shown(window, QStringLiteral("old.LABEL")), QStringLiteral("x"));
    EXPECT_EQ(qvdebug::temporaryProcedures(target, utf8Path), 0);
}

// Trigger columns carry their exact type into the stepped statement's
// declarations: a collation whose name is quoted, and array bounds beside it.
TEST_P(QuotedTriggerDebugTest, ATriggerOnATableWithAnArrayAndAQuotedCollationSteps)
{
    qvtest::runStatements(
        *utf8,
        {QStringLiteral("create collation \"Ci coll\" for utf8 from unicode case insensitive"),
         QStringLiteral("create table \"Tags\" (ID integer not null primary key, ARR integer[1:3], "
                        "NAME varchar(20) character set utf8 collate \"Ci coll\", N integer)"),
         QStringLiteral("insert into \"Tags\" (ID, NAME, N) values (1, 'x', 0)"),
         QStringLiteral("create trigger \"Trg tags\" for \"Tags\" active before update position 0 as\r\n"
                        "begin\r\n"
                        "  if (new.NAME = 'ABC') then\r\n"
                        "    new.N = 2;\r\n"
                        "  else\r\n"
                        "    new.N = 3;\r\n"
                        "end")});
    auto* editor = new TEditTrig();
    editor->IsNew = false;
    editor->SetDatabaseEntry(utf8Id);
    editor->SetTriggerName(QStringLiteral("Trg tags"));
    editor->LoadTrigger();
    main->AddChild(editor);
    editor->show();
    editor->DebugBtn->trigger();
    QPointer<Ts_debug> window = Ts_debug::Find(utf8Id, QStringLiteral("Trg tags"));
    ASSERT_TRUE(window);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(window->Vars().FindVar(QStringLiteral("new.NAME"))->Type,
              QStringLiteral("Varchar(20) COLLATE \"Ci coll\""));
    EXPECT_EQ(window->Vars().FindVar(QStringLiteral("new.ARR"))->Type, QStringLiteral("Integer [1:3]"));
    bool named = false;
    for (const auto& row : window->InitialValueRows()) {
        if (row->Name() == QLatin1String("new.NAME") && row->TextEdit) {
            row->TextEdit->setText(QStringLiteral("abc"));
            named = true;
        } else {
            row->NullBox->setChecked(true);
        }
    }
    ASSERT_TRUE(named);

    int steps = 0;
    do {
        press(window, Qt::Key_F8);
        ASSERT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    } while (window->Running() && ++steps < 10);
    EXPECT_FALSE(window->Running());
    qvtest::runStatements(*connectUtf8(), {QStringLiteral("update \"Tags\" set NAME = 'abc'")});
    const QString server = qvdebug::column(target, utf8Path, QStringLiteral("select N from \"Tags\""),
                                           QStringLiteral("UTF8"))
                               .value(0);
    // The collation takes "abc" for 'ABC': the then-branch ran, in both.
    ASSERT_EQ(server, QStringLiteral("2"));
    EXPECT_EQ(shown(window, QStringLiteral("new.N")), server);
    EXPECT_EQ(qvdebug::temporaryProcedures(target, utf8Path), 0);
}

std::vector<qvdebug::TargetDialect> dialect3Targets()
{
    std::vector<qvdebug::TargetDialect> chosen;
    for (const auto& [target, dialect] : qvdebug::allTargetDialects())
        if (dialect == 3)
            chosen.emplace_back(target, dialect);
    return chosen;
}

INSTANTIATE_TEST_SUITE_P(Targets, QuotedNamesDebugTest, ::testing::ValuesIn(dialect3Targets()),
                         qvdebug::targetDialectName);
INSTANTIATE_TEST_SUITE_P(Targets, QuotedTriggerDebugTest, ::testing::ValuesIn(dialect3Targets()),
                         qvdebug::targetDialectName);

// The window generates no SQL of its own: one dialect per engine covers both
// engines and both dialects, and keeps the suite short.
std::vector<qvdebug::TargetDialect> windowTargets()
{
    std::vector<qvdebug::TargetDialect> chosen;
    for (const auto& [target, dialect] : qvdebug::allTargetDialects())
        if ((dialect == 3) != target.isServer())
            chosen.emplace_back(target, dialect);
    return chosen;
}

INSTANTIATE_TEST_SUITE_P(Targets, DebugWindowTest, ::testing::ValuesIn(windowTargets()), qvdebug::targetDialectName);

} // namespace
