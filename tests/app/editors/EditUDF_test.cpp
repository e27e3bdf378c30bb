// The external-function editor over a real database, in both dialects and on
// both engines: declaring a new function, re-declaring it (drop and declare
// commit together; a declaration the server refuses leaves the old one),
// loading what the catalog holds, and the parameter grid's keys. What
// reached the database is read on a connection of its own.

#include "WindowTest_support.h"

#include "app/editors/EditUDF.h"
#include "app/shell/MainTreeF.h"
#include "components/TgGrid.h"
#include "platform/DialogScript.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace {

using qvdebug::TargetDialect;

const char* const kAbsXText = "DECLARE EXTERNAL FUNCTION ABS_X Double precision RETURNS Double precision  BY VALUE  "
                              "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf';";

// Lets a window's queued close run and the window go.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class EditUDFTest : public ::testing::TestWithParam<TargetDialect>
{
protected:
    void SetUp() override
    {
        target = std::get<0>(GetParam());
        dialect = std::get<1>(GetParam());
        QV_SKIP_UNLESS_REACHABLE(target);
    }

    void open(const QStringList& statements = {})
    {
        db = std::make_unique<qveditors::RegisteredDatabase>(target, dir, dialect, statements);
    }

    TObjectRef ref(const QString& name) const
    {
        return {db->id(), &db->database(), catFunctions, name, nullptr};
    }

    TStoredUDF stored(const QString& name) const
    {
        return ReadExternalFunction(db->database(), name);
    }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    std::unique_ptr<qveditors::RegisteredDatabase> db;
};

