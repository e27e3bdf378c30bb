// Objects opened in their editors and saved back keep exactly what they had:
// on a database holding every type (NUMERIC and DECIMAL at several precisions
// on 16, 32 and 64 bits, character sets and collations, blob sub-types and
// segment sizes, arrays) and on Firebird's employee sample, every procedure,
// trigger, table, view, exception, generator and external function saved
// unchanged, and one procedure saved with only its body changed, leaves
// isql-fb's extract of the database as it was, byte for byte but for the
// body line. Domains show the precision and scale they were declared with.
// A dialect-3 procedure named "myProc" opens with its parameters and saves
// under that name.

#include "DebugTest_support.h"
#include "app/editors/DomainForm.h"
#include "app/editors/EditProc.h"
#include "app/editors/EditTrig.h"
#include "app/editors/EditUDF.h"
#include "app/editors/ObjectEditors.h"
#include "app/editors/ParamGrid.h"
#include "app/editors/TableEditor.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/TreeCommands.h"
#include "components/SpinEdit.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "support/DatabaseSupport.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

using qvdebug::TargetDialect;

const QString IsqlPath = QStringLiteral("/usr/bin/isql-fb");
const QString AddedLine = QStringLiteral("  /* edited */");

// Every type a column, domain or parameter can have, in the dialect's spelling.
QStringList TypesDatabase(int dialect)
{
    const bool d3 = dialect == 3;
    const QString wide = d3 ? QStringLiteral("G bigint, D183 decimal(18,3), N180 numeric(18,0), TM time, TS timestamp, ")
                            : QString();
    QStringList statements{
        "create domain DN41 as numeric(4,1)",
        "create domain DD52 as decimal(5,2)",
        "create domain SALARY as numeric(10,2) default 0 check (value > 0)",
        "create domain DD122 as decimal(12,2)",
        "create domain DN9 as numeric(9)",
        "create domain DTXT as varchar(20) character set WIN1252 collate PXW_INTL",
        "create domain DBLOB as blob sub_type 1 segment size 100",
        "create table TYPES (S smallint, I integer, " + wide
            + "N41 numeric(4,1), D41 decimal(4,1), N52 numeric(5,2), D92 decimal(9,2), N102 numeric(10,2),"
              " D122 decimal(12,2), F float, DP double precision, DT date, BO boolean,"
              " C char(3) character set UTF8, V varchar(10) character set WIN1252 collate PXW_INTL,"
              " VO varchar(5) character set OCTETS, B0 blob, B1 blob sub_type 1 segment size 120,"
              " BN blob sub_type -3, AI integer [1:4], AC char(2) [0:2, 1:3], DOM SALARY)",
        "create procedure P_TYPES (S smallint, I integer, " + wide
            + "N41 numeric(4,1), D41 decimal(4,1), N52 numeric(5,2), D92 decimal(9,2), N102 numeric(10,2),"
              " D122 decimal(12,2), DP double precision, DT date, BO boolean, C char(3) character set UTF8,"
              " V varchar(10) character set WIN1252 collate PXW_INTL, BT blob sub_type 1)\n"
              "returns (TOT decimal(12,2), R varchar(10) character set WIN1252)\n"
              "as\n"
              "begin\n"
              "  TOT = D122;\n"
              "  suspend;\n"
              "end",
        "create view V_TYPES (S, N) as\n  select S, N41\n    from TYPES\n   where I > 0",
        "create exception E_TYPES 'It''s bad: ?'",
        "create generator G_TYPES",
        "set generator G_TYPES to 42",
        "declare external function ABS_X double precision returns double precision by value"
        " entry_point 'IB_UDF_abs' module_name 'ib_udf'",
        "create trigger TYPES_BI for TYPES active before insert position 0\n"
        "as\n"
        "  declare variable X decimal(12,2);\n"
        "begin\n"
        "  X = new.D122;\n"
        "end",
    };
    if (d3)
        statements << "create view \"low v\" (S, \"low n\") as select S, N41 from TYPES"
                   << "create exception \"low e\" 'low'" << "create generator \"low g\"";
    // A collation whose name reads as statements: written unquoted, a saved
    // parameter's type would run them.
    if (d3)
        statements << "create collation \"C;CREATE TABLE INJ(A INT);--\" for WIN1252 from PXW_INTL"
                   << "create procedure P_COLLATED (V varchar(10) character set WIN1252 "
                      "collate \"C;CREATE TABLE INJ(A INT);--\")\n"
                      "returns (R varchar(10) character set WIN1252)\n"
                      "as\n"
                      "begin\n"
                      "  R = V;\n"
                      "  suspend;\n"
                      "end";
    if (d3)
        statements << "create procedure \"myProc\" (\"lowA\" integer, B numeric(5,2))\n"
                      "returns (R decimal(12,2))\n"
                      "as\n"
                      "begin\n"
                      "  R = \"lowA\" + B;\n"
                      "  suspend;\n"
                      "end";
    // A package's procedure may share its name with a global one; the
    // global one is edited alone.
    if (d3)
        statements << "create package PK_SAME as begin procedure \"myProc\" (OTHER varchar(5)); end"
                   << "create package body PK_SAME as begin\n"
                      "  procedure \"myProc\" (OTHER varchar(5)) as begin end\n"
                      "end";
    return statements;
}

