// The procedure editor inside the running program, on real databases: made
// through the tree's New command, typed into, saved with F2, read back
// through a second connection, opened again with Edit and altered; a
// failing save keeps the window and its text; a procedure written by hand
// saves back unchanged; and the body editor's keys.

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "app/editors/EditProc.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/ParamGrid.h"
#include "app/editors/ParamList.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ProcPreview.h"
#include "app/shell/TreeCommands.h"
#include "components/TgGrid.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"
#include "support/DatabaseSupport.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral("\", \"")).toStdString() << '}';
}

inline void PrintTo(const TParamRow& row, std::ostream* os)
{
    *os << '{' << row.Name.toStdString() << '|' << row.Type.toStdString() << '|' << row.Description.toStdString()
        << '}';
}

namespace {

const QString ExampleText = QStringLiteral(
    "CREATE PROCEDURE P (A  Integer /*first*/,\r\n     BB Varchar(10))\r\nreturns (R Integer)\r\nAS \r\n"
    "     declare variable X Integer   /*tmp */;\r\nbegin \r\nR = A;\r\n\r\nend ");

// Rows of a select, read in a transaction of its own on the test's own
// connection, columns joined by "|".
QStringList Rows(TQvDatabase& database, const QString& sql)
{
    QStringList rows;
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    transaction.StartTransaction();
    {
        // Reads text blobs (sources, descriptions) as text.
        TCatalogQuery select(query, &database, sql);
        for (; !select.Eof(); select.Next()) {
            QStringList columns;
            for (int i = 0; i < query.Current().Count(); ++i)
                columns << select.Text(i).trimmed();
            rows << columns.join(u'|');
        }
    }
    transaction.Commit();
    return rows;
}

// F2 where the user presses it: in the focused control.
void PressF2(QWidget* control)
{
    control->setFocus();
    QTest::keyClick(control, Qt::Key_F2);
}

void Flush()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString Normalised(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class ProcEditorTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        {
            // A registered database, never opened: no sample database is made at start-up.
            QvRegistry registry;
            ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Other"), true));
            registry.writeString(QStringLiteral("DBPath"), dir.filePath(QStringLiteral("other.fdb")));
        }
        m_program.emplace(InstallProcEditor);
        MainForm->activateWindow();
        QApplication::setActiveWindow(MainForm);
    }

    void TearDown() override
    {
        if (m_check.Connected())
            m_check.Close();
        m_program.reset();
        TObjectOpeners::Instance().Clear();
        m_folders.reset();
    }

    // Registers and connects a fresh database made by the statements.
    quint64 AddDatabase(int dialect, const QStringList& statements = {}, const QString& charset = QString())
    {
        path = dialect == 1
                   ? qvtest::createDatabase(target, dir, QStringLiteral("d1.fdb"), statements)
                   : qvtest::createDialect3Database(target, dir, QStringLiteral("d3.fdb"), statements, charset);
        const int index = DBList->Add(QStringLiteral("Test"));
        DBList->SetPath(index, path);
        DBList->SetUser(index, target.user);
        DBList->SetPassword(index, target.password);
        MainTree->AddDatabaseNode(index);
        const quint64 id = DBList->GetId(index);
        EXPECT_TRUE(MainTree->ConnectEntry(id));
        return id;
    }

