// The data view on real databases: the statements it makes, sorting, the
// read-only fallback, and edits that reach the database only when exactly
// the row shown is changed, checked through a second connection.

#include "SQLEditTest_support.h"

#include "access/QvDataSet.h"
#include "app/shell/Main.h"
#include "app/shell/ObjectOpeners.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/FormSort.h"
#include "components/DBControls.h"
#include "components/DBGrid.h"
#include "platform/DialogScript.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

using qvsql::scalar;

class DataViewTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_registry.emplace(dir);
        databases = std::make_unique<qvsql::RegisteredDatabases>();
    }

    void TearDown() override
    {
        for (auto& view : views)
            delete view.data();
        databases.reset();
        m_registry.reset();
    }

    quint64 makeDatabase(const QStringList& statements, int dialect = 1, const QString& file = QStringLiteral("dv.fdb"))
    {
        path = dialect == 1 ? qvtest::createDatabase(target, dir, file, statements)
                            : qvtest::createDialect3Database(target, dir, file, statements);
        return databases->add(file, target, path);
    }

    TFDataView* open(quint64 id, const QString& table)
    {
        auto* view = new TFDataView(id, table);
        views.append(view);
        EXPECT_TRUE(view->OpenOn(databases->database(id)));
        view->resize(700, 400);
        view->show();
        // The window sees keys first only while it holds the focus.
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view));
        // Laid out and its first screen of rows fetched, as shown to a user.
        QCoreApplication::processEvents();
        return view;
    }

    // A key as the user presses it: to the focused control of the window.
    static void press(TFDataView* view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        if (!target || !view->isAncestorOf(target))
            target = view;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    // Rows not fetched yet are fetched as scrolling to them would.
    static void fetchTo(TFDataView* view, int row)
    {
        QAbstractItemModel* model = view->TableViewGrid->model();
        while (model->rowCount() <= row && model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
    }

    QString cell(TFDataView* view, int row, int column) const
    {
        fetchTo(view, row);
        const QAbstractItemModel* model = view->TableViewGrid->model();
        return model->data(model->index(row, column), Qt::DisplayRole).toString();
    }

    // Types a new text into a cell and presses Enter, which posts the record.
    void editCell(TFDataView* view, int row, int column, const QString& text)
    {
        TQcDBGrid* grid = view->TableViewGrid;
        fetchTo(view, row);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits and posts from the event loop, and the
        // model's errors come the same way.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QString value(const QString& sql) const { return scalar(target, path, sql); }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    std::unique_ptr<qvsql::RegisteredDatabases> databases;
    QList<QPointer<TFDataView>> views;
    qv::DialogScript script;

private:
    std::optional<qvtest::RegistryFileIn> m_registry;
};

const QStringList twoColumnTable{
    QStringLiteral("create table T (A integer, B varchar(10), C varchar(10))"),
    QStringLiteral("insert into T values (1, 'one', 'x')"),
    QStringLiteral("insert into T values (2, 'two', 'y')"),
    QStringLiteral("insert into T values (3, 'three', 'z')"),
    QStringLiteral("create table T2 (A integer, B varchar(10))"),
    QStringLiteral("insert into T2 values (1, 'one')"),
    QStringLiteral("create view V (A, N) as select A, count(*) from T group by A"),
    QStringLiteral("create view SV as select A, B from T2"),
};

// Only reads: the statements, sorting from the popup, the buttons and the
// dialog, the record count and the read-only fallback, on one database.
TEST_P(DataViewTest, StatementsSortingCountAndReadOnlyOnOneDatabase)
{
    const quint64 id = makeDatabase(twoColumnTable);
    TFDataView* view = open(id, QStringLiteral("T2"));
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Data View on T2"));
    EXPECT_EQ(view->DS->InsertSQL().join(QString()), QStringLiteral("INSERT INTO T2(A,B) VALUES (?A,?B)"));
    EXPECT_EQ(view->DS->UpdateSQL().join(QString()),
              QStringLiteral("UPDATE T2 SET A=?A,B=?B WHERE A=?old_A and B=?old_B"));
    EXPECT_EQ(view->DS->DeleteSQL().join(QString()), QStringLiteral("DELETE FROM T2 WHERE A=?old_A and B=?old_B"));
    EXPECT_EQ(view->DS->RefreshSQL().join(QString()), QStringLiteral("SELECT * from T2 WHERE A=?A and B=?B"));
    EXPECT_EQ(view->DS->SelectSQL().join(QString()), QStringLiteral("SELECT * FROM T2"));
    EXPECT_FALSE(view->CommitBtn->isEnabled());
    EXPECT_EQ(view->Orderby->text(), QStringLiteral("ORDER BY:"));

    // A ascending, then B descending, from the popup.
    TFDataView* t = open(id, QStringLiteral("T"));
    TQcDBGrid* grid = t->TableViewGrid;
    grid->setCurrentIndex(grid->model()->index(0, 0));
    t->UpdatePopupChecks();
    EXPECT_TRUE(t->NoSortMenu->isChecked());
    t->AscSortMenu->trigger();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    t->DescSortMenu->trigger();
    EXPECT_EQ(t->DS->SelectSQL().join(QString()), QStringLiteral("SELECT * FROM T ORDER BY A,B DESCENDING"));
    EXPECT_EQ(t->Orderby->text(), QStringLiteral(" ORDER BY A,B DESCENDING"));
    grid->setCurrentIndex(grid->model()->index(0, 1));
    t->UpdatePopupChecks();
    EXPECT_TRUE(t->DescSortMenu->isChecked());
    EXPECT_FALSE(t->NoSortMenu->isChecked());

    // The dialog lists the sort columns in column order; C is moved last.
    script.onModal([](QDialog& dialog) {
        auto& sort = static_cast<TFormSort&>(dialog);
        EXPECT_EQ(sort.windowTitle(), QStringLiteral("Select Sort Fields and there order"));
        ASSERT_EQ(sort.SortList->topLevelItemCount(), 2);
        EXPECT_EQ(sort.SortList->topLevelItem(0)->text(0), QStringLiteral("A"));
        ASSERT_EQ(sort.FromList->topLevelItemCount(), 1);
        EXPECT_EQ(sort.FromList->currentItem()->text(0), QStringLiteral("C"));
        QTest::keyClick(sort.FromList, Qt::Key_Right, Qt::AltModifier);
        EXPECT_EQ(sort.FromList->topLevelItemCount(), 0);
        EXPECT_EQ(sort.FromList->currentItem(), nullptr);
        dialog.accept();
    });
    grid->setFocus();
    press(t, Qt::Key_F3);
    EXPECT_EQ(t->DS->SelectSQL().join(QString()),
              QStringLiteral("SELECT * FROM T ORDER BY A,B DESCENDING,C DESCENDING"));
    EXPECT_EQ(cell(t, 0, 0), QStringLiteral("1"));

    // Ctrl+C copies the cell the user selected, then drops the order.
    grid->setFocus();
    fetchTo(t, 2);
    grid->setCurrentIndex(grid->model()->index(2, 1));
    press(t, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("three"));
    EXPECT_EQ(t->TempE->text(), QStringLiteral("three"));
    EXPECT_TRUE(t->OrderFields.isEmpty());
    EXPECT_EQ(t->Orderby->text(), QStringLiteral("ORDER BY:"));

    // F4 counts the rows in the window's transaction; nothing without one.
    press(t, Qt::Key_F4);
    EXPECT_EQ(t->RCount->text(), QStringLiteral("3"));
    t->RCount->clear();
    t->Tran->Commit();
    t->RecCountBtnClick();
    EXPECT_EQ(t->RCount->text(), QString());

    // A view the server cannot update is browsed read-only; reopening it
    // does not mark the caption again.
    TFDataView* v = open(id, QStringLiteral("V"));
    EXPECT_TRUE(v->ReadOnlyView);
    EXPECT_TRUE(v->DS->UpdateSQL().isEmpty() || v->DS->UpdateSQL().join(QString()).isEmpty());
    v->NoSortBtnClick();
    v->NoSortBtnClick();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Data View on V (Read-Only)"));
    fetchTo(v, 3);
    EXPECT_EQ(v->TableViewGrid->model()->rowCount(), 3);

    // A view the server can update is edited like a table.
    TFDataView* sv = open(id, QStringLiteral("SV"));
    EXPECT_FALSE(sv->ReadOnlyView);
    EXPECT_EQ(sv->windowTitle(), QStringLiteral("Data View on SV"));
    EXPECT_EQ(sv->DS->UpdateSQL().join(QString()),
              QStringLiteral("UPDATE SV SET A=?A,B=?B WHERE A=?old_A and B=?old_B"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
}

// Whether a label shows its whole text: the lines it needs at its width,
// each as wide as it is, fit the room it has.
bool showsWhole(const QLabel* label)
{
    const QRect room = label->contentsRect();
    const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(QRect(0, 0, room.width(), 100000), flags, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

// The order the user picks from the popup is shown whole under the grid, at
// the size the window opens at and wider, one column or several.
TEST_P(DataViewTest, TheOrderChosenFromThePopupIsShownWhole)
{
    const quint64 id = makeDatabase({QStringLiteral("create table DEPARTMENT (DEPT_NO char(3), DEPARTMENT varchar(25), "
                                                    "HEAD_DEPT char(3), LOCATION varchar(15))"),
                                     QStringLiteral("insert into DEPARTMENT values ('000', 'Headquarters', null, "
                                                    "'Monterey')"),
                                     QStringLiteral("insert into DEPARTMENT values ('100', 'Sales', '000', 'Tokyo')")});
    TFDataView* view = open(id, QStringLiteral("DEPARTMENT"));
    TQcDBGrid* grid = view->TableViewGrid;
    // Right button on a cell of the column, then the popup's item.
    auto sortDescending = [&](int column) {
        const QRect cell = grid->visualRect(grid->model()->index(0, column));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell.center());
        ASSERT_TRUE(view->Popup1->isVisible());
        QTest::mouseClick(view->Popup1, Qt::LeftButton, {},
                          view->Popup1->actionGeometry(view->DescSortMenu).center());
        QCoreApplication::processEvents();
    };
    for (const int width : {600, 800}) {
        SCOPED_TRACE(width);
        view->resize(width, 400);
        sortDescending(1);
        EXPECT_EQ(view->Orderby->text(), QStringLiteral(" ORDER BY DEPARTMENT DESCENDING"));
        EXPECT_TRUE(view->Orderby->isVisible());
        EXPECT_TRUE(showsWhole(view->Orderby)) << view->Orderby->contentsRect().width();
        sortDescending(3);
        sortDescending(2);
        EXPECT_EQ(view->Orderby->text(),
                  QStringLiteral(" ORDER BY DEPARTMENT DESCENDING,LOCATION DESCENDING,HEAD_DEPT DESCENDING"));
        EXPECT_TRUE(showsWhole(view->Orderby)) << view->Orderby->contentsRect().width();
        EXPECT_EQ(cell(view, 0, 1), QStringLiteral("Sales"));
        QTest::mouseClick(view->NoSortBtn, Qt::LeftButton);
        EXPECT_EQ(view->Orderby->text(), QStringLiteral("ORDER BY:"));
    }
}

TEST_P(DataViewTest, EditCommitAndReopenKeepsTheChange)
{
    const quint64 id = makeDatabase(twoColumnTable);
    TFDataView* view = open(id, QStringLiteral("T"));
    editCell(view, 1, 1, QStringLiteral("deux"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    EXPECT_TRUE(view->CommitBtn->isEnabled());
    // Not yet visible to anyone else.
    EXPECT_EQ(value(QStringLiteral("select B from T where A = 2")), QStringLiteral("two"));
    view->CommitBtn->click();
    EXPECT_FALSE(view->CommitBtn->isEnabled());
    EXPECT_EQ(value(QStringLiteral("select B from T where A = 2")), QStringLiteral("deux"));
    EXPECT_EQ(value(QStringLiteral("select count(*) from T")), QStringLiteral("3"));

    // A change rolled back is gone; closing commits without asking.
    editCell(view, 0, 1, QStringLiteral("uno"));
    view->RollbackBtn->click();
    EXPECT_EQ(cell(view, 0, 1), QStringLiteral("one"));
    editCell(view, 2, 2, QStringLiteral("zz"));
    view->close();
    EXPECT_EQ(value(QStringLiteral("select C from T where A = 3")), QStringLiteral("zz"));

    TFDataView* again = open(id, QStringLiteral("T"));
    EXPECT_EQ(cell(again, 1, 1), QStringLiteral("deux"));
    EXPECT_EQ(cell(again, 0, 1), QStringLiteral("one"));
}

TEST_P(DataViewTest, IdenticalRowsAndNullValuesAreRefusedNeverReportedSaved)
{
    const quint64 id = makeDatabase({
        QStringLiteral("create table D (A integer, B varchar(10))"),
        QStringLiteral("insert into D values (1, 'same')"),
        QStringLiteral("insert into D values (1, 'same')"),
        QStringLiteral("create table N (A integer, B varchar(10), C varchar(10))"),
        QStringLiteral("insert into N values (1, 'b', null)"),
    });
    TFDataView* view = open(id, QStringLiteral("D"));
    script.answerMessage(qv::mrOk);
    editCell(view, 0, 1, QStringLiteral("changed"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).startsWith(QStringLiteral("The record was not saved: 2 rows")))
        << script.messages().at(0).toStdString();
    EXPECT_EQ(view->DS->State(), dsEdit);
    view->DS->Cancel();
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select count(*) from D where B = 'same'")), QStringLiteral("2"));

    script.clearShown();
    TFDataView* nulls = open(id, QStringLiteral("N"));
    script.answerMessage(qv::mrOk);
    editCell(nulls, 0, 1, QStringLiteral("new"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).contains(QStringLiteral("NULL"))) << script.messages().at(0).toStdString();
    nulls->DS->Cancel();
    nulls->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select B from N")), QStringLiteral("b"));
}

TEST_P(DataViewTest, RefusedDeleteShowsTheServersMessageOnceAndKeepsTheRow)
{
    const quint64 id = makeDatabase({
        QStringLiteral("create table P (ID integer not null primary key, NAME varchar(10))"),
        QStringLiteral("create table C (ID integer, PID integer references P (ID))"),
        QStringLiteral("insert into P values (1, 'parent')"),
        QStringLiteral("insert into P values (2, 'alone')"),
        QStringLiteral("insert into C values (1, 1)"),
    });
    TFDataView* view = open(id, QStringLiteral("P"));
    TQcDBGrid* grid = view->TableViewGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrOk);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(script.messages().size(), 2);
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Delete record?"));
    EXPECT_TRUE(script.messages().at(1).contains(QStringLiteral("FOREIGN KEY"), Qt::CaseInsensitive))
        << script.messages().at(1).toStdString();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    EXPECT_EQ(view->DS->RecordCount(), 2);
    EXPECT_EQ(view->DS->FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("parent"));
    EXPECT_EQ(grid->model()->rowCount(), 2);

    // The other row goes, and stays gone once committed.
    fetchTo(view, 1);
    grid->setCurrentIndex(grid->model()->index(1, 1));
    script.answerMessage(qv::mrYes);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(view->DS->RecordCount(), 1);
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select count(*) from P")), QStringLiteral("1"));
}

// A new record is filled column by column, as a user fills it: Enter ends
// a cell's edit and keeps the record open, an arrow goes to the next column,
// and the record is posted once, on leaving its row or on Post.
TEST_P(DataViewTest, ANewRecordIsFilledColumnByColumnAndPostedOnLeavingItsRow)
{
    const quint64 id = makeDatabase({
        QStringLiteral("create table COUNTRY (COUNTRY varchar(15) not null primary key, "
                       "CURRENCY varchar(10) not null)"),
        QStringLiteral("insert into COUNTRY values ('USA', 'Dollar')"),
        QStringLiteral("insert into COUNTRY values ('Japan', 'Yen')"),
    });
    TFDataView* view = open(id, QStringLiteral("COUNTRY"));
    TQcDBGrid* grid = view->TableViewGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    // Typed into whatever holds the focus: the grid, then the cell's editor.
    const auto type = [view](const QString& text) {
        for (const QChar c : text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
        press(view, Qt::Key_Return);
        // The delegate commits from the event loop, and the model's errors
        // come the same way.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };

    view->NavInsert->trigger();
    ASSERT_EQ(view->DS->State(), dsInsert);
    ASSERT_EQ(grid->currentIndex().column(), 0);
    const int row = grid->currentIndex().row();
    type(QStringLiteral("Fiji"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsInsert);
    EXPECT_FALSE(grid->Editing());
    press(view, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(row, 1));
    type(QStringLiteral("FJD"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsInsert);
    EXPECT_EQ(cell(view, row, 0), QStringLiteral("Fiji"));
    EXPECT_EQ(cell(view, row, 1), QStringLiteral("FJD"));

    // Leaving the row posts it, once.
    press(view, row == 0 ? Qt::Key_Down : Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    EXPECT_EQ(view->DS->RecordCount(), 3);
    EXPECT_EQ(value(QStringLiteral("select count(*) from COUNTRY")), QStringLiteral("2"));
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select cast(list(COUNTRY || '=' || CURRENCY, ',') as varchar(100)) from "
                                   "(select COUNTRY, CURRENCY from COUNTRY order by COUNTRY)")),
              QStringLiteral("Fiji=FJD,Japan=Yen,USA=Dollar"));

    // Post takes the text still being typed in the last cell.
    grid->setFocus();
    view->NavInsert->trigger();
    ASSERT_EQ(view->DS->State(), dsInsert);
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), 0));
    type(QStringLiteral("Chile"));
    press(view, Qt::Key_Right);
    for (const QChar c : QStringLiteral("Peso"))
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    ASSERT_TRUE(grid->Editing());
    view->NavPost->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select CURRENCY from COUNTRY where COUNTRY = 'Chile'")), QStringLiteral("Peso"));
    EXPECT_EQ(value(QStringLiteral("select count(*) from COUNTRY")), QStringLiteral("4"));
}

TEST_P(DataViewTest, EscInANewRecordGivesBackTheOpenCellFirstAndThenCancelsTheRecord)
{
    const quint64 id = makeDatabase({
        QStringLiteral("create table COUNTRY (COUNTRY varchar(15) not null primary key, "
                       "CURRENCY varchar(10) not null, NOTE varchar(20))"),
        QStringLiteral("insert into COUNTRY values ('USA', 'Dollar', null)"),
    });
    TFDataView* view = open(id, QStringLiteral("COUNTRY"));
    TQcDBGrid* grid = view->TableViewGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    const auto typeInto = [](const QString& text) {
        for (const QChar c : text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
    };
    const auto settle = [] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };

    view->NavInsert->trigger();
    ASSERT_EQ(view->DS->State(), dsInsert);
    const int row = grid->currentIndex().row();
    grid->setCurrentIndex(grid->model()->index(row, 0));
    typeInto(QStringLiteral("Fiji"));
    press(view, Qt::Key_Return);
    settle();
    press(view, Qt::Key_Right);
    typeInto(QStringLiteral("FJD"));
    press(view, Qt::Key_Return);
    settle();
    press(view, Qt::Key_Right);
    typeInto(QStringLiteral("lost"));
    ASSERT_TRUE(grid->Editing());
    press(view, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(grid->Editing());
    EXPECT_EQ(view->DS->State(), dsInsert);
    EXPECT_EQ(cell(view, row, 0), QStringLiteral("Fiji"));
    EXPECT_EQ(cell(view, row, 1), QStringLiteral("FJD"));
    EXPECT_EQ(cell(view, row, 2), QString());

    view->NavPost->trigger();
    settle();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select CURRENCY || '/' || coalesce(NOTE, '<null>') from COUNTRY "
                                   "where COUNTRY = 'Fiji'")),
              QStringLiteral("FJD/<null>"));

    // With no cell open, Esc drops the new record.
    grid->setFocus();
    view->NavInsert->trigger();
    ASSERT_EQ(view->DS->State(), dsInsert);
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), 0));
    typeInto(QStringLiteral("Chile"));
    press(view, Qt::Key_Return);
    settle();
    ASSERT_FALSE(grid->Editing());
    press(view, Qt::Key_Escape);
    settle();
    EXPECT_EQ(view->DS->State(), dsBrowse);
    EXPECT_EQ(view->DS->RecordCount(), 2);
    view->NavPost->trigger();
    view->CommitBtnClick();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(value(QStringLiteral("select count(*) from COUNTRY")), QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("select count(*) from COUNTRY where COUNTRY = 'Chile'")), QStringLiteral("0"));
}