QString EmployeeScript()
{
    for (const char* candidate : {"/usr/share/doc/firebird3.0-common-doc/examples/employee.sql.gz",
                                  "/usr/share/doc/firebird3.0-common/examples/empbuild/employee.sql.gz",
                                  "/usr/share/doc/firebird3.0-common/examples/employee.sql.gz"})
        if (QFile::exists(QLatin1String(candidate)))
            return QLatin1String(candidate);
    return {};
}

// The lines of one text the other lacks, at their line numbers; "" when equal.
QString Differences(const QStringList& before, const QStringList& after)
{
    QString report;
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        const QString was = i < before.size() ? before.at(i) : QStringLiteral("<none>");
        const QString is = i < after.size() ? after.at(i) : QStringLiteral("<none>");
        if (was != is)
            report += QStringLiteral("%1: was [%2]\n%1:  is [%3]\n").arg(i + 1).arg(was, is);
    }
    return report;
}

void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ExactTypes : public ::testing::TestWithParam<TargetDialect>
{
protected:
    void SetUp() override
    {
        target = std::get<0>(GetParam());
        dialect = std::get<1>(GetParam());
        QV_SKIP_UNLESS_REACHABLE(target);
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed: nothing reads the database back independently";
        m_folders.emplace(dir);
        m_program.emplace([] {
            InstallObjectEditors();
            InstallProcEditor();
            InstallTriggerEditor();
            InstallUDFEditor();
        });
    }

    void TearDown() override
    {
        m_program.reset();
        TObjectOpeners::Instance().Clear();
        m_folders.reset();
    }

    quint64 Register(const QString& path)
    {
        const int index = DBList->Add(QStringLiteral("Test %1").arg(DBList->Count()));
        DBList->SetPath(index, path);
        DBList->SetUser(index, target.user);
        DBList->SetPassword(index, target.password);
        MainTree->AddDatabaseNode(index);
        const quint64 id = DBList->GetId(index);
        EXPECT_TRUE(MainTree->ConnectEntry(id));
        return id;
    }

    // isql-fb's extract of the database, line by line.
    QStringList Extract(const QString& path) const
    {
        const QString text = qvtest::IsqlExtract(target, path);
        EXPECT_FALSE(text.trimmed().isEmpty());
        return text.split(u'\n');
    }

    QStringList Names(quint64 id, int kind) const
    {
        QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, kind);
        if (category && !TMainTree::NodeData(category))
            MainTree->FillCategory(category);
        QStringList names;
        for (int i = 0; category && i < category->childCount(); ++i)
            names << TMainTree::NodeObjectName(category->child(i));
        return names;
    }

    TEditProc* OpenProc(quint64 id, const QString& name)
    {
        TObjectRef ref;
        ref.DBId = id;
        ref.Category = catProcedures;
        ref.Name = name;
        return OpenProcEditor(ref, false);
    }

    // Opens every procedure and saves it as it is, the one named `edited`
    // with a line added to its body.
    void SaveEveryProcedure(quint64 id, const QString& edited)
    {
        const QStringList procedures = Names(id, catProcedures);
        ASSERT_FALSE(procedures.isEmpty());
        ASSERT_TRUE(procedures.contains(edited));
        for (const QString& name : procedures) {
            SCOPED_TRACE(name.toStdString());
            QPointer<TEditProc> editor = OpenProc(id, name);
            ASSERT_TRUE(editor);
            for (const TParamRow& row : editor->Inputs->NamedRows() + editor->Outputs->NamedRows())
                EXPECT_FALSE(row.Type.isEmpty()) << row.Name.toStdString();
            if (name == edited) {
                QStringList lines = editor->SQLText->Lines()->ToStringList();
                lines.insert(0, AddedLine);
                editor->SQLText->SetLines(lines);
            }
            editor->SetModified();
            editor->CompileBtn->trigger();
            EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
            script.clearShown();
            EXPECT_FALSE(editor->Modified());
            editor->close();
            Settle();
        }
        EXPECT_EQ(Names(id, catProcedures), procedures);
    }

    // The extract after the saves is the one before, byte for byte, but for
    // the line added to one body.
    void ExpectExtractKept(quint64 id, const QString& path, const QStringList& before)
    {
        // The embedded engine lets isql-fb in only while no other process has the file open.
        MainTree->CloseEntryConnection(id, false);
        QStringList after = Extract(path);
        EXPECT_EQ(after.count(AddedLine), 1);
        after.removeOne(AddedLine);
        const QString differences = Differences(before, after);
        EXPECT_TRUE(differences.isEmpty()) << differences.toStdString();
    }

    // Opens every trigger from the tree and saves it with F2.
    void SaveEveryTrigger(quint64 id)
    {
        const QStringList triggers = Names(id, catTriggers);
        ASSERT_FALSE(triggers.isEmpty());
        QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, catTriggers);
        for (int i = 0; i < category->childCount(); ++i) {
            SCOPED_TRACE(TMainTree::NodeObjectName(category->child(i)).toStdString());
            TObjectRef ref;
            ref.DBId = id;
            ref.Category = catTriggers;
            ref.Database = DBList->GetDatabase(DBList->IndexOfId(id));
            ref.Name = TMainTree::NodeObjectName(category->child(i));
            ASSERT_TRUE(TObjectOpeners::Instance().OpenEdit(ref));
            QCoreApplication::processEvents();
            QPointer<TEditTrig> editor;
            for (QWidget* child : MainForm->Children())
                if (auto* window = qobject_cast<TEditTrig*>(child))
                    editor = window;
            ASSERT_TRUE(editor);
            QTest::keyClick(editor->SQLText, Qt::Key_F2);
            Settle();
            EXPECT_TRUE(editor.isNull());
            EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
            script.clearShown();
            if (editor)
                editor->close();
            Settle();
        }
    }

    // Opens every table in the table editor and saves it as it is; the
    // columns show their types as declared.
    void SaveEveryTable(quint64 id)
    {
        TQvDatabase* database = DBList->GetDatabase(DBList->IndexOfId(id));
        for (const QString& name : Names(id, catTables)) {
            SCOPED_TRACE(name.toStdString());
            TNewTable editor(database);
            ASSERT_TRUE(editor.LoadTable(name));
            for (const TTableColumn& column : editor.Definition().Columns) {
                const QString type = column.Def.Type + '(' + column.Def.Size + ')';
                // Dialect 1 keeps more than 9 digits in a double.
                if (column.Def.Name == u"D122") {
                    EXPECT_EQ(type, dialect == 3 ? "Decimal(12,2)" : "Numeric(15,2)");
                }
                if (column.Def.Name == u"N41") {
                    EXPECT_EQ(type, "Numeric(4,1)");
                }
            }
            EXPECT_TRUE(editor.SaveChanges());
            EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
            script.clearShown();
        }
    }

    // Opens every view, exception, generator and external function in its
    // editor and saves it as it is.
    void SaveEveryOtherObject(quint64 id)
    {
        for (const int kind : {int(catViews), int(catExceptions), int(catGenerators), int(catFunctions)}) {
            const QStringList names = Names(id, kind);
            // The employee sample declares no external function.
            EXPECT_FALSE(names.isEmpty() && kind != catFunctions) << kind;
            for (const QString& name : names) {
                SCOPED_TRACE(name.toStdString());
                TObjectRef ref;
                ref.DBId = id;
                ref.Category = kind;
                ref.Database = DBList->GetDatabase(DBList->IndexOfId(id));
                ref.Name = name;
                QPointer<TBaseMDI> editor = kind == catFunctions ? static_cast<TBaseMDI*>(EditUDFClick(ref))
                                                                 : qobject_cast<TBaseMDI*>(OpenObjectEditor(ref));
                ASSERT_TRUE(editor);
                editor->MarkModified();
                EXPECT_TRUE(editor->SaveChanges()) << script.messages().join('\n').toStdString();
                EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('\n').toStdString();
                script.clearShown();
                Settle();
                if (editor)
                    editor->close();
                Settle();
            }
        }
    }

    // Every domain with a precision shows it and its scale as declared.
    void CheckDomainPrecisions(quint64 id, const QString& path)
    {
        const QStringList declared = qvdebug::column(target, path,
            "select trim(rdb$field_name) || '|' || rdb$field_precision || '|' || (-rdb$field_scale) || '|'"
            " || iif(rdb$field_sub_type = 2, 'Decimal', 'Numeric') from rdb$fields"
            " where rdb$field_name not starting with 'RDB$' and rdb$field_precision > 0"
            " and rdb$field_type in (7, 8, 16, 27) and coalesce(rdb$system_flag, 0) = 0");
        ASSERT_FALSE(declared.isEmpty());
        for (const QString& row : declared) {
            const QStringList parts = row.split(u'|');
            SCOPED_TRACE(row.toStdString());
            TObjectRef ref;
            ref.DBId = id;
            ref.Category = catDomains;
            ref.Database = DBList->GetDatabase(DBList->IndexOfId(id));
            ref.Name = parts.at(0);
            QPointer<TDomainForm> form = qobject_cast<TDomainForm*>(OpenObjectEditor(ref));
            ASSERT_TRUE(form);
            EXPECT_EQ(form->fPrecision->AsInteger(), parts.at(1).toInt());
            EXPECT_EQ(form->FScale->AsInteger(), parts.at(2).toInt());
            EXPECT_EQ(form->DType->currentText(), parts.at(3));
            form->close();
            Settle();
        }
    }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(ExactTypes, EveryTypeOpensAndSavesBackExactly)
{
    const QString path = dialect == 1
        ? qvtest::createDatabase(target, dir, QStringLiteral("types.fdb"), TypesDatabase(1))
        : qvtest::createDialect3Database(target, dir, QStringLiteral("types.fdb"), TypesDatabase(3),
                                         QStringLiteral("UTF8"));
    const QStringList before = Extract(path);
    const quint64 id = Register(path);

    QPointer<TEditProc> editor = OpenProc(id, QStringLiteral("P_TYPES"));
    ASSERT_TRUE(editor);
    const auto type = [](TParamGrid* grid, const QString& name) {
        for (const TParamRow& row : grid->Rows())
            if (row.Name == name)
                return row.Type;
        return QString();
    };
    EXPECT_EQ(type(editor->Inputs, "N41"), "Numeric(4,1)");
    EXPECT_EQ(type(editor->Inputs, "D92"), "Decimal(9,2)");
    EXPECT_EQ(type(editor->Inputs, "V"), "Varchar(10) CHARACTER SET WIN1252 COLLATE PXW_INTL");
    if (dialect == 3) {
        // Dialect 1 keeps more than 9 digits in a double.
        EXPECT_EQ(type(editor->Outputs, "TOT"), "Decimal(12,2)");
        EXPECT_EQ(type(editor->Inputs, "N102"), "Numeric(10,2)");
        EXPECT_EQ(type(editor->Inputs, "D183"), "Decimal(18,3)");
        // The database's own set is not named.
        EXPECT_EQ(type(editor->Inputs, "C"), "Char(3)");
    }
    editor->close();
    Settle();

    SaveEveryProcedure(id, dialect == 3 ? QStringLiteral("myProc") : QStringLiteral("P_TYPES"));
    SaveEveryTable(id);
    SaveEveryTrigger(id);
    EXPECT_EQ(Names(id, catFunctions), QStringList{"ABS_X"});
    SaveEveryOtherObject(id);
    CheckDomainPrecisions(id, path);
    ExpectExtractKept(id, path, before);
    if (dialect == 3) {
        EXPECT_EQ(qvdebug::column(target, path,
                                  "select count(*) from rdb$procedure_parameters where rdb$procedure_name = 'myProc' "
                                  "and rdb$package_name is null"),
                  QStringList{"3"});
        EXPECT_TRUE(qvdebug::column(target, path, "select 1 from rdb$procedures where rdb$procedure_name = 'MYPROC'")
                        .isEmpty());
        EXPECT_EQ(qvdebug::column(target, path,
                                  "select count(*) from rdb$procedure_parameters where rdb$parameter_name = 'lowA'"),
                  QStringList{"1"});
    }
}