    QTreeWidgetItem* FilledCategory(quint64 id)
    {
        QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, catProcedures);
        if (category && !TMainTree::NodeData(category))
            MainTree->FillCategory(category);
        return category;
    }

    QTreeWidgetItem* ObjectNode(QTreeWidgetItem* category, const QString& name)
    {
        for (int i = 0; i < category->childCount(); ++i)
            if (TMainTree::NodeObjectName(category->child(i)) == name)
                return category->child(i);
        return nullptr;
    }

    QList<TEditProc*> Editors() const
    {
        QList<TEditProc*> editors;
        for (QWidget* child : MainForm->Children())
            if (auto* editor = qobject_cast<TEditProc*>(child))
                editors << editor;
        return editors;
    }

    TEditProc* OpenEditor(quint64 id, const QString& name)
    {
        TObjectRef ref;
        ref.DBId = id;
        ref.Category = catProcedures;
        ref.Name = name;
        return OpenProcEditor(ref, name.isEmpty());
    }

    // Types into the grid's current cell and leaves it with Enter.
    static void TypeCell(TTypedGrid* grid, const QString& text)
    {
        grid->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    static void TypeBody(TEditProc* editor, const QString& text)
    {
        editor->SQLText->setFocus();
        QTest::keyClicks(editor->SQLText, text);
    }

    // What reached the database, seen through a connection of the test's own.
    QStringList Rows(const QString& sql)
    {
        if (!m_check.Connected()) {
            m_check.SetDBName(path);
            m_check.SetDBParams(qvtest::connectParams(target));
            m_check.Open();
        }
        return ::Rows(m_check, sql);
    }

    QString Source(const QString& name)
    {
        const QStringList rows =
            Rows("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = '" + name + "'");
        return rows.isEmpty() ? QString() : Normalised(rows.first());
    }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    qv::DialogScript script;

private:
    TQvDatabase m_check;
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(ProcEditorTest, ExampleProcedureIsCreatedReloadedAndAltered)
{
    const quint64 id = AddDatabase(1);
    QTreeWidgetItem* category = FilledCategory(id);
    ASSERT_NE(category, nullptr);
    ASSERT_TRUE(TObjectOpeners::Instance().HasNew(catProcedures));
    MainTree->Tree()->setCurrentItem(category);
    MainTree->Commands()->Createtable2Click();
    ASSERT_EQ(Editors().size(), 1);
    QPointer<TEditProc> editor = Editors().first();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Create procedure"));
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(editor->StatusPanel(1), QStringLiteral("1:1"));
    EXPECT_FALSE(editor->DebugProcBtn->isEnabled());

    QTest::keyClicks(editor->ProcName, "p");
    EXPECT_EQ(editor->ProcName->text(), QStringLiteral("P"));
    editor->InputList->FocusCell(ParamNameCol, 1);
    TypeCell(editor->InputList, "A");
    TypeCell(editor->InputList, "Integer");
    TypeCell(editor->InputList, "BB");
    TypeCell(editor->InputList, "Varchar(10)");
    EXPECT_EQ(editor->InputList->RowCount(), 4);
    script.onModal([](QDialog& dialog) {
        auto& descriptions = static_cast<TParamDescription&>(dialog);
        EXPECT_EQ(descriptions.windowTitle(), QStringLiteral("Parameters Descriptions"));
        descriptions.ParamGrid->SetCells(2, 1, "first");
        dialog.accept();
    });
    editor->ParamDescr1->trigger();
    editor->Outputs->SetRows({{"R", "Integer", ""}});
    editor->Locals->SetRows({{"X", "Integer", "tmp"}});
    TypeBody(editor, "R = A;");
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(editor->StatusPanel(0), QStringLiteral("Modified"));
    // Up on the empty row the Enter key left takes it away again.
    editor->InputList->setFocus();
    editor->InputList->FocusCell(ParamNameCol, 3);
    QTest::keyClick(editor->InputList, Qt::Key_Up);
    EXPECT_EQ(editor->InputList->RowCount(), 3);
    EXPECT_EQ(editor->GenerateProcText(), ExampleText);

    PressF2(editor->SQLText);
    Flush();
    EXPECT_TRUE(editor.isNull()) << script.messages().join('\n').toStdString();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
    EXPECT_EQ(Source("P").trimmed(),
              QStringLiteral("declare variable X Integer   /*tmp */;\nbegin \nR = A;\n\nend"));
    EXPECT_EQ(Rows(
                   "select rdb$parameter_name, rdb$description from rdb$procedure_parameters"
                   " where rdb$procedure_name = 'P' order by rdb$parameter_type, rdb$parameter_number"),
              (QStringList{"A|first", "BB|", "R|"}));
    QTreeWidgetItem* node = ObjectNode(category, "P");
    ASSERT_NE(node, nullptr);

    // Edit from the tree: everything comes back, and a second Edit brings it forward.
    category->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    ASSERT_EQ(MainTree->Tree()->currentItem(), node);
    MainTree->Commands()->Edittable1Click();

    MainTree->Commands()->Edittable1Click();
    ASSERT_EQ(Editors().size(), 1);
    editor = Editors().first();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Edit procedure: P"));
    EXPECT_TRUE(editor->ProcName->isReadOnly());
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(editor->Inputs->Rows(), (TParamRows{{"A", "Integer", "first"}, {"BB", "Varchar(10)", ""}}));
    EXPECT_EQ(editor->Outputs->Rows(), (TParamRows{{"R", "Integer", ""}}));
    EXPECT_EQ(editor->Locals->Rows(), (TParamRows{{"X", "Integer", "tmp"}}));
    EXPECT_EQ(editor->BodyLines(), QStringList{"R = A;"});
    // The stored source (the server drops the blanks around it) is what goes back.
    EXPECT_EQ(editor->GenerateProcText(),
              QString(ExampleText).replace(QStringLiteral("AS \r\n     declare"), QStringLiteral("AS \r\ndeclare")).chopped(1));

    // Saving without changes does nothing and keeps the window.
    PressF2(editor->SQLText);
    EXPECT_FALSE(editor.isNull());

    // A description with both quote characters, on a dialect-1 database.
    editor->Inputs->SetRow(2, {"BB", "Varchar(10)", "say \"hi\", it's"});
    editor->SQLText->SetCaretXY(QPoint(7, 1));
    TypeBody(editor, " -- changed");
    editor->CompileBtn->trigger();
    ASSERT_FALSE(editor.isNull());
    EXPECT_FALSE(editor->Modified());
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
    EXPECT_TRUE(Source("P").contains(QStringLiteral("R = A; -- changed\n")));
    EXPECT_EQ(Rows(
                   "select rdb$description from rdb$procedure_parameters"
                   " where rdb$procedure_name = 'P' and rdb$parameter_name = 'BB'"),
              QStringList{"say \"hi\", it's"});
    editor->close();
}

TEST_P(ProcEditorTest, FailedSavesKeepTheWindowAndItsText)
{
    const quint64 id = AddDatabase(
        3, {"create procedure P (A integer) returns (R integer) as begin R = A; end"});
    QPointer<TEditProc> editor = OpenEditor(id, "P");
    ASSERT_FALSE(editor.isNull());
    editor->SQLText->SelectAll();
    TypeBody(editor, "R = A +;");

    script.answerMessage(qv::mrOk);
    PressF2(editor->SQLText);
    ASSERT_FALSE(editor.isNull());
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().first().contains(QStringLiteral("Token unknown")));
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(editor->SQLText->CaretY(), 1);
    EXPECT_EQ(editor->BodyLines(), QStringList{"R = A +;"});
    EXPECT_EQ(Source("P").trimmed(), QStringLiteral("begin R = A; end"));

    // "Save changes ?" Yes with a save that fails again keeps the window; No drops it.
    script.clearShown();
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrOk);
    editor->close();
    Flush();
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(script.messages().first(), QStringLiteral("Save changes ?"));
    script.answerMessage(qv::mrNo);
    editor->close();
    Flush();
    EXPECT_TRUE(editor.isNull());

    // Names refused before anything is sent.
    editor = OpenEditor(id, QString());
    QTest::keyClicks(editor->ProcName, "1a");
    script.clearShown();
    script.answerMessage(qv::mrOk);
    PressF2(editor->ProcName);
    EXPECT_EQ(script.messages(), QStringList{"\"1A\" is not valid procedure name"});
    editor->ProcName->clear();
    QTest::keyClicks(editor->ProcName, "q");
    editor->InputList->FocusCell(ParamNameCol, 1);
    TypeCell(editor->InputList, "B");
    TypeCell(editor->InputList, "Bigint");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    ASSERT_EQ(editor->InputList->RowCount(), 2);
    // A name still being typed is checked too.
    editor->InputList->setFocus();
    editor->InputList->FocusCell(ParamNameCol, 1);
    editor->InputList->ShowEditor();
    QTest::keyClicks(QApplication::focusWidget(), "9");
    const QString typed = editor->InputList->Cells(ParamNameCol, 1);
    ASSERT_TRUE(typed.contains(u'9'));
    script.clearShown();
    script.answerMessage(qv::mrOk);
    // F2 in the open cell editor.
    QWidget* cellEditor = QApplication::focusWidget();
    ASSERT_TRUE(editor->InputList->isAncestorOf(cellEditor));
    PressF2(cellEditor);
    EXPECT_EQ(script.messages(), QStringList{"\"" + typed + "\" is not valid Identifier !"});
    EXPECT_TRUE(Rows("select 1 from rdb$procedures where rdb$procedure_name in ('1A', 'Q')").isEmpty());
    script.answerMessage(qv::mrNo);
    editor->close();
}