TEST_P(EditUDFTest, DeclaresAFunctionThenRedeclaresItInOneTransaction)
{
    open();
    qv::DialogScript script;
    const qveditors::TreeWithDatabase tree(db->id(), catFunctions);

    // A new function, typed in.
    QPointer<TEditUDF> editor = NewUDFClick(ref(QString()));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->windowTitle(), "Create User-Defined Function");
    // Names and type texts are checked before anything is sent.
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->SaveChanges());
    EXPECT_EQ(script.messages().last(), "\"\" is not valid function name");
    QTest::keyClicks(editor->FuncName, QStringLiteral("abs_x"));
    EXPECT_EQ(editor->FuncName->text(), "ABS_X");
    EXPECT_TRUE(editor->Modified());
    QTest::keyClicks(editor->ModuleName, QStringLiteral("ib_udf"));
    QTest::keyClicks(editor->EntryName, QStringLiteral("IB_UDF_abs"));
    editor->InputList->SetCells(0, 1, QStringLiteral("Double precision"));
    editor->PType->setCurrentText(QStringLiteral("Double precision;"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->SaveChanges());
    EXPECT_EQ(script.messages().last(), "\"Double precision;\"  is not valid Type");
    editor->PType->setCurrentText(QStringLiteral("Double precision"));
    EXPECT_EQ(DeclareExternalFunctionText(editor->Declaration(), dialect), kAbsXText);
    ASSERT_TRUE(editor->SaveChanges()) << script.messages().join(QLatin1Char('\n')).toStdString();
    settle();
    EXPECT_TRUE(editor.isNull()) << "a saved editor closes";
    // The tree lists it under its category.
    ASSERT_EQ(tree.category()->childCount(), 1);
    EXPECT_EQ(TMainTree::NodeObjectName(tree.category()->child(0)), "ABS_X");
    EXPECT_EQ(TMainTree::NodeKind(tree.category()->child(0)), TNodeKind::Object);

    TStoredUDF absX = stored(QStringLiteral("ABS_X"));
    ASSERT_TRUE(absX.Found);
    EXPECT_TRUE(absX.External);
    EXPECT_EQ(absX.ModuleName, "ib_udf");
    EXPECT_EQ(absX.EntryPoint, "IB_UDF_abs");
    EXPECT_EQ(absX.Arguments, QStringList{"Double precision"});
    EXPECT_EQ(absX.ReturnType, "Double precision");
    EXPECT_EQ(absX.ReturnMechanism, 0);
    EXPECT_EQ(qvdebug::column(target, db->path(),
                              QStringLiteral("select rdb$module_name from rdb$functions "
                                             "where rdb$function_name = 'ABS_X'")),
              QStringList{"ib_udf"});

    // Opened again, it shows what was declared; a second argument and
    // "Reference" with "Free IT" re-declare it.
    editor = EditUDFClick(ref(QStringLiteral("ABS_X")));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->windowTitle(), "Edit User-Defined Function: ABS_X");
    EXPECT_TRUE(editor->FuncName->isReadOnly());
    EXPECT_EQ(editor->ModuleName->text(), "ib_udf");
    EXPECT_EQ(editor->EntryName->text(), "IB_UDF_abs");
    EXPECT_EQ(editor->ParameterRows(), 1);
    EXPECT_EQ(editor->InputList->Cells(0, 1), "Double precision");
    EXPECT_EQ(editor->PType->currentText(), "Double precision");
    EXPECT_EQ(editor->RetByIndex(), 0);
    EXPECT_FALSE(editor->FreeIT->isChecked());
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(DeclareExternalFunctionText(editor->Declaration(), dialect), kAbsXText);

    editor->RetByReference->click();
    editor->FreeIT->click();
    editor->AddBtnClick();
    EXPECT_EQ(editor->ParameterRows(), 2);
    editor->InputList->SetCells(0, 2, QStringLiteral("Integer"));
    ASSERT_TRUE(editor->SaveChanges()) << script.messages().join(QLatin1Char('\n')).toStdString();
    settle();
    EXPECT_TRUE(editor.isNull());
    absX = stored(QStringLiteral("ABS_X"));
    EXPECT_EQ(absX.Arguments, (QStringList{"Double precision", "Integer"}));
    EXPECT_EQ(absX.ReturnMechanism, -1);

    // A declaration the server refuses after the drop went through: the
    // message, the window still open with its text, the old declaration kept.
    editor = EditUDFClick(ref(QStringLiteral("ABS_X")));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->RetByIndex(), 1);
    EXPECT_TRUE(editor->FreeIT->isChecked());
    editor->InputList->SetCells(0, 2, QStringLiteral("Numeric(99,2)"));
    editor->MarkModified();
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->SaveChanges());
    ASSERT_FALSE(script.messages().isEmpty());
    EXPECT_FALSE(script.messages().last().isEmpty());
    settle();
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(editor->InputList->Cells(0, 2), "Numeric(99,2)");
    absX = stored(QStringLiteral("ABS_X"));
    EXPECT_EQ(absX.Arguments, (QStringList{"Double precision", "Integer"}));
    EXPECT_EQ(absX.ReturnMechanism, -1);
    // And a retry with a text the server takes goes through.
    editor->InputList->SetCells(0, 2, QStringLiteral("Smallint"));
    ASSERT_TRUE(editor->SaveChanges()) << script.messages().join(QLatin1Char('\n')).toStdString();
    settle();
    EXPECT_EQ(stored(QStringLiteral("ABS_X")).Arguments, (QStringList{"Double precision", "Smallint"}));
    // A re-declaration adds no second node.
    EXPECT_EQ(tree.category()->childCount(), 1);
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_P(EditUDFTest, LoadsWhatTheCatalogHolds)
{
    open({QStringLiteral("DECLARE EXTERNAL FUNCTION MANY Integer, CSTRING(12), Double precision, Smallint, "
                         "Numeric(9,2), Blob, Char(3) RETURNS CSTRING(20) FREE_IT "
                         "ENTRY_POINT 'many' MODULE_NAME 'many_udf'"),
          QStringLiteral("DECLARE EXTERNAL FUNCTION DESCR Integer RETURNS Integer BY DESCRIPTOR "
                         "ENTRY_POINT 'descr' MODULE_NAME 'descr_udf'"),
          QStringLiteral("DECLARE EXTERNAL FUNCTION ARGD Integer BY DESCRIPTOR, Integer NULL RETURNS Integer "
                         "BY VALUE ENTRY_POINT 'argd' MODULE_NAME 'argd_udf'"),
          QStringLiteral("CREATE FUNCTION PSQL_F (A INTEGER) RETURNS INTEGER AS BEGIN RETURN A + 1; END")});
    qv::DialogScript script;

    // Arguments in their positions, the result apart.
    QPointer<TEditUDF> editor = EditUDFClick(ref(QStringLiteral("MANY")));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->ParameterRows(), 7);
    EXPECT_EQ(editor->Declaration().Arguments,
              (QStringList{"Integer", "CSTRING(12)", "Double precision", "Smallint", "Numeric(9,2)", "Blob",
                           "Char(3)"}));
    EXPECT_EQ(editor->PType->currentIndex(), UDFTypeNames().indexOf("CSTRING"));
    EXPECT_EQ(editor->PType->currentText(), "CSTRING(20)");
    EXPECT_EQ(editor->RetByIndex(), 1);
    EXPECT_TRUE(editor->FreeIT->isChecked());
    EXPECT_EQ(DeclareExternalFunctionText(editor->Declaration(), dialect),
              "DECLARE EXTERNAL FUNCTION MANY Integer,CSTRING(12),Double precision,Smallint,Numeric(9,2),Blob,"
              "Char(3) RETURNS CSTRING(20)  FREE_IT  ENTRY_POINT 'many' MODULE_NAME 'many_udf';");
    delete editor.data();

    // A mechanism the editor has no button for checks none, and is not
    // silently saved as another one.
    editor = EditUDFClick(ref(QStringLiteral("DESCR")));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->RetByIndex(), -1);
    EXPECT_FALSE(editor->RetByValue->isChecked());
    EXPECT_FALSE(editor->RetByReference->isChecked());
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->SaveChanges());
    EXPECT_EQ(script.messages().last(), "Choose how the function returns its value: by value or by reference.");
    EXPECT_EQ(stored(QStringLiteral("DESCR")).ReturnMechanism, 2);
    delete editor.data();

    // Nor are arguments passed in a way a type text cannot say.
    editor = EditUDFClick(ref(QStringLiteral("ARGD")));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->Declaration().Arguments, (QStringList{"Integer", "Integer"}));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->SaveChanges());
    EXPECT_EQ(script.messages().last(), "Some arguments of ARGD are passed by descriptor or with NULL, which this "
                                         "editor cannot declare; the function is left as it is.");
    EXPECT_FALSE(stored(QStringLiteral("ARGD")).PlainArguments);
    EXPECT_TRUE(stored(QStringLiteral("MANY")).PlainArguments) << "blobs go by their structure";
    delete editor.data();

    // A PSQL function never opens here.
    const TStoredUDF psql = stored(QStringLiteral("PSQL_F"));
    EXPECT_TRUE(psql.Found);
    EXPECT_FALSE(psql.External);
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(EditUDFClick(ref(QStringLiteral("PSQL_F"))), nullptr);
    EXPECT_EQ(script.messages().last(), "PSQL_F is a PSQL function, not an external function.");
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(EditUDFClick(ref(QStringLiteral("GONE"))), nullptr);
    EXPECT_EQ(script.messages().last(), "Function GONE does not exist.");
    EXPECT_EQ(script.pendingAnswers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, EditUDFTest, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);

