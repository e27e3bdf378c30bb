// The domain, view, generator and exception editors inside the running
// program: opened from the tree, saving to a real database in dialect 1 and
// 3, and what reached the database read back on a connection of its own.

#include "DebugTest_support.h"

#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/editors/DomainForm.h"
#include "app/editors/EditException.h"
#include "app/editors/GeneratorForm.h"
#include "app/editors/ObjectLinks.h"
#include "app/editors/ObjectEditors.h"
#include "app/editors/ViewForm.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/ProcPreview.h"
#include "app/shell/TreeCommands.h"
#include "components/CurrEdit.h"
#include "components/LocaleSettings.h"
#include "components/SpinEdit.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "support/DatabaseSupport.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace {

using qvdebug::TargetDialect;

// A key as the user presses it in the window: to its focused control, or to
// the window when the focus is elsewhere.
void pressKey(QWidget* window, Qt::Key key)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && window->isAncestorOf(focus) ? focus : window, key);
}

// Lets a saved window's deferred close and deletion happen.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ObjectEditors : public ::testing::TestWithParam<TargetDialect>
{
protected:
    void SetUp() override
    {
        target = std::get<0>(GetParam());
        dialect = std::get<1>(GetParam());
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        QStringList statements = {
            QStringLiteral("create table T (A integer)"),
            QStringLiteral("insert into T values (1)"),
            QStringLiteral("create view V (A) as select A from T"),
        };
        if (dialect == 3)
            statements << QStringLiteral("create view \"Low v\" (A) as select A from T")
                       << QStringLiteral("create exception \"Low e\" 'x'")
                       << QStringLiteral("create sequence \"Low g\"")
                       << QStringLiteral("create domain \"Low d\" as integer")
                       // Two tables a careless upper-casing would take for one another.
                       << QStringLiteral("create table \"MyTab\" (\"Low\" integer)")
                       << QStringLiteral("create table MYTAB (UP integer)");
        path = dialect == 1 ? qvtest::createDatabase(target, dir, QStringLiteral("objects.fdb"), statements)
                            : qvtest::createDialect3Database(target, dir, QStringLiteral("objects.fdb"), statements);
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace(InstallObjectEditors);
        id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
        ASSERT_TRUE(MainTree->ConnectEntry(id));
    }

    void TearDown() override
    {
        m_program.reset();
        TObjectOpeners::Instance().Clear();
        m_folders.reset();
    }

    // The category node, listed.
    QTreeWidgetItem* category(int kind) const
    {
        QTreeWidgetItem* node = MainTree->CategoryNodeOf(id, kind);
        if (node && !TMainTree::NodeData(node))
            node->setExpanded(true);
        return node;
    }

    QTreeWidgetItem* objectNode(int kind, const QString& name) const
    {
        QTreeWidgetItem* node = category(kind);
        for (int i = 0; node && i < node->childCount(); ++i)
            if (TMainTree::NodeObjectName(node->child(i)) == name)
                return node->child(i);
        return nullptr;
    }

    // "New..." on the category, as the tree's menu runs it.
    template <typename Form>
    Form* createNew(int kind)
    {
        MainTree->Tree()->setCurrentItem(category(kind));
        MainTree->Commands()->Createtable2Click();
        return lastEditor<Form>();
    }

    // "Edit ..." on the object's node.
    template <typename Form>
    Form* edit(int kind, const QString& name)
    {
        QTreeWidgetItem* node = objectNode(kind, name);
        if (!node)
            return nullptr;
        MainTree->Tree()->setCurrentItem(node);
        MainTree->Commands()->Edittable1Click();
        return lastEditor<Form>();
    }

    template <typename Form>
    Form* lastEditor() const
    {
        Form* found = nullptr;
        for (QWidget* child : MainForm->Children())
            if (auto* form = qobject_cast<Form*>(child))
                found = form;
        return found;
    }

    QStringList read(const QString& sql) const { return qvdebug::column(target, path, sql); }

    // A generator's value, all 64 bits of it (dialect 1's gen_id answers 32).
    QString generatorValue(const QString& name) const
    {
        TQvDatabase database;
        database.SetDBName(path);
        database.SetDBParams(qvtest::connectParams(target));
        database.Open();
        TQvTransaction transaction;
        transaction.AddDatabase(&database);
        TQvQuery query;
        query.SetDatabase(&database);
        query.SetTransaction(&transaction);
        query.SetSQLDialect(3);
        TQvTransactionScope scope(transaction);
        query.SetSQLText(QStringLiteral("select gen_id(%1, 0) from rdb$database").arg(name));
        query.ExecQuery();
        const QString value = query.Fields(0).AsString();
        query.Close();
        scope.Commit();
        return value;
    }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    QString path;
    quint64 id = 0;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(ObjectEditors, DomainIsCreatedThenItsDefaultAndCheckAltered)
{
    for (const int kind : {catDomains, catViews, catGenerators, catExceptions})
        EXPECT_TRUE(TObjectOpeners::Instance().HasNew(kind) && TObjectOpeners::Instance().HasEdit(kind));
    QPointer<TDomainForm> form = createNew<TDomainForm>(catDomains);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Create Domain"));
    EXPECT_FALSE(form->Modified());
    QTest::keyClicks(form->DName, QStringLiteral("d"));
    EXPECT_EQ(form->DName->text(), QStringLiteral("D"));
    EXPECT_TRUE(form->OkBtn->isEnabled());
    form->DType->setCurrentIndex(dtNumeric);
    EXPECT_EQ(form->SizePages->currentWidget()->objectName(), QStringLiteral("Precision"));
    form->fPrecision->setValue(9);
    form->FScale->setValue(2);
    // The default of a number type takes digits and the decimal separator
    // only: typed into the box, which holds the focus, as into its line edit.
    QTest::keyClicks(form->DDefault, QStringLiteral("x5") + LocaleSettings().decimalSeparator + QStringLiteral("5x"));
    EXPECT_EQ(form->DDefault->currentText(), QStringLiteral("5") + LocaleSettings().decimalSeparator + u'5');
    form->DDefault->setEditText(QString());
    QTest::keyClicks(form->DDefault->lineEdit(), QStringLiteral("x0"));
    EXPECT_EQ(form->DDefault->currentText(), QStringLiteral("0"));
    form->DNotNull->setChecked(true);
    EXPECT_FALSE(form->DCheckText->isEnabled());
    form->DCheck->setChecked(true);
    EXPECT_TRUE(form->DCheckText->isEnabled());
    form->DCheckText->setPlainText(QStringLiteral("VALUE > 0"));
    EXPECT_EQ(form->SaveStatement(),
              QStringLiteral("CREATE DOMAIN D AS Numeric(9,2) DEFAULT 0  NOT NULL  CHECK (VALUE > 0)"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(read(QStringLiteral("select cast(rdb$validation_source as varchar(200)) from rdb$fields where rdb$field_name = 'D'")),
              QStringList{QStringLiteral("CHECK (VALUE > 0)")});
    EXPECT_EQ(read(QStringLiteral("select rdb$null_flag from rdb$fields where rdb$field_name = 'D'")),
              QStringList{QStringLiteral("1")});

    form = edit<TDomainForm>(catDomains, QStringLiteral("D"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Edit Domain: D"));
    EXPECT_FALSE(form->Modified());
    EXPECT_TRUE(form->DName->isReadOnly());
    EXPECT_FALSE(form->DType->isEnabled());
    EXPECT_EQ(form->DType->currentText(), QStringLiteral("Numeric"));
    EXPECT_EQ(form->fPrecision->AsInteger(), 9);
    EXPECT_EQ(form->FScale->AsInteger(), 2);
    EXPECT_EQ(form->DDefault->currentText(), QStringLiteral("0"));
    EXPECT_TRUE(form->DNotNull->isChecked());
    EXPECT_TRUE(form->DCheck->isChecked());
    EXPECT_EQ(form->OldCheck, QStringLiteral("VALUE > 0"));
    // The same object again brings this window forward.
    EXPECT_EQ(edit<TDomainForm>(catDomains, QStringLiteral("D")), form.data());
    form->DDefault->setEditText(QString());
    form->DCheckText->setPlainText(QStringLiteral("VALUE > 1"));
    EXPECT_EQ(form->SaveStatement(), QStringLiteral("ALTER DOMAIN D DROP DEFAULT DROP CONSTRAINT ADD CHECK (VALUE > 1)"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_EQ(read(QStringLiteral("select cast(rdb$validation_source as varchar(200)) from rdb$fields where rdb$field_name = 'D'")),
              QStringList{QStringLiteral("CHECK (VALUE > 1)")});
    EXPECT_EQ(read(QStringLiteral("select coalesce(cast(rdb$default_source as varchar(200)), '-') from rdb$fields where rdb$field_name = 'D'")),
              QStringList{QStringLiteral("-")});

    // Changed and changed back: nothing is sent, and the window closes.
    form = edit<TDomainForm>(catDomains, QStringLiteral("D"));
    ASSERT_TRUE(form);
    form->DCheckText->setPlainText(QStringLiteral("VALUE > 2"));
    form->DCheckText->setPlainText(QStringLiteral("VALUE > 1"));
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->SaveStatement(), QString());
    ASSERT_TRUE(form->SaveChanges());
    settle();
    EXPECT_FALSE(form);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
}

// The server keeps a "--" comment that ends a default or a check with it;
// the editor shows the values, and a check typed with such a comment saves.
TEST_P(ObjectEditors, ADomainsCommentedDefaultAndCheckReadAsTheirValues)
{
    qvtest::execute(target, path,
                    {QStringLiteral("create domain DC as integer default 5 -- five\n check (value > 0) -- positive\n")});
    QPointer<TDomainForm> form = edit<TDomainForm>(catDomains, QStringLiteral("DC"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->DDefault->currentText(), QStringLiteral("5"));
    EXPECT_TRUE(form->DCheck->isChecked());
    EXPECT_EQ(form->DCheckText->toPlainText(), QStringLiteral("value > 0"));
    form->DCheckText->setPlainText(QStringLiteral("value > 1 -- more than one"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    // Only the check changed: the default is left as the server keeps it.
    const QStringList defaultSource = read(QStringLiteral("select cast(rdb$default_source as varchar(200)) "
                                                          "from rdb$fields where rdb$field_name = 'DC'"));
    ASSERT_EQ(defaultSource.size(), 1);
    EXPECT_TRUE(defaultSource[0].startsWith(QStringLiteral("default 5 -- five"))) << defaultSource[0].toStdString();
    const QStringList check = read(QStringLiteral("select cast(rdb$validation_source as varchar(200)) from rdb$fields "
                                                  "where rdb$field_name = 'DC'"));
    ASSERT_EQ(check.size(), 1);
    EXPECT_TRUE(check[0].contains(QStringLiteral("value > 1 -- more than one"))) << check[0].toStdString();

    form = edit<TDomainForm>(catDomains, QStringLiteral("DC"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->DCheckText->toPlainText(), QStringLiteral("value > 1 -- more than one"));
}

TEST_P(ObjectEditors, DomainDefaultsUserAndNullAreKeywordsAndBadNamesAreRefused)
{
    QPointer<TDomainForm> form = createNew<TDomainForm>(catDomains);
    ASSERT_TRUE(form);
    QTest::keyClicks(form->DName, QStringLiteral("who"));
    form->DType->setCurrentIndex(dtVarchar);
    EXPECT_EQ(form->SizePages->currentWidget()->objectName(), QStringLiteral("Size"));
    form->FSize->setValue(31);
    form->DDefault->setEditText(QStringLiteral("USER"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    // A new node under the listed category.
    EXPECT_NE(objectNode(catDomains, QStringLiteral("WHO")), nullptr);
    // Inserted without a value, the column gets the user's name, not the text "USER".
    qvtest::execute(target, path,
                    {QStringLiteral("create table U (N WHO, K integer)"), QStringLiteral("insert into U (K) values (1)")});
    EXPECT_EQ(read(QStringLiteral("select N from U")), QStringList{target.user.toUpper()});

    form = createNew<TDomainForm>(catDomains);
    ASSERT_TRUE(form);
    QTest::keyClicks(form->DName, QStringLiteral("maybe"));
    form->DType->setCurrentIndex(dtChar);
    form->FSize->setValue(4);
    form->DDefault->setEditText(QStringLiteral("null"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    qvtest::execute(target, path,
                    {QStringLiteral("create table M (N MAYBE, K integer)"), QStringLiteral("insert into M (K) values (1)")});
    EXPECT_EQ(read(QStringLiteral("select coalesce(N, '<null>') from M")), QStringList{QStringLiteral("<null>")});

    // The type box offers Integer when entered with nothing chosen, and the
    // size pages follow the type.
    form = createNew<TDomainForm>(catDomains);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->DType->currentIndex(), -1);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(form->DType, &focusIn);
    EXPECT_EQ(form->DType->currentText(), QStringLiteral("Integer"));
    const char* const pages[] = {"None", "None", "Precision", "None", "Size", "Size", "None"};
    for (int type = dtSmallint; type <= dtDate; ++type) {
        form->DType->setCurrentIndex(type);
        EXPECT_EQ(form->SizePages->currentWidget()->objectName(), QLatin1String(pages[type])) << type;
    }
    // Leaving a date default checks it.
    form->DDefault->setEditText(QStringLiteral("2021-02-31"));
    script.answerMessage(qv::mrOk);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(form->DDefault->lineEdit(), &focusOut);
    ASSERT_FALSE(script.messages().isEmpty());
    EXPECT_TRUE(script.messages().last().endsWith(QStringLiteral("is not a valid date")))
        << script.messages().last().toStdString();
    form->DDefault->setEditText(QStringLiteral("now"));
    const int shown = script.messages().size();
    QApplication::sendEvent(form->DDefault->lineEdit(), &focusOut);
    EXPECT_EQ(script.messages().size(), shown);
    form->DDefault->setEditText(QString());
    form->DName->setText(QStringLiteral("1D"));
    form->DType->setCurrentIndex(dtInteger);
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(script.messages().last(), QStringLiteral("\"1D\" is not valid domain name !"));
    // A reserved word: dialect 3 writes it quoted, dialect 1 cannot write it.
    form->DName->setText(QStringLiteral("VALUE"));
    form->MarkModified();
    if (dialect == 1) {
        script.answerMessage(qv::mrOk);
        EXPECT_FALSE(form->SaveChanges());
        EXPECT_EQ(script.messages().last(),
                  QStringLiteral("The name VALUE cannot be written in an SQL dialect 1 statement: it is a reserved word."));
        EXPECT_TRUE(form);
        script.answerMessage(qv::mrNo);
        form->close();
    } else {
        ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
        EXPECT_EQ(read(QStringLiteral("select count(*) from rdb$fields where rdb$field_name = 'VALUE'")),
                  QStringList{QStringLiteral("1")});
    }
    settle();
}

// Domains whose defaults the form shows in a way that a rewrite from the
// shown text would change: keywords, strings that read as keywords,
// character set introducers and binary literals.
struct DefaultKind
{
    const char* Domain;
    const char* Declaration;
    QString Value; // what a row inserted without a value holds
};

std::vector<DefaultKind> defaultKinds(const QString& user)
{
    return {{"D_TS", "timestamp default current_timestamp", QStringLiteral("now")},
            {"D_CU", "varchar(31) default current_user", user},
            {"D_CR", "varchar(31) default current_role", QStringLiteral("NONE")},
            {"D_SU", "varchar(10) default 'USER'", QStringLiteral("USER")},
            {"D_SN", "varchar(10) default 'NULL'", QStringLiteral("NULL")},
            {"D_IN", "varchar(10) character set utf8 default _UTF8 'abc'", QStringLiteral("abc")},
            {"D_X", "varchar(10) character set octets default x'4142'", QStringLiteral("AB")}};
}

TEST_P(ObjectEditors, ChangingOnlyADomainsCheckLeavesEveryKindOfDefaultAsItWas)
{
    const std::vector<DefaultKind> kinds = defaultKinds(target.user.toUpper());
    QStringList statements;
    QString columns = QStringLiteral("ID integer");
    for (const DefaultKind& kind : kinds) {
        statements << QStringLiteral("create domain %1 as %2 check (value is not null)")
                          .arg(QLatin1String(kind.Domain), QLatin1String(kind.Declaration));
        columns += QStringLiteral(", C%1 %1").arg(QLatin1String(kind.Domain));
    }
    statements << QStringLiteral("create table R (%1)").arg(columns);
    qvtest::execute(target, path, statements);
    const QString sources = QStringLiteral("select cast(rdb$default_source as varchar(200)) from rdb$fields "
                                           "where rdb$field_name starting with 'D_' order by rdb$field_name");
    const QStringList before = read(sources);
    ASSERT_EQ(before.size(), qsizetype(kinds.size()));

    for (const DefaultKind& kind : kinds) {
        QPointer<TDomainForm> form = edit<TDomainForm>(catDomains, QLatin1String(kind.Domain));
        ASSERT_TRUE(form) << kind.Domain;
        form->DCheckText->setPlainText(QStringLiteral("value is not null and 1 = 1"));
        ASSERT_TRUE(form->SaveChanges()) << kind.Domain << ": " << script.messages().join(u'\n').toStdString();
        settle();
    }
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(read(sources), before);
    EXPECT_EQ(read(QStringLiteral("select count(*) from rdb$fields where rdb$field_name starting with 'D_' "
                                  "and cast(rdb$validation_source as varchar(200)) containing '1 = 1'")),
              QStringList{QString::number(kinds.size())});

    qvtest::execute(target, path, {QStringLiteral("insert into R (ID) values (1)")});
    for (const DefaultKind& kind : kinds) {
        const QString column = QStringLiteral("C") + QLatin1String(kind.Domain);
        const QString value = kind.Value == QLatin1String("now")
            ? QStringLiteral("case when %1 > current_timestamp - 1 then 'now' end").arg(column)
            : QStringLiteral("cast(%1 as varchar(31))").arg(column);
        EXPECT_EQ(read(QStringLiteral("select coalesce(%1, '<null>') from R").arg(value)), QStringList{kind.Value})
            << kind.Domain;
    }
}

TEST_P(ObjectEditors, AChangedDomainDefaultMeansWhatWasTyped)
{
    const std::vector<DefaultKind> kinds = defaultKinds(target.user.toUpper());
    QStringList statements;
    for (const DefaultKind& kind : kinds)
        statements << QStringLiteral("create domain %1 as %2").arg(QLatin1String(kind.Domain), QLatin1String(kind.Declaration));
    // Each domain takes another kind's default, typed as a user would.
    const QList<std::pair<const char*, QString>> typed{
        {"D_TS", QStringLiteral("current_timestamp")},      {"D_CU", QStringLiteral("'USER'")},
        {"D_CR", QStringLiteral("CURRENT_USER")},      {"D_SU", QStringLiteral("current_role")},
        {"D_SN", QStringLiteral("NULL")},              {"D_IN", QStringLiteral("_UTF8 'xyz'")},
        {"D_X", QStringLiteral("X'4344'")}};
    QString columns = QStringLiteral("ID integer");
    for (const auto& [domain, text] : typed)
        columns += QStringLiteral(", C%1 %1").arg(QLatin1String(domain));
    statements << QStringLiteral("create table R (%1)").arg(columns);
    qvtest::execute(target, path, statements);
    for (const auto& [domain, text] : typed) {
        QPointer<TDomainForm> form = edit<TDomainForm>(catDomains, QLatin1String(domain));
        ASSERT_TRUE(form) << domain;
        form->DDefault->setEditText(QString());
        QTest::keyClicks(form->DDefault->lineEdit(), text);
        ASSERT_TRUE(form->SaveChanges()) << domain << ": " << script.messages().join(u'\n').toStdString();
        settle();
        // The server keeps what was sent (an introduced literal in its own spelling).
        const QStringList source = read(QStringLiteral("select cast(rdb$default_source as varchar(200)) from rdb$fields "
                                                       "where rdb$field_name = '%1'").arg(QLatin1String(domain)));
        ASSERT_EQ(source.size(), 1) << domain;
        if (text.front() != u'_') {
            EXPECT_EQ(source[0].compare(QStringLiteral("DEFAULT ") + text, Qt::CaseInsensitive), 0)
                << domain << ": " << source[0].toStdString();
        }
    }
    qvtest::execute(target, path, {QStringLiteral("insert into R (ID) values (1)")});
    EXPECT_EQ(read(QStringLiteral("select case when CD_TS > current_timestamp - 1 then 'now' end from R")),
              QStringList{QStringLiteral("now")});
    const QStringList values{QStringLiteral("USER"), target.user.toUpper(), QStringLiteral("NONE"),
                             QStringLiteral("<null>"), QStringLiteral("xyz"), QStringLiteral("CD")};
    for (qsizetype i = 1; i < typed.size(); ++i)
        EXPECT_EQ(read(QStringLiteral("select coalesce(cast(C%1 as varchar(31)), '<null>') from R")
                           .arg(QLatin1String(typed[i].first))),
                  QStringList{values[i - 1]})
            << typed[i].first;
}

TEST_P(ObjectEditors, GeneratorIsCreatedSetAndAFailedValueRetriedWithoutCreatingAgain)
{
    QPointer<TGeneratorForm> form = createNew<TGeneratorForm>(catGenerators);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Create Generator"));
    QTest::keyClicks(form->GenName, QStringLiteral("g"));
    form->GenValue->SetValue(10);
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(generatorValue(QStringLiteral("G")), QStringLiteral("10"));
    EXPECT_NE(objectNode(catGenerators, QStringLiteral("G")), nullptr);

    // The edit opener shows the current value; the name stays.
    form = edit<TGeneratorForm>(catGenerators, QStringLiteral("G"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Edit Generator: G"));
    EXPECT_TRUE(form->GenName->isReadOnly());
    EXPECT_EQ(form->GenValue->Value(), 10.0);
    EXPECT_FALSE(form->Modified());
    form->GenValue->SetText(QStringLiteral("4200000000123"));
    form->MarkModified();
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_EQ(generatorValue(QStringLiteral("G")), QStringLiteral("4200000000123"));
    form = edit<TGeneratorForm>(catGenerators, QStringLiteral("G"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->GenValue->Value(), 4200000000123.0);
    form->close();
    settle();

    // The value statement fails after the create: the window stays, and the
    // next save only sets the value.
    form = createNew<TGeneratorForm>(catGenerators);
    ASSERT_TRUE(form);
    QTest::keyClicks(form->GenName, QStringLiteral("h"));
    form->GenValue->SetValue(1e20);
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    settle();
    ASSERT_TRUE(form);
    EXPECT_EQ(script.messages().size(), 1);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Edit Generator: H"));
    EXPECT_EQ(read(QStringLiteral("select count(*) from rdb$generators where rdb$generator_name = 'H'")),
              QStringList{QStringLiteral("1")});
    form->GenValue->SetValue(7);
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(generatorValue(QStringLiteral("H")), QStringLiteral("7"));

    // A negative value creates the generator without setting it.
    form = createNew<TGeneratorForm>(catGenerators);
    ASSERT_TRUE(form);
    QTest::keyClicks(form->GenName, QStringLiteral("n"));
    form->GenValue->SetValue(-5);
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_EQ(generatorValue(QStringLiteral("N")), QStringLiteral("0"));

    // A bad name is refused before anything is sent.
    form = createNew<TGeneratorForm>(catGenerators);
    ASSERT_TRUE(form);
    form->GenName->setText(QStringLiteral("A-B"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(script.messages().last(), QStringLiteral("\"A-B\" is not valid generator name"));
    EXPECT_FALSE(form->Modified());
    form->close();
    settle();

    // The tree drops a generator with DROP GENERATOR.
    MainTree->Tree()->setCurrentItem(objectNode(catGenerators, QStringLiteral("G")));
    script.answerMessage(qv::mrYes);
    EXPECT_TRUE(MainTree->Commands()->Drop1Click()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(read(QStringLiteral("select count(*) from rdb$generators where rdb$generator_name = 'G'")),
              QStringList{QStringLiteral("0")});
}

TEST_P(ObjectEditors, ExceptionMessageWithQuestionMarkIsStoredAsTypedAndAltered)
{
    QPointer<TEditException> form = createNew<TEditException>(catExceptions);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Create Exception"));
    QTest::keyClicks(form->ExName, QStringLiteral("e"));
    QTest::keyClicks(form->ExText, QStringLiteral("Bad?"));
    pressKey(form, Qt::Key_F2);
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(read(QStringLiteral("select rdb$message from rdb$exceptions where rdb$exception_name = 'E'")),
              QStringList{QStringLiteral("Bad?")});
    EXPECT_NE(objectNode(catExceptions, QStringLiteral("E")), nullptr);

    form = edit<TEditException>(catExceptions, QStringLiteral("E"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Edit Exception: E"));
    EXPECT_EQ(form->ExText->toPlainText(), QStringLiteral("Bad?"));
    EXPECT_TRUE(form->ExName->isReadOnly());
    EXPECT_FALSE(form->Modified());
    form->ExText->setPlainText(QStringLiteral("It's \"worse\": :x ?") + QString(100, u'!'));
    EXPECT_EQ(form->ExText->toPlainText().size(), TEditException::MaxMessageLength);
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_EQ(read(QStringLiteral("select rdb$message from rdb$exceptions where rdb$exception_name = 'E'")),
              QStringList{QStringLiteral("It's \"worse\": :x ?") + QString(60, u'!')});

    form = createNew<TEditException>(catExceptions);
    ASSERT_TRUE(form);
    form->ExName->setText(QStringLiteral("2E"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(script.messages().last(), QStringLiteral("\"2E\" is not valid exception name"));
    EXPECT_FALSE(form->Modified());
    form->close();
    settle();
    EXPECT_FALSE(form);
}

// A link word opens the object it names: a mixed-case name its own table,
// the same word unquoted the upper-case one.
TEST_P(ObjectEditors, LinkWordsOpenTheObjectTheyName)
{
    if (dialect == 1)
        GTEST_SKIP() << "only dialect 3 has quoted names";
    const auto shownFor = [this](const QString& word) {
        QString shown;
        script.onModal([&shown](QDialog& dialog) {
            if (auto* preview = qobject_cast<TProcPreview*>(&dialog))
                shown = preview->Memo()->Text();
            dialog.accept();
        });
        ShowLinkedObject(id, word);
        return shown;
    };
    const QString mixed = shownFor(QStringLiteral("MyTab"));
    EXPECT_TRUE(mixed.contains(QStringLiteral("CREATE TABLE \"MyTab\" (\r\n       \"Low\" "))) << mixed.toStdString();
    const QString upper = shownFor(QStringLiteral("mytab"));
    EXPECT_TRUE(upper.contains(QStringLiteral("CREATE TABLE MYTAB (\r\n       UP "))) << upper.toStdString();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join(u'\n').toStdString();
}

TEST_P(ObjectEditors, ViewEditReplacesTheViewOnlyWhenTheServerTakesTheNewText)
{
    QPointer<TViewForm> form = edit<TViewForm>(catViews, QStringLiteral("V"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Edit View: V"));
    EXPECT_TRUE(form->SQLText->Text().startsWith(QStringLiteral("CREATE VIEW V(A)\r\nAS\r\n")))
        << form->SQLText->Text().toStdString();
    EXPECT_FALSE(form->Modified());
    // The database's tables are links: a click shows the table's text.
    QString shown;
    script.onModal([&shown](QDialog& dialog) {
        if (auto* preview = qobject_cast<TProcPreview*>(&dialog))
            shown = preview->Memo()->Text();
        dialog.accept();
    });
    ASSERT_TRUE(form->SQLText->OnHyperLinkClick);
    form->SQLText->OnHyperLinkClick(form->SQLText, QStringLiteral("t"));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("CREATE TABLE T"))) << shown.toStdString();

    // A plain select is refused, and the view stays.
    form->SQLText->SetText(QStringLiteral("select A from T"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(script.messages().last(), QStringLiteral("Error in statement !"));
    EXPECT_EQ(read(QStringLiteral("select A from V")), QStringList{QStringLiteral("1")});

    // A text that fails only when it runs: the view stays, and the message says so.
    form->SQLText->SetText(QStringLiteral("CREATE VIEW V(A) AS select NO_SUCH_COLUMN from T"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(MainForm->StatusPanel(0), QStringLiteral("Error in query !"));
    EXPECT_TRUE(script.messages().last().contains(QStringLiteral("NO_SUCH_COLUMN")))
        << script.messages().last().toStdString();
    EXPECT_TRUE(script.messages().last().startsWith(
        QStringLiteral("The server refused the new text; the view V is unchanged.")));

    // A text for another view never replaces that one.
    form->SQLText->SetText(QStringLiteral("CREATE VIEW W(A) AS select A from T"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(script.messages().last(),
              QStringLiteral("The text names the view W: the view V keeps its name when it is edited."));
    EXPECT_EQ(read(QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = 'W'")),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(read(QStringLiteral("select A from V")), QStringList{QStringLiteral("1")});
    EXPECT_FALSE(form->RunT->Active());

    // Syntax the server does not take at all.
    form->SQLText->SetText(QStringLiteral("CREATE VIEW V(A) AS selec A from T"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_EQ(read(QStringLiteral("select A from V")), QStringList{QStringLiteral("1")});

    // A good text replaces the view.
    form->SQLText->SetText(QStringLiteral("CREATE VIEW V(A, B) AS select A, A + 1 from T"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(read(QStringLiteral("select B from V")), QStringList{QStringLiteral("2")});

    // Dialect 3 names that need quotes are quoted when the view is replaced.
    if (dialect == 3) {
        form = edit<TViewForm>(catViews, QStringLiteral("Low v"));
        ASSERT_TRUE(form);
        EXPECT_TRUE(form->SQLText->Text().startsWith(QStringLiteral("CREATE VIEW \"Low v\"(A)")))
            << form->SQLText->Text().toStdString();
        form->SQLText->SetText(QStringLiteral("CREATE VIEW \"Low v\"(A, C) AS select A, A + 2 from T"));
        ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
        settle();
        EXPECT_EQ(read(QStringLiteral("select C from \"Low v\"")), QStringList{QStringLiteral("3")});
    }

    // A new view appears in the tree.
    form = createNew<TViewForm>(catViews);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Create View"));
    form->SQLText->SetText(QStringLiteral("CREATE VIEW W(A) AS select A from T"));
    form->MarkModified();
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_EQ(read(QStringLiteral("select A from W")), QStringList{QStringLiteral("1")});
    EXPECT_NE(objectNode(catViews, QStringLiteral("W")), nullptr);
}

TEST_P(ObjectEditors, AnEditedViewKeepsItsGrantsAndItsDependants)
{
    const QString privileges = QStringLiteral(
        "select trim(rdb$user) || ' ' || rdb$privilege || ' ' || rdb$grant_option || ' ' "
        "|| coalesce(trim(rdb$field_name), '-') || ' ' || rdb$user_type from rdb$user_privileges "
        "where rdb$relation_name = 'V' order by 1");
    qvtest::execute(target, path,
                    {QStringLiteral("grant select on V to public with grant option"),
                     QStringLiteral("grant select, update (A) on V to SOMEONE"),
                     QStringLiteral("create view DV (A) as select A from V")});
    const QStringList before = read(privileges);
    ASSERT_GE(before.size(), 3) << before.join(u'\n').toStdString();

    QPointer<TViewForm> form = edit<TViewForm>(catViews, QStringLiteral("V"));
    ASSERT_TRUE(form);
    // A text that would take a column from the dependent view is refused:
    // the window stays with the text, the view as it was.
    const QString refused = QStringLiteral("CREATE VIEW V(B) AS select A from T");
    form->SQLText->SetText(refused);
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(form->SaveChanges());
    EXPECT_TRUE(script.messages().last().startsWith(
        QStringLiteral("The server refused the new text; the view V is unchanged.")))
        << script.messages().last().toStdString();
    settle();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->SQLText->Text().trimmed(), refused);
    EXPECT_EQ(read(QStringLiteral("select A from DV")), QStringList{QStringLiteral("1")});

    form->SQLText->SetText(QStringLiteral("CREATE VIEW V(A) AS\r\nselect A * 10 from T"));
    ASSERT_TRUE(form->SaveChanges()) << script.messages().join(u'\n').toStdString();
    settle();
    EXPECT_FALSE(form);
    EXPECT_EQ(read(privileges), before);
    EXPECT_EQ(read(QStringLiteral("select A from DV")), QStringList{QStringLiteral("10")});
    const QStringList source =
        read(QStringLiteral("select cast(rdb$view_source as varchar(200)) from rdb$relations where rdb$relation_name = 'V'"));
    ASSERT_EQ(source.size(), 1);
    EXPECT_TRUE(source.first().contains(QStringLiteral("A * 10"))) << source.first().toStdString();
}

TEST_P(ObjectEditors, ObjectsWithQuotedNamesAreEditedUnderTheirExactNames)
{
    if (dialect != 3)
        GTEST_SKIP() << "only dialect 3 has quoted names";
    QPointer<TEditException> exception = edit<TEditException>(catExceptions, QStringLiteral("Low e"));
    ASSERT_TRUE(exception);
    EXPECT_EQ(exception->ExText->toPlainText(), QStringLiteral("x"));
    exception->ExText->setPlainText(QStringLiteral("y"));
    ASSERT_TRUE(exception->SaveChanges()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(read(QStringLiteral("select rdb$message from rdb$exceptions where rdb$exception_name = 'Low e'")),
              QStringList{QStringLiteral("y")});

    QPointer<TGeneratorForm> generator = edit<TGeneratorForm>(catGenerators, QStringLiteral("Low g"));
    ASSERT_TRUE(generator);
    generator->GenValue->SetValue(5);
    generator->MarkModified();
    ASSERT_TRUE(generator->SaveChanges()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(generatorValue(QStringLiteral("\"Low g\"")), QStringLiteral("5"));

    QPointer<TDomainForm> domain = edit<TDomainForm>(catDomains, QStringLiteral("Low d"));
    ASSERT_TRUE(domain);
    EXPECT_EQ(domain->DType->currentText(), QStringLiteral("Integer"));
    domain->DDefault->setEditText(QStringLiteral("3"));
    ASSERT_TRUE(domain->SaveChanges()) << script.messages().join(u'\n').toStdString();
    EXPECT_EQ(read(QStringLiteral("select cast(rdb$default_source as varchar(200)) from rdb$fields "
                                  "where rdb$field_name = 'Low d'")),
              QStringList{QStringLiteral("DEFAULT 3")});
    settle();
    EXPECT_FALSE(exception || generator || domain);
}

INSTANTIATE_TEST_SUITE_P(Targets, ObjectEditors, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);

} // namespace