TEST_P(ProcEditorTest, HandWrittenProcedureSavesBackUnchanged)
{
    const QString create = QStringLiteral(
        "create procedure ALLTYPES (S smallint, I integer, G bigint, F float, D double precision,\n"
        " N2 numeric(9,2), N4 numeric(18,4), N1 numeric(4,1), DT date, TM time, TS timestamp, B boolean,\n"
        " C char(5), V varchar(20), BT blob sub_type 1, BB blob)\n"
        "returns (OUT_V varchar(40) character set OCTETS, OUT_N numeric(18,3))\n"
        "as\n"
        "     declare variable X integer   /*counter; starts at 0 */;\n"
        "     declare variable NAME varchar(30);\n"
        "begin \n"
        "  /* a block comment\n     over two lines */\n"
        "  -- a line comment; with a semicolon\n"
        "  X = 0;\n"
        "\n"
        "  OUT_V = :V || 'end'; -- not the end\n"
        "  OUT_N = N4;\n"
        "  suspend;\n"
        "\n"
        "end ");
    const quint64 id = AddDatabase(3, {create, "comment on parameter ALLTYPES.I is 'an ''integer'''"},
                                   QStringLiteral("UTF8"));
    const QString typesSql = QStringLiteral(
        "select a.rdb$parameter_name, a.rdb$parameter_type, f.rdb$field_type, f.rdb$field_length,"
        " f.rdb$field_scale, f.rdb$field_sub_type, f.rdb$character_set_id"
        " from rdb$procedure_parameters a join rdb$fields f on f.rdb$field_name = a.rdb$field_source"
        " where a.rdb$procedure_name = 'ALLTYPES' order by a.rdb$parameter_type, a.rdb$parameter_number");
    const QStringList typesBefore = Rows(typesSql);
    const QString sourceBefore = Source("ALLTYPES");
    ASSERT_EQ(typesBefore.size(), 18);

    QPointer<TEditProc> editor = OpenEditor(id, "ALLTYPES");
    QStringList inputTypes;
    for (const TParamRow& row : editor->Inputs->Rows())
        inputTypes << row.Type;
    EXPECT_EQ(inputTypes, (QStringList{"Smallint", "Integer", "Bigint", "Float", "Double precision",
                                       "Numeric(9,2)", "Numeric(18,4)", "Numeric(4,1)", "Date", "Time",
                                       "Timestamp", "Boolean", "Char(5)", "Varchar(20)", "Blob sub_type 1",
                                       "Blob"}));
    EXPECT_EQ(editor->Inputs->Row(2).Description, QStringLiteral("an 'integer'"));
    EXPECT_EQ(editor->Outputs->Rows(), (TParamRows{{"OUT_V", "Varchar(40) CHARACTER SET OCTETS", ""},
                                                   {"OUT_N", "Numeric(18,3)", ""}}));
    EXPECT_EQ(editor->Locals->Rows(),
              (TParamRows{{"X", "integer", "counter; starts at 0"}, {"NAME", "varchar(30)", ""}}));

    editor->SetModified();
    editor->CompileBtn->trigger();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(Source("ALLTYPES"), sourceBefore);
    EXPECT_EQ(Rows(typesSql), typesBefore);
    EXPECT_EQ(Rows(
                   "select rdb$description from rdb$procedure_parameters"
                   " where rdb$procedure_name = 'ALLTYPES' and rdb$parameter_name = 'I'"),
              QStringList{"an 'integer'"});
    editor->close();
}

