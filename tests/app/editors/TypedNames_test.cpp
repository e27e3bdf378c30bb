// Names as the user types them, through the windows, on real databases: the
// table editor saves what its name edits and dialogs took, under the names the
// server reads in them, and shows those names again as they are typed; what
// the one name rule refuses is refused when typed and never reaches the
// server.

#include "DebugTest_support.h"

#include "app/editors/ConstraintDialogs.h"
#include "app/editors/FieldParam.h"
#include "app/editors/TableEditor.h"
#include "components/TgGrid.h"
#include "platform/DialogScript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The column dialog filled as a user types it; OK pressed. The dialog is left
// open (and cancelled) when it refuses, so a refusal never hangs the test.
std::function<void(QDialog&)> typeColumn(const QString& name, const QString& type, bool nulls = true)
{
    return [=](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        param.FName->clear();
        QTest::keyClicks(param.FName, name);
        param.FType->setCurrentIndex(param.FType->findText(type));
        param.FNull->setChecked(nulls);
        QTest::mouseClick(param.OkBtn, Qt::LeftButton);
        if (param.isVisible())
            QTest::mouseClick(param.CancelBtn, Qt::LeftButton);
    };
}

class TypedNamesTest : public qvdebug::TargetDialectTest
{
protected:
    // Types the table's name and leaves the edit, as Tab out of it does.
    static void typeTableName(TNewTable& editor, const QString& name)
    {
        editor.TableName->clear();
        QTest::keyClicks(editor.TableName, name);
        emit editor.TableName->editingFinished();
    }

    // A new column in the grid's next row (Down below the last one opens
    // it), typed in the column dialog.
    void addColumn(TNewTable& editor, const QString& name, const QString& type, bool nulls = true)
    {
        editor.FieldList->setFocus();
        const int columns = int(editor.Definition().Columns.size());
        editor.FieldList->SetRow(std::max(columns, 1));
        if (columns > 0)
            QTest::keyClick(editor.FieldList, Qt::Key_Down);
        m_script.onModal(typeColumn(name, type, nulls));
        QTest::keyClick(editor.FieldList, Qt::Key_Return);
    }

    QStringList userTables() const
    {
        return read("select rdb$relation_name from rdb$relations where rdb$system_flag = 0 order by 1");
    }

    qv::DialogScript m_script;
};

} // namespace

TEST_P(TypedNamesTest, QuotedNamesAreSavedAsTypedAndShownAgainAsTyped)
{
    if (dialect() == 1)
        GTEST_SKIP() << "only dialect 3 has quoted names";
    auto database = qvdebug::createDatabase(target(), m_dir, dialect());
    {
        TNewTable editor(database.get());
        editor.NewTable();
        editor.show();
        typeTableName(editor, "\"My Tab\"");
        // A quoted name keeps its letter case in the edit, as on the server.
        EXPECT_EQ(editor.TableName->text(), "\"My Tab\"");
        EXPECT_TRUE(m_script.messages().isEmpty()) << m_script.messages().join(u'\n').toStdString();
        addColumn(editor, "\"Id\"", "Integer", false);
        addColumn(editor, "name", "Integer");
        addColumn(editor, "\"a \"\"b\"\"\"", "Integer");
        EXPECT_TRUE(m_script.messages().isEmpty()) << m_script.messages().join(u'\n').toStdString();
        EXPECT_EQ(editor.SQLText->toPlainText(), "CREATE TABLE \"My Tab\" (\n      \"Id\" Integer NOT NULL,\n"
                                                 "      NAME Integer,\n      \"a \"\"b\"\"\" Integer\n);");
        editor.FieldList->SetRow(1);
        editor.AddPKField();
        QTest::keyClicks(editor.PKName, "\"Primary Key Of My Tab Named Pk1\"");
        m_script.onModal([](QDialog& dialog) {
            auto& index = dynamic_cast<TNewIndex&>(dialog);
            QTest::keyClicks(index.IName, "\"ix Low\"");
            index.TableList->item(1)->setCheckState(Qt::Checked);
            QTest::mouseClick(index.OkBtn, Qt::LeftButton);
        });
        QTest::mouseClick(editor.AddButton(TConstraintKind::Index), Qt::LeftButton);
        ASSERT_TRUE(editor.SaveChanges()) << m_script.messages().join(u'\n').toStdString();
    }
    EXPECT_EQ(userTables(), QStringList{"My Tab"});
    EXPECT_EQ(read("select rdb$field_name from rdb$relation_fields where rdb$relation_name = 'My Tab' "
                   "order by rdb$field_position"),
              (QStringList{"Id", "NAME", "a \"b\""}));
    EXPECT_EQ(read("select rdb$constraint_name from rdb$relation_constraints where rdb$constraint_type = 'PRIMARY KEY'"),
              QStringList{"Primary Key Of My Tab Named Pk1"});
    EXPECT_EQ(read("select rdb$index_name from rdb$indices where rdb$relation_name = 'My Tab' "
                   "and rdb$index_name not starting with 'RDB$' order by 1"),
              (QStringList{"Primary Key Of My Tab Named Pk1", "ix Low"}));

    // Opened again, every name shows as it is typed, and saves back as the same name.
    TNewTable again(database.get());
    ASSERT_TRUE(again.LoadTable("My Tab"));
    again.show();
    EXPECT_EQ(again.TableName->text(), "\"My Tab\"");
    // The longest name the catalog keeps shows whole in its quotes.
    EXPECT_EQ(again.PKName->text(), "\"Primary Key Of My Tab Named Pk1\"");
    again.FieldList->setFocus();
    again.FieldList->SetRow(3);
    m_script.onModal([](QDialog& dialog) {
        auto& param = dynamic_cast<TFieldParam&>(dialog);
        EXPECT_EQ(param.FName->text(), "\"a \"\"b\"\"\"");
        param.FType->setCurrentIndex(param.FType->findText("Bigint"));
        QTest::mouseClick(param.OkBtn, Qt::LeftButton);
    });
    QTest::keyClick(again.FieldList, Qt::Key_Return);
    again.IndexList->setCurrentRow(0);
    m_script.onModal([](QDialog& dialog) {
        auto& index = dynamic_cast<TNewIndex&>(dialog);
        EXPECT_EQ(index.IName->text(), "\"ix Low\"");
        index.IUnique->setChecked(true);
        QTest::mouseClick(index.OkBtn, Qt::LeftButton);
    });
    QTest::keyClick(again.IndexList, Qt::Key_Return);
    ASSERT_TRUE(again.SaveChanges()) << m_script.messages().join(u'\n').toStdString();
    EXPECT_EQ(read("select f.rdb$field_type from rdb$relation_fields r join rdb$fields f "
                   "on f.rdb$field_name = r.rdb$field_source where r.rdb$field_name = 'a \"b\"'"),
              QStringList{"16"});
    EXPECT_EQ(read("select rdb$unique_flag from rdb$indices where rdb$index_name = 'ix Low'"), QStringList{"1"});
    EXPECT_EQ(userTables(), QStringList{"My Tab"});
}

