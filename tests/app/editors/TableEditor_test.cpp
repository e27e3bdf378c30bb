// The table editor window and its dialogs, driven by keys and clicks the way
// a user works, on real databases read back through a second connection.

#include "app/editors/ConstraintDialogs.h"
#include "app/editors/FieldParam.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/TableEditor.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"

#include "DebugTest_support.h"
#include "support/DatabaseSupport.h"
#include "components/CurrEdit.h"
#include "components/TgGrid.h"
#include "platform/DialogScript.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Fills the column dialog as a user would, then presses OK.
std::function<void(QDialog&)> fillColumn(const QString& name, const QString& type, const QString& size, bool nulls,
                                         const QString& defaultValue = {})
{
    return [=](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        param.FName->clear();
        QTest::keyClicks(param.FName, name);
        param.FType->setCurrentIndex(param.FType->findText(type));
        if (!size.isEmpty())
            param.FSize->SetValue(size.toInt());
        param.FNull->setChecked(nulls);
        param.FDefault->setText(defaultValue);
        QTest::mouseClick(param.OkBtn, Qt::LeftButton);
    };
}

QStringList captions(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

class TableEditorTest : public qvdebug::TargetDialectTest
{
protected:
    qv::DialogScript m_script;
};

} // namespace

// A new table typed in the grid, its key and an index, saved with F2.
TEST_P(TableEditorTest, NewTableTypedAndSaved)
{
    auto database = qvdebug::createDatabase(target(), m_dir, dialect());
    TNewTable editor(database.get());
    QStringList created;
    editor.OnTableCreated = [&](const QString& name) { created << name; };
    editor.NewTable();
    editor.show();
    EXPECT_EQ(editor.windowTitle(), "New Table");
    EXPECT_FALSE(editor.AddPKBtn->isEnabled());
    EXPECT_FALSE(editor.AddButton(TConstraintKind::Index)->isEnabled());
    EXPECT_TRUE(editor.AddButton(TConstraintKind::Check)->isEnabled());

    QTest::keyClicks(editor.TableName, "t");
    EXPECT_EQ(editor.TableName->text(), "T");
    editor.FieldList->setFocus();
    editor.FieldList->SetRow(1);
    m_script.onModal(fillColumn("ID", "Integer", {}, false));
    QTest::keyClick(editor.FieldList, Qt::Key_Return);
    EXPECT_EQ(editor.FieldList->Cells(TNewTable::fcName, 1), "ID");
    EXPECT_EQ(editor.FieldList->Cells(TNewTable::fcNull, 1), "No");
    EXPECT_TRUE(editor.AddPKBtn->isEnabled());

    // Down below the last column opens an empty row; Enter fills it.
    QTest::keyClick(editor.FieldList, Qt::Key_Down);
    EXPECT_EQ(editor.FieldList->Row(), 2);
    m_script.onModal(fillColumn("NAME", "Varchar", "20", true, "abc"));
    QTest::keyClick(editor.FieldList, Qt::Key_Return);
    EXPECT_EQ(editor.FieldList->Cells(TNewTable::fcSize, 2), "20");
    const QString dq = dialect() == 1 ? "\"abc\"" : "'abc'";
    EXPECT_EQ(editor.SQLText->toPlainText(),
              "CREATE TABLE T (\n      ID Integer NOT NULL,\n      NAME Varchar(20) DEFAULT " + dq + "\n);");

    // A column named as another is refused; the dialog stays open until cancelled.
    QTest::keyClick(editor.FieldList, Qt::Key_Down);
    m_script.answerMessage(qv::mrOk);
    m_script.onModal([](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        QTest::keyClicks(param.FName, "id");
        param.FType->setCurrentIndex(0);
        QTest::mouseClick(param.OkBtn, Qt::LeftButton);
        EXPECT_TRUE(param.isVisible());
        QTest::mouseClick(param.CancelBtn, Qt::LeftButton);
    });
    QTest::keyClick(editor.FieldList, Qt::Key_Return);
    EXPECT_EQ(m_script.messages().last(), "Duplicate Field Name !");
    EXPECT_EQ(editor.Definition().Columns.size(), 2u);
    QTest::keyClick(editor.FieldList, Qt::Key_Up);
    EXPECT_EQ(editor.FieldList->RowCount(), 3);

    // The key takes only NOT NULL columns.
    editor.FieldList->SetRow(2);
    m_script.answerMessage(qv::mrOk);
    editor.AddPKField();
    EXPECT_EQ(m_script.messages().last(), "NULLable fields not allowed !");
    editor.FieldList->SetRow(1);
    editor.AddPKField();
    EXPECT_EQ(captions(editor.PKFieldList), QStringList({"ID"}));

    // The index dialog opens in Index Name: the name is typed where the
    // focus is, and Enter is OK.
    m_script.onModal([](QDialog& dialog) {
        auto& index = dynamic_cast<TNewIndex&>(dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_EQ(QApplication::focusWidget(), index.IName);
        index.IUnique->setChecked(true);
        index.DescIDX->setChecked(true);
        index.TableList->item(1)->setCheckState(Qt::Checked);
        index.TableList->item(0)->setCheckState(Qt::Checked);
        QTest::keyClicks(QApplication::focusWidget(), "ix");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::Index), Qt::LeftButton);
    EXPECT_EQ(captions(editor.IndexList), QStringList({"IX"}));
    EXPECT_EQ(editor.Definition().Indices[0].SubItems, QStringList({"Unique", "Desc", "Active", "NAME", "ID"}));

    // Descriptions typed in the description dialog show beside the grid.
    m_script.onModal([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Field Descriptions");
        auto& descriptions = dynamic_cast<TParamDescription&>(dialog);
        TTypedGrid* grid = descriptions.ParamGrid;
        ASSERT_EQ(grid->RowCount(), 3);
        EXPECT_EQ(grid->GetColumn(2).Caption(), "Field Description");
        EXPECT_EQ(grid->Cells(0, 2), "NAME");
        EXPECT_EQ(grid->Cells(1, 2), "Varchar");
        grid->SetCells(2, 2, "the name");
        QTest::mouseClick(descriptions.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.MoreBtn, Qt::LeftButton);
    editor.FieldList->SetRow(2);
    ASSERT_NE(editor.DescriptionHint, nullptr);
    EXPECT_TRUE(editor.DescriptionHint->isVisible());
    EXPECT_EQ(editor.DescriptionHint->text(), "the name");
    editor.FieldList->SetRow(1);
    EXPECT_FALSE(editor.DescriptionHint->isVisible());

    EXPECT_TRUE(editor.SaveChanges());
    EXPECT_EQ(created, QStringList({"T"}));
    EXPECT_EQ(read("select cast(rdb$description as varchar(20)) from rdb$relation_fields where rdb$field_name='NAME'"),
              QStringList({"the name"}));
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(read("select rdb$field_name from rdb$relation_fields where rdb$relation_name='T' order by rdb$field_position"),
              QStringList({"ID", "NAME"}));
    EXPECT_EQ(read("select rdb$constraint_name from rdb$relation_constraints where rdb$relation_name='T' and "
                   "rdb$constraint_type='PRIMARY KEY'"),
              QStringList({"T_PK"}));
    EXPECT_EQ(read("select rdb$unique_flag || ' ' || rdb$index_type from rdb$indices where rdb$index_name='IX'"),
              QStringList({"1 1"}));
}

// The column dialog gives the window its keys back: F2 right after Add field's
// OK saves, with no click in the window first.
TEST_P(TableEditorTest, AddFieldThenF2SavesTheNewTable)
{
    auto database = qvdebug::createDatabase(target(), m_dir, dialect());
    TNewTable editor(database.get());
    QStringList created;
    editor.OnTableCreated = [&](const QString& name) { created << name; };
    editor.NewTable();
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QTest::keyClicks(editor.TableName, "t");

    m_script.onModal(fillColumn("ID", "Integer", {}, false));
    QTest::mouseClick(editor.AddFieldBtn, Qt::LeftButton);
    ASSERT_EQ(m_script.pendingAnswers(), 0);
    EXPECT_EQ(editor.FieldList->Cells(TNewTable::fcName, 1), "ID");

    // The key goes where a key goes, through the event loop: to the focus of
    // the active window.
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &editor);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : static_cast<QWidget*>(&editor), Qt::Key_F2);
    EXPECT_EQ(created, QStringList({"T"}));
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(read("select rdb$field_name from rdb$relation_fields where rdb$relation_name='T'"), QStringList({"ID"}));
}

// An existing table changed through the dialogs; a failed step keeps the
// window and its changes and saves nothing, all of it is saved on closing.
TEST_P(TableEditorTest, ExistingTableChangedAndClosed)
{
    auto database = qvdebug::createDatabase(target(), m_dir, dialect(),
                                            {"create table P (ID integer not null primary key)",
                                             "create table T (ID integer not null, NAME varchar(10), "
                                             "constraint T_PK primary key (ID))",
                                             "insert into P values (1)", "insert into T values (1, 'abcdefghij')"});
    TNewTable editor(database.get());
    ASSERT_TRUE(editor.LoadTable("T"));
    editor.show();
    EXPECT_EQ(editor.windowTitle(), "Edit Table");
    EXPECT_EQ(editor.PKName->text(), "T_PK");

    editor.FieldList->setFocus();
    editor.FieldList->SetRow(2);
    m_script.onModal([](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        EXPECT_EQ(param.FName->text(), "NAME");
        EXPECT_EQ(param.FSize->Value(), 10);
        param.FSize->SetValue(20);
        QTest::keyClick(param.FName, Qt::Key_Return);
    });
    QTest::keyClick(editor.FieldList, Qt::Key_Return);
    EXPECT_EQ(editor.Definition().Columns[1].State, csChanged);

    m_script.onModal([](QDialog& dialog) {
        auto& fk = dynamic_cast<TNewFK&>(dialog);
        QTest::keyClicks(fk.FKName, "t_fk");
        fk.RefTables->setCurrentIndex(fk.RefTables->findText("P"));
        fk.RefTablesChange();
        EXPECT_FALSE(fk.RefPKName->text().isEmpty());
        EXPECT_EQ(captions(fk.RefPKFields), QStringList({"ID"}));
        fk.TableFields->item(0)->setCheckState(Qt::Checked);
        fk.OnDelAction->setCurrentIndex(fk.OnDelAction->findText("CASCADE"));
        QTest::mouseClick(fk.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::ForeignKey), Qt::LeftButton);
    EXPECT_EQ(captions(editor.FKList), QStringList({"T_FK"}));

    m_script.onModal([](QDialog& dialog) {
        auto& check = dynamic_cast<TNewCheck&>(dialog);
        QTest::keyClicks(check.CheckName, "T_CK");
        check.CheckExpr->setPlainText("NOPE > 0");
        QTest::mouseClick(check.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::Check), Qt::LeftButton);

    // The check names no column: the server refuses it, and what came before
    // it in the same save is not applied either.
    QString failedStep;
    m_script.onModal([&](QDialog& dialog) {
        failedStep = dynamic_cast<TMyError&>(dialog).ErrMsg->text();
        dialog.accept();
    });
    const auto nameLength = [&] {
        return read("select C from (select rdb$field_length C from rdb$fields f join rdb$relation_fields r on "
                    "r.rdb$field_source=f.rdb$field_name where r.rdb$relation_name='T' and r.rdb$field_name='NAME')");
    };
    EXPECT_FALSE(editor.SaveChanges());
    EXPECT_EQ(failedStep, "Can't create Check Constraint: T_CK");
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(nameLength(), QStringList({"10"}));
    EXPECT_TRUE(read("select rdb$constraint_name from rdb$ref_constraints").isEmpty());
    EXPECT_EQ(editor.Definition().Columns[1].State, csChanged);
    EXPECT_EQ(editor.Definition().ForeignKeys[0].State, isNew);

    // The check made right; closing asks, and Yes saves only what is left.
    editor.CheckList->setCurrentRow(0);
    m_script.onModal([](QDialog& dialog) {
        auto& check = dynamic_cast<TNewCheck&>(dialog);
        EXPECT_EQ(check.CheckExpr->toPlainText(), "NOPE > 0");
        check.CheckExpr->setPlainText("ID > 0");
        QTest::mouseClick(check.OkBtn, Qt::LeftButton);
    });
    QTest::keyClick(editor.CheckList, Qt::Key_Return);
    EXPECT_EQ(editor.Definition().Checks[0].State, isNew);
    m_script.answerMessage(qv::mrYes);
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_EQ(m_script.messages().last(), "Save changes ?");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(read("select rdb$constraint_name from rdb$relation_constraints where rdb$constraint_type='CHECK'"),
              QStringList({"T_CK"}));
    EXPECT_EQ(nameLength(), QStringList({"20"}));
    EXPECT_EQ(read("select NAME from T"), QStringList({"abcdefghij"}));
    EXPECT_EQ(read("select rdb$delete_rule from rdb$ref_constraints where rdb$constraint_name='T_FK'"),
              QStringList({"CASCADE"}));

    // Reopened: the stored foreign key shows its rule, and dropping it takes one statement.
    TNewTable again(database.get());
    ASSERT_TRUE(again.LoadTable("T"));
    again.show();
    ASSERT_EQ(again.Definition().ForeignKeys.size(), 1u);
    EXPECT_EQ(again.Definition().ForeignKeys[0].SubItems.value(1), "CASCADE");
    again.FKList->setFocus();
    again.FKList->setCurrentRow(0);
    m_script.answerMessage(qv::mrYes);
    QTest::keyClick(again.FKList, Qt::Key_Delete);
    EXPECT_EQ(m_script.messages().last(), "Drop Foreign key ?");
    EXPECT_EQ(again.Definition().ForeignKeys[0].State, isDropped);
    EXPECT_FALSE(again.EditButton(TConstraintKind::ForeignKey)->isEnabled());
    EXPECT_TRUE(again.SaveChanges());
    EXPECT_TRUE(read("select rdb$constraint_name from rdb$ref_constraints").isEmpty());
}

// The server keeps a "--" comment that ends a default or a computed source;
// the editor shows the values, and an expression typed with such a comment saves.
TEST_P(TableEditorTest, CommentedDefaultsAndComputedSourcesReadAsTheirValues)
{
    auto database = qvdebug::createDatabase(target(), m_dir, dialect(),
                                            {"create table S (ID integer not null, B varchar(10) default 'x' -- why\n"
                                             ", C computed by (ID + 1) -- how\n)",
                                             "insert into S (ID) values (1)"});
    TNewTable editor(database.get());
    ASSERT_TRUE(editor.LoadTable("S"));
    editor.show();
    EXPECT_EQ(editor.Definition().Columns[1].Def.Default, "x");
    EXPECT_EQ(editor.Definition().Columns[2].Def.Computed, "ID + 1");

    editor.FieldList->setFocus();
    editor.FieldList->SetRow(3);
    m_script.onModal([](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        EXPECT_EQ(param.Formula->text(), "ID + 1");
        param.Formula->setText("ID + 2 -- two");
        QTest::keyClick(param.FName, Qt::Key_Return);
    });
    QTest::keyClick(editor.FieldList, Qt::Key_Return);
    EXPECT_EQ(editor.Definition().Columns[2].State, csChanged);
    EXPECT_TRUE(editor.SaveChanges()) << m_script.messages().join('\n').toStdString();
    EXPECT_EQ(read("select C from S"), QStringList({"3"}));
    EXPECT_EQ(read("select B from S"), QStringList({"x"}));
}

// A constraint without columns cannot be built: its dialog refuses it. A
// save the server refuses, here at its commit (a unique constraint over
// equal values), leaves the table exactly as it was, as isql-fb extracts it.
TEST_P(TableEditorTest, ConstraintsWithoutColumnsAreRefusedAndAFailedSaveChangesNothing)
{
    if (!qvtest::IsqlAvailable())
        GTEST_SKIP() << "isql-fb is not installed: nothing reads the database back independently";
    auto database = qvdebug::createDatabase(target(), m_dir, dialect(),
                                            {"create table T (ID integer not null, NAME varchar(10), "
                                             "constraint T_PK primary key (ID))",
                                             "insert into T values (1, 'same')", "insert into T values (2, 'same')"});
    // The embedded engine lets isql-fb in only while no other process has the file open.
    const auto extract = [&] {
        database->Close();
        const QString text = qvtest::IsqlExtract(target(), path());
        database->Open();
        return text;
    };
    const QString before = extract();
    ASSERT_TRUE(before.contains("T_PK"));

    TNewTable editor(database.get());
    ASSERT_TRUE(editor.LoadTable("T"));
    editor.show();
    m_script.onModal([&](QDialog& dialog) {
        auto& unique = dynamic_cast<TNewUC&>(dialog);
        QTest::keyClicks(unique.CName, "t_uq");
        m_script.answerMessage(qv::mrOk);
        QTest::mouseClick(unique.OkBtn, Qt::LeftButton);
        EXPECT_EQ(m_script.messages(), QStringList({"Constraint fields not selected !"}));
        m_script.clearShown();
        EXPECT_NE(unique.result(), QDialog::Accepted);
        unique.TableList->item(1)->setCheckState(Qt::Checked);
        QTest::mouseClick(unique.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::Unique), Qt::LeftButton);
    EXPECT_EQ(captions(editor.UCList), QStringList({"T_UQ"}));
    m_script.onModal([&](QDialog& dialog) {
        auto& index = dynamic_cast<TNewIndex&>(dialog);
        QTest::keyClicks(index.IName, "t_ix");
        m_script.answerMessage(qv::mrOk);
        QTest::mouseClick(index.OkBtn, Qt::LeftButton);
        EXPECT_EQ(m_script.messages(), QStringList({"Index fields not selected !"}));
        m_script.clearShown();
        index.TableList->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(index.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::Index), Qt::LeftButton);
    m_script.onModal([&](QDialog& dialog) {
        auto& check = dynamic_cast<TNewCheck&>(dialog);
        QTest::keyClicks(check.CheckName, "t_ck");
        m_script.answerMessage(qv::mrOk);
        QTest::mouseClick(check.OkBtn, Qt::LeftButton);
        EXPECT_EQ(m_script.messages(), QStringList({"Check condition not entered !"}));
        m_script.clearShown();
        check.CheckExpr->setPlainText("ID > 0");
        QTest::mouseClick(check.OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(editor.AddButton(TConstraintKind::Check), Qt::LeftButton);
    EXPECT_EQ(captions(editor.IndexList), QStringList({"T_IX"}));
    EXPECT_EQ(captions(editor.CheckList), QStringList({"T_CK"}));

    QString failedStep;
    m_script.onModal([&](QDialog& dialog) {
        failedStep = dynamic_cast<TMyError&>(dialog).ErrMsg->text();
        dialog.accept();
    });
    EXPECT_FALSE(editor.SaveChanges());
    EXPECT_EQ(failedStep, "Can't save changes of table T !");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(extract(), before);
    m_script.answerMessage(qv::mrNo);
    editor.reject();
}

INSTANTIATE_TEST_SUITE_P(Targets, TableEditorTest, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);

TEST(ConstraintDialogs, ColumnsAreChosenInCheckingOrder)
{
    qv::DialogScript script;
    TNewIndex index({"A", "B", "C"});
    index.show();
    for (int i : {0, 1, 2})
        index.TableList->item(i)->setCheckState(Qt::Checked);
    index.TableList->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(index.Picker->Chosen(), QStringList({"A", "C"}));
    index.IfList->setCurrentRow(0);
    QTest::mouseClick(index.UpBtn, Qt::LeftButton);
    EXPECT_EQ(index.Picker->Chosen(), QStringList({"A", "C"}));
    QTest::mouseClick(index.DownBtn, Qt::LeftButton);
    EXPECT_EQ(index.Picker->Chosen(), QStringList({"C", "A"}));
    EXPECT_EQ(index.IfList->currentRow(), 1);
    QTest::mouseClick(index.DownBtn, Qt::LeftButton);
    EXPECT_EQ(index.Picker->Chosen(), QStringList({"C", "A"}));

    script.answerMessage(qv::mrOk);
    QTest::mouseClick(index.OkBtn, Qt::LeftButton);
    EXPECT_EQ(script.messages().last(), "Index name not entered !");
    EXPECT_TRUE(index.isVisible());
    QTest::keyClicks(index.IName, "1x");
    script.answerMessage(qv::mrOk);
    QTest::mouseClick(index.OkBtn, Qt::LeftButton);
    EXPECT_EQ(script.messages().last(), "\"1X\" is not valid index name !");

    TNewUC unique({"A"});
    unique.show();
    script.answerMessage(qv::mrOk);
    QTest::mouseClick(unique.OkBtn, Qt::LeftButton);
    EXPECT_EQ(script.messages().last(), "Constraint name not entered !");

    TNewCheck check;
    check.show();
    QTest::keyClicks(check.CheckName, "9");
    script.answerMessage(qv::mrOk);
    QTest::mouseClick(check.OkBtn, Qt::LeftButton);
    EXPECT_EQ(script.messages().last(), "\"9\" is not valid check name");
    check.CheckName->clear();
    QTest::keyClicks(check.CheckName, "ck");
    check.CheckExpr->setPlainText("A > 0");
    QTest::mouseClick(check.OkBtn, Qt::LeftButton);
    EXPECT_EQ(check.result(), QDialog::Accepted);
}

TEST(FieldParamDialog, DefaultsFollowTheType)
{
    qv::DialogScript script;
    TFieldParam param;
    param.SetTypes(BuiltInTypes(1), {TDomainInfo{"DMONEY", 8, "Integer"}});
    TColumnDef column;
    column.Null = "No";
    param.LoadColumn(column);
    param.show();
    param.FType->setCurrentIndex(param.FType->findText("Integer"));
    EXPECT_EQ(param.SizePages->currentIndex(), 0);
    QTest::keyClicks(param.FDefault, "1a2.");
    EXPECT_EQ(param.FDefault->text(), "12");
    param.FType->setCurrentIndex(param.FType->findText("Numeric"));
    EXPECT_EQ(param.SizePages->currentIndex(), 2);
    QTest::keyClicks(param.FDefault, ".5");
    EXPECT_EQ(param.FDefault->text(), "12.5");
    param.FType->setCurrentIndex(param.FType->findText("Integer"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(param.CheckDefault());
    EXPECT_EQ(script.messages().last(), "This is not integer value !");
    param.FType->setCurrentIndex(param.FType->findText("--- DOMAINS: ---"));
    EXPECT_EQ(param.FType->currentText(), "DMONEY");
    EXPECT_TRUE(param.TypeHint->isVisible());
    EXPECT_EQ(param.TypeHint->text(), "Base domain type: Integer");
    param.Computed->setChecked(true);
    EXPECT_FALSE(param.FType->isEnabled());
    EXPECT_TRUE(param.Formula->isEnabled());
    param.Formula->setText("ID * 2");
    const TColumnDef computed = param.Column(column);
    EXPECT_EQ(computed.Computed, "ID * 2");
    EXPECT_TRUE(computed.Type.isEmpty());
}

TEST(TableEditorOpeners, TheTreeOpensTablesThroughTheRegistry)
{
    TObjectOpeners::Instance().Clear();
    InstallTableEditor();
    EXPECT_TRUE(TObjectOpeners::Instance().HasNew(catTables));
    EXPECT_TRUE(TObjectOpeners::Instance().HasEdit(catTables));
    EXPECT_FALSE(TObjectOpeners::Instance().HasEdit(catViews));

    qvtest::TempDir dir;
    auto database = qvdebug::createDatabase(qvtest::embeddedTarget(), dir, 3, {"create table T (ID integer)"});
    qv::DialogScript script;
    TWindowIdentity identity;
    QStringList columns;
    script.onModal([&](QDialog& dialog) {
        auto& editor = dynamic_cast<TNewTable&>(dialog);
        EXPECT_EQ(editor.windowTitle(), "Edit Table");
        identity = WindowIdentityOf(&editor);
        columns << editor.FieldList->Cells(TNewTable::fcName, 1);
        dialog.reject();
    });
    TObjectRef ref;
    ref.DBId = 7;
    ref.Database = database.get();
    ref.Category = catTables;
    ref.Name = "T";
    EXPECT_TRUE(TObjectOpeners::Instance().OpenEdit(ref));
    EXPECT_EQ(identity.DBId, 7u);
    EXPECT_EQ(identity.Kind, int(catTables));
    EXPECT_EQ(identity.ObjectName, "T");
    EXPECT_EQ(columns, QStringList({"ID"}));
    TObjectOpeners::Instance().Clear();
}