// Locals named like keywords are quoted in the source and must read back as
// the names they are; a description may hold any character, including the
// ones a reader might take for its own marks.
TEST_P(ProcEditorTest, KeywordLocalsAndOddDescriptionsSaveBackUnchanged)
{
    const QString create = QStringLiteral(
        "create procedure KEYWORDS (A integer)\n"
        "returns (R integer)\n"
        "as\n"
        "     declare variable \"VARIABLE\" integer   /*one \x03 two \x04 three */;\n"
        "     declare variable \"BEGIN\" varchar(10)   /*uses ; and -- and ' */;\n"
        "     declare variable \"SELECT\" integer;\n"
        "begin \n"
        "  \"VARIABLE\" = A; \"BEGIN\" = 'x;'; \"SELECT\" = 2;\n"
        "  R = \"VARIABLE\" + \"SELECT\";\n"
        "  suspend;\n"
        "\n"
        "end ");
    const quint64 id = AddDatabase(3, {create}, QStringLiteral("UTF8"));
    const QString sourceBefore = Source("KEYWORDS");
    const TParamRows locals{{"VARIABLE", "integer", "one \x03 two \x04 three"},
                            {"BEGIN", "varchar(10)", "uses ; and -- and '"},
                            {"SELECT", "integer", ""}};
    for (int save = 0; save < 2; ++save) {
        SCOPED_TRACE(save);
        QPointer<TEditProc> editor = OpenEditor(id, "KEYWORDS");
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->Locals->Rows(), locals);
        editor->SetModified();
        editor->CompileBtn->trigger();
        EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
        EXPECT_FALSE(editor->Modified());
        EXPECT_EQ(Source("KEYWORDS"), sourceBefore);
        editor->close();
        Flush();
    }
    EXPECT_EQ(Rows("select R from KEYWORDS(5)"), QStringList{"7"});
}