TEST_P(ExactTypes, EmployeeSampleSavesBackExactly)
{
    const QString scriptPath = EmployeeScript();
    if (scriptPath.isEmpty())
        GTEST_SKIP() << "Firebird's employee sample (employee.sql.gz, package firebird3.0-examples) is not installed";
    if (dialect != 3)
        GTEST_SKIP() << "the employee sample is a dialect-3 database";
    QProcess gunzip;
    gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), scriptPath});
    gunzip.waitForFinished(30000);
    QString text = QString::fromLatin1(gunzip.readAllStandardOutput());
    const QString path = target.databasePath(dir, QStringLiteral("employee.fdb"));
    static const QRegularExpression create(QStringLiteral("create database '[^']*'"),
                                           QRegularExpression::CaseInsensitiveOption);
    text.replace(create, QStringLiteral("create database '%1' user '%2' password '%3'")
                             .arg(path, target.user, target.password));
    QProcess isql;
    isql.start(IsqlPath, {QStringLiteral("-q")});
    isql.write(text.toLatin1());
    isql.closeWriteChannel();
    ASSERT_TRUE(isql.waitForFinished(120000));
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("employee.fdb"))))
        << isql.readAllStandardError().toStdString();

    const QStringList before = Extract(path);
    const quint64 id = Register(path);
    QPointer<TEditProc> editor = OpenProc(id, QStringLiteral("DEPT_BUDGET"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->Outputs->Rows(), (TParamRows{{"TOT", "Decimal(12,2)", ""}}));
    editor->close();
    Settle();
    SaveEveryProcedure(id, QStringLiteral("DEPT_BUDGET"));
    SaveEveryTable(id);
    SaveEveryTrigger(id);
    SaveEveryOtherObject(id);
    CheckDomainPrecisions(id, path);
    ExpectExtractKept(id, path, before);
}

INSTANTIATE_TEST_SUITE_P(Targets, ExactTypes, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);

} // namespace