// The window's own checks and the parameter grid, with no database behind it.
class EditUDFWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor = new TEditUDF(0);
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    }
    void TearDown() override { delete editor.data(); }

    // Keys go where the focus is: the grid, or its editor once it shows.
    static void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int row = 1; row < editor->InputList->RowCount(); ++row)
            texts << editor->InputList->Cells(0, row);
        return texts;
    }

    QPointer<TEditUDF> editor;
};

TEST_F(EditUDFWindowTest, ParameterRowsFollowTheKeys)
{
    qv::DialogScript script;
    TTypedGrid* grid = editor->InputList;
    grid->setFocus();
    grid->FocusCell(0, 1);
    // Down on an empty last row adds nothing.
    key(Qt::Key_Down);
    EXPECT_EQ(editor->ParameterRows(), 1);

    type(QStringLiteral("Dou"));
    EXPECT_TRUE(editor->Modified());
    // Down on a filled last row takes the suggestion and appends a row.
    key(Qt::Key_Down);
    EXPECT_EQ(rows(), (QStringList{"Double precision", ""}));
    EXPECT_EQ(grid->Row(), 2);
    type(QStringLiteral("Integer"));
    key(Qt::Key_Down);
    EXPECT_EQ(rows(), (QStringList{"Double precision", "Integer", ""}));
    // Up on the empty last row takes it away and moves up.
    key(Qt::Key_Up);
    EXPECT_EQ(rows(), (QStringList{"Double precision", "Integer"}));
    EXPECT_EQ(grid->Row(), 2);

    // "Add" appends and moves there; leaving the empty row removes it.
    editor->AddBtnClick();
    EXPECT_EQ(editor->ParameterRows(), 3);
    EXPECT_EQ(grid->Row(), 3);
    grid->FocusCell(0, 1);
    EXPECT_EQ(rows(), (QStringList{"Double precision", "Integer"}));

    // Remove asks; No keeps the row, Yes moves the rows below up.
    script.answerMessage(qv::mrNo);
    editor->RemoveBtnClick();
    EXPECT_EQ(editor->ParameterRows(), 2);
    EXPECT_EQ(script.messages().last(), "Delete parameter  ?");
    script.answerMessage(qv::mrYes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(rows(), QStringList{"Integer"});
    // The only row is emptied, never removed.
    script.answerMessage(qv::mrYes);
    editor->RemoveBtnClick();
    EXPECT_EQ(rows(), QStringList{""});
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_F(EditUDFWindowTest, EnteringAnEmptyReturnTypeOffersTheList)
{
    editor->PType->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->PType->currentText(), "Integer");
    EXPECT_TRUE(editor->PType->view()->isVisible());
    editor->PType->hidePopup();
    EXPECT_EQ(editor->RetByIndex(), 0) << "Value is chosen at first";
}

} // namespace