TEST_P(TypedNamesTest, WhatTheRuleRefusesIsRefusedWhenTypedAndNeverSent)
{
    auto database = qvdebug::createDatabase(target(), m_dir, dialect());
    TNewTable editor(database.get());
    editor.NewTable();
    editor.show();
    // A-B is no name unquoted, in either dialect: refused on leaving the
    // edit, and on saving.
    m_script.answerMessage(qv::mrOk);
    typeTableName(editor, "a-b");
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_EQ(m_script.messages().last(), "Illegal table name !");
    addColumn(editor, "ID", "Integer");
    m_script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor.SaveChanges());
    EXPECT_EQ(m_script.messages().last(), "\"A-B\" is not valid table name !");
    EXPECT_TRUE(userTables().isEmpty());

    // A quoted name is one only dialect 3 can write: dialect 1 says so.
    const int shown = int(m_script.messages().size());
    if (dialect() == 1)
        m_script.answerMessage(qv::mrOk);
    typeTableName(editor, "\"My Tab\"");
    if (dialect() == 1) {
        ASSERT_EQ(m_script.messages().size(), shown + 1);
        EXPECT_TRUE(m_script.messages().last().startsWith(
            "The name \"My Tab\" cannot be written in an SQL dialect 1 statement: dialect 1 has no quoted names"))
            << m_script.messages().last().toStdString();
        m_script.answerMessage(qv::mrOk);
        EXPECT_FALSE(editor.SaveChanges());
        EXPECT_TRUE(m_script.messages().last().startsWith("The name \"My Tab\" cannot be written"));
        EXPECT_TRUE(userTables().isEmpty());
        // A quoted column name as well: the column dialog refuses it.
        m_script.answerMessage(qv::mrOk);
        addColumn(editor, "\"Low\"", "Integer");
        EXPECT_TRUE(m_script.messages().last().startsWith("The name \"Low\" cannot be written"));
        EXPECT_EQ(editor.Definition().Columns.size(), 1u);
    } else {
        EXPECT_EQ(m_script.messages().size(), shown);
    }

    // A$B is a name in both dialects, and what was accepted is saved.
    typeTableName(editor, "a$b");
    EXPECT_EQ(editor.TableName->text(), "A$B");
    ASSERT_TRUE(editor.SaveChanges()) << m_script.messages().join(u'\n').toStdString();
    EXPECT_EQ(userTables(), QStringList{"A$B"});
}

INSTANTIATE_TEST_SUITE_P(Targets, TypedNamesTest, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);