TEST_P(DataViewTest, FormViewEditsTheRecordAndComputedColumnsAreShownNotWritten)
{
    const quint64 id = makeDatabase({
        QStringLiteral("create table F (ID integer not null primary key, NAME varchar(20), "
                       "TWICE computed by (ID * 2), NOTE blob sub_type text)"),
        QStringLiteral("insert into F values (1, 'first', 'a memo')"),
        QStringLiteral("insert into F values (2, 'second', 'another memo')"),
    });
    TFDataView* view = open(id, QStringLiteral("F"));
    ASSERT_EQ(view->TableViewGrid->model()->columnCount(), 4);
    EXPECT_EQ(view->TableViewGrid->ColumnGlyph(3), QStringLiteral("DBG_MEMO"));
    EXPECT_EQ(view->DS->UpdateSQL().join(QString()),
              QStringLiteral("UPDATE F SET ID=?ID,NAME=?NAME,NOTE=?NOTE WHERE ID=?old_ID and NAME=?old_NAME and NOTE=?old_NOTE"));
    const QAbstractItemModel* model = view->TableViewGrid->model();
    EXPECT_FALSE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    const QString shots = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        view->grab().save(shots + QStringLiteral("/dataview_grid_") + target.name + QStringLiteral(".png"));

    view->TableViewGrid->setFocus();
    press(view, Qt::Key_2, Qt::ControlModifier);
    ASSERT_EQ(view->Pages->currentWidget(), view->FormSheet);
    EXPECT_FALSE(view->FormViewPending);
    QWidget* host = view->SB1->widget();
    auto* label = host->findChild<QLabel*>(QStringLiteral("FormLabel1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("NAME:"));
    auto* name = host->findChild<TQcDBEdit*>(QStringLiteral("FormEdit1"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("first"));
    EXPECT_NE(host->findChild<TQcDBMemo*>(QStringLiteral("FormEdit3")), nullptr);
    if (!shots.isEmpty())
        view->grab().save(shots + QStringLiteral("/dataview_form_") + target.name + QStringLiteral(".png"));

    // Ctrl+Right moves to the next record; the form follows.
    press(view, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(name->text(), QStringLiteral("second"));
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("zweite"));
    EXPECT_EQ(view->DS->State(), dsEdit);
    view->NavPost->trigger();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    view->CommitBtnClick();
    EXPECT_EQ(value(QStringLiteral("select NAME from F where ID = 2")), QStringLiteral("zweite"));
    EXPECT_EQ(value(QStringLiteral("select TWICE from F where ID = 2")), QStringLiteral("4"));
}

TEST_P(DataViewTest, DialectThreeQuotedNamesAreEditedAndTheOpenerFindsByDatabase)
{
    const QStringList schema{QStringLiteral("create table \"Name\" (\"Col\" varchar(10), ID integer)"),
                             QStringLiteral("insert into \"Name\" values ('quoted', 1)")};
    const quint64 first = makeDatabase(schema, 3, QStringLiteral("one.fdb"));
    const QString firstPath = path;
    const quint64 second = makeDatabase(schema, 3, QStringLiteral("two.fdb"));
    TMainForm main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    TFDataView* view = OpenDataView(first, QStringLiteral("Name"));
    ASSERT_NE(view, nullptr);
    views.append(view);
    EXPECT_EQ(view->DS->UpdateSQL().join(QString()),
              QStringLiteral("UPDATE \"Name\" SET \"Col\"=?Col,ID=?ID WHERE \"Col\"=?old_Col and ID=?old_ID"));
    TFDataView* other = OpenDataView(second, QStringLiteral("Name"));
    views.append(other);
    EXPECT_NE(other, view);
    EXPECT_EQ(OpenDataView(first, QStringLiteral("Name")), view);
    EXPECT_EQ(main.Children().size(), 2);

    BringForward(view);
    editCell(view, 0, 0, QStringLiteral("it's"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    view->CommitBtnClick();
    path = firstPath;
    EXPECT_EQ(value(QStringLiteral("select \"Col\" from \"Name\"")), QStringLiteral("it's"));
    for (auto& window : views)
        delete window.data();
    views.clear();
}

// Columns whose names look like another column's old or new value, differ
// from another only in case, or hold blanks, quotes and letters beyond
// ASCII, in a table whose name is quoted: every value typed, inserted or
// deleted lands in its own column, as a second connection reads it.
TEST_P(DataViewTest, EveryColumnKeepsItsOwnValueWhateverTheNames)
{
    const QString table = QStringLiteral("Stock \"Mix\" list");
    const QString quotedTable = QStringLiteral("\"Stock \"\"Mix\"\" list\"");
    makeDatabase({}, 3);
    const QStringList utf8Params = qvtest::connectParams(target) << QStringLiteral("isc_dpb_lc_ctype=UTF8");
    const auto connectUtf8 = [&](TQvDatabase& database) {
        database.SetDBName(path);
        database.SetDBParams(utf8Params);
        database.Open();
    };
    {
        TQvDatabase database;
        connectUtf8(database);
        qvtest::runStatements(
            database,
            {QStringLiteral("create table %1 (ID integer not null, OLD_A integer, NEW_A integer, A integer, \"a\" integer,"
                            " \"lower col\" varchar(20), \"Quo\"\"te\" varchar(20), \"Gr\u00f6\u00dfe\" varchar(10))")
                 .arg(quotedTable),
             QStringLiteral("insert into %1 values (1, 10, 10, 0, 5, 'x', 'q', 'k')").arg(quotedTable)});
        database.Close();
    }
    const quint64 id = databases->add(QStringLiteral("names.fdb"), target, path);
    TQvDatabase* registered = databases->database(id);
    registered->Close();
    registered->SetDBParams(utf8Params);
    registered->Open();

    const QString columns =
        QStringLiteral("ID, OLD_A, NEW_A, A, \"a\", \"lower col\", \"Quo\"\"te\", \"Gr\u00f6\u00dfe\"");
    const auto readBack = [&] {
        TQvDatabase database;
        connectUtf8(database);
        return qvsql::queryRows(database, QStringLiteral("select %1 from %2 order by ID").arg(columns, quotedTable));
    };

    TFDataView* view = open(id, table);
    EXPECT_FALSE(view->windowTitle().contains(QStringLiteral("Read-Only"))) << view->windowTitle().toStdString();
    ASSERT_EQ(view->DS->FieldCount(), 8);
    EXPECT_EQ(view->DS->UpdateSQL().join(QString()),
              QStringLiteral("UPDATE %1 SET ID=?ID,OLD_A=?OLD_A,NEW_A=?NEW_A,A=?A,\"a\"=?a,\"lower col\"=?COLUMN_6,"
                             "\"Quo\"\"te\"=?COLUMN_7,\"Gr\u00f6\u00dfe\"=?COLUMN_8 WHERE ID=?old_ID and "
                             "OLD_A=?old_OLD_A and NEW_A=?old_NEW_A and A=?old_A and \"a\"=?old_a and "
                             "\"lower col\"=?old_COLUMN_6 and \"Quo\"\"te\"=?old_COLUMN_7 and "
                             "\"Gr\u00f6\u00dfe\"=?old_COLUMN_8")
                  .arg(quotedTable));

    // Typed into the grid, one cell after the other: each is posted.
    const QStringList typed{QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("40"), QStringLiteral("50"),
                            QStringLiteral("l ow"), QStringLiteral("it's"), QStringLiteral("zz")};
    for (int column = 1; column <= typed.size(); ++column)
        editCell(view, 0, column, typed.at(column - 1));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
    view->CommitBtnClick();
    EXPECT_EQ(readBack(), QStringList{QStringLiteral("1|20|30|40|50|l ow|it's|zz")});

    // The row read again through the refresh statement, then changed once more.
    view->DS->InternalRefreshRow();
    EXPECT_EQ(cell(view, 0, 5), QStringLiteral("l ow"));
    editCell(view, 0, 3, QStringLiteral("41"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();

    // A row appended through the view's dataset, every column its own value.
    TQvDataSet& data = *view->DS;
    data.Append();
    const QStringList inserted{QStringLiteral("2"),  QStringLiteral("21"),   QStringLiteral("22"),
                               QStringLiteral("23"), QStringLiteral("24"),   QStringLiteral("b c"),
                               QStringLiteral("\"q\""), QStringLiteral("\u00fc")};
    for (int i = 0; i < data.FieldCount(); ++i)
        data.Fields(i).SetAsString(inserted.at(i));
    data.Post();
    view->CommitBtnClick();
    EXPECT_EQ(readBack(), (QStringList{QStringLiteral("1|20|30|41|50|l ow|it's|zz"),
                                       QStringLiteral("2|21|22|23|24|b c|\"q\"|\u00fc")}));

    // The first row deleted: found by its old values, the other row stays.
    data.First();
    ASSERT_EQ(data.Fields(0).AsString(), QStringLiteral("1"));
    data.Delete();
    view->CommitBtnClick();
    EXPECT_EQ(readBack(), QStringList{QStringLiteral("2|21|22|23|24|b c|\"q\"|\u00fc")});
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(QLatin1Char('|')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Targets, DataViewTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