INSTANTIATE_TEST_SUITE_P(Targets, ProcEditorTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

// The window's own keys and commands, without a database.
class ProcEditorWindowTest : public ::testing::Test
{
protected:
    ProcEditorWindowTest()
        : editor(new TEditProc(0))
    {
        editor->resize(700, 600);
        editor->show();
        editor->activateWindow();
        QApplication::setActiveWindow(editor);
        editor->Inputs->SetRows({{"A", "Integer", "first"}, {"B", "Date", "second"}, {"C", "Float", "third"}});
        editor->Outputs->SetRows({{"R", "Integer", ""}});
    }
    ~ProcEditorWindowTest() override
    {
        if (editor) {
            if (editor->Modified())
                script.answerMessage(qv::mrNo);
            editor->close();
        }
    }

    qv::DialogScript script;
    QPointer<TEditProc> editor;
};

TEST_F(ProcEditorWindowTest, BodyKeysPickListAndStatus)
{
    editor->SQLText->setFocus();
    QTest::keyClicks(editor->SQLText, "x = ;");
    QApplication::processEvents();
    EXPECT_EQ(editor->StatusPanel(1), QStringLiteral("1:6"));
    QTest::keyClick(editor->SQLText, Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_EQ(editor->StatusPanel(1), QStringLiteral("1:5"));

    script.onModal([](QDialog& dialog) {
        auto& list = static_cast<TParamList&>(dialog);
        EXPECT_EQ(list.EntryCount(), 5); // three inputs, a separator, one output
        list.SetCurrentEntry(3);
        list.ChooseCurrent(); // a separator cannot be chosen
        EXPECT_NE(list.result(), QDialog::Accepted);
        list.SetCurrentEntry(1);
        list.ChooseCurrent();
    });
    QTest::keyClick(editor->SQLText, Qt::Key_F4);
    EXPECT_EQ(editor->BodyLines(), QStringList{"x = :B;"});
    EXPECT_EQ(editor->SQLText->CaretX(), 7);
    EXPECT_TRUE(editor->Modified());

    // Beyond the end of a line the name is padded to the caret's column.
    editor->SQLText->SetScrollPastEOL(true);
    editor->SQLText->SetCaretXY(QPoint(12, 1));
    script.onModal([](QDialog& dialog) { static_cast<TParamList&>(dialog).ChooseCurrent(); });
    QTest::keyClick(editor->SQLText, Qt::Key_F4);
    EXPECT_EQ(editor->BodyLines(), QStringList{"x = :B;    :A"});

    QTest::keyClick(editor->SQLText, Qt::Key_Insert);
    EXPECT_EQ(editor->StatusPanel(2), QStringLiteral("Overwrite"));
    EXPECT_FALSE(editor->SQLText->InsertMode());

    // Nothing to pick: no list.
    editor->Inputs->SetRows({});
    editor->Outputs->SetRows({});
    script.onModal([](QDialog& dialog) { dialog.reject(); });
    QTest::keyClick(editor->SQLText, Qt::Key_F4);
    EXPECT_EQ(script.pendingAnswers(), 1);
}

TEST_F(ProcEditorWindowTest, RowsDescriptionsPreviewAndDebugData)
{
    // The buttons above each grid, clicked; the captions' mnemonics reach the grids.
    const auto click = [this](QAction* action) {
        QToolButton* button = nullptr;
        for (QToolButton* candidate : editor->findChildren<QToolButton*>())
            if (candidate->defaultAction() == action && candidate->isVisible())
                button = candidate;
        ASSERT_NE(button, nullptr) << action->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    };
    QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(editor->OutputList->hasFocus());
    QTest::keyClick(editor, Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(editor->InputList->hasFocus());
    script.answerMessage(qv::mrYes);
    editor->InputList->FocusCell(ParamNameCol, 2);
    click(editor->RemoveVarBtn1);
    EXPECT_EQ(script.messages(), QStringList{"Do you want to delete INPUT variable \"B\" ?"});
    EXPECT_EQ(editor->Inputs->Rows(), (TParamRows{{"A", "Integer", "first"}, {"C", "Float", "third"}}));
    script.answerMessage(qv::mrNo);
    click(editor->RemoveVarBtn2);
    EXPECT_EQ(editor->Outputs->Rows().size(), 1);

    editor->ProcName->setText("P");
    editor->Locals->SetRows({{"X", "Integer", "tmp"}, {"", "", ""}});
    editor->SQLText->setFocus();
    QTest::keyClicks(editor->SQLText, "R = A;");
    script.onModal([this](QDialog& dialog) {
        auto& preview = static_cast<TProcPreview&>(dialog);
        EXPECT_EQ(preview.Memo()->Text(), editor->GenerateProcText() + "\r\n");
        dialog.accept();
    });
    QTest::keyClick(editor->SQLText, Qt::Key_F9);
    EXPECT_EQ(script.pendingAnswers(), 0);

    const TProcDebugData data = editor->DebugData();
    EXPECT_EQ(data.ObjectName, QStringLiteral("P"));
    ASSERT_EQ(data.Vars.size(), 4);
    EXPECT_EQ(data.Vars.at(1).Name, QStringLiteral("C"));
    EXPECT_EQ(data.Vars.at(2).Kind, 1);
    EXPECT_EQ(data.Vars.at(3).Kind, 2);
    EXPECT_EQ(data.HintVars, (QStringList{"A", "C", "R", "X"}));
    EXPECT_EQ(data.Lines, QStringList{"R = A;"});
}

} // namespace
