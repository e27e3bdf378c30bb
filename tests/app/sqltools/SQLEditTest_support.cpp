#include "SQLEditTest_support.h"

#include "access/QvQuery.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/SQLEdit.h"
#include "editor/qeCustomEdit.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalBarSeries>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace qvsql {

void clickNavigator(TFDataView& view, QAction* action)
{
    ASSERT_TRUE(action->isEnabled()) << qPrintable(action->objectName());
    QWidget* button = view.DBNavigator1->widgetForAction(action);
    ASSERT_TRUE(button && button->isVisible()) << qPrintable(action->objectName());
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList tableStatements(int rows)
{
    return {QStringLiteral("create table T (ID integer not null primary key, NAME varchar(20))"),
            QStringLiteral("execute block as declare i integer = 1; begin"
                           " while (i <= %1) do begin insert into T values (:i, 'name ' || :i); i = i + 1; end end")
                .arg(rows)};
}

QString scalar(const qvtest::Target& target, const QString& path, const QString& sql)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(connectParams(target));
    database.Open();
    QString value;
    {
        TQvTransaction transaction;
        transaction.AddDatabase(&database);
        TQvQuery query;
        query.SetDatabase(&database);
        query.SetTransaction(&transaction);
        transaction.StartTransaction();
        query.SetSQLText(sql);
        query.ExecQuery();
        if (!query.Eof())
            value = query.Fields(0).AsString();
        query.Close();
        transaction.Commit();
    }
    database.Close();
    return value;
}

QStringList queryRows(TQvDatabase& database, const QString& sql)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    transaction.StartTransaction();
    query.SetSQLText(sql);
    query.ExecQuery();
    QStringList result;
    for (; !query.Eof(); query.Next()) {
        QStringList fields;
        for (int i = 0; i < query.Current().Count(); ++i)
            fields << (query.Fields(i).IsNull() ? QStringLiteral("<null>") : query.Fields(i).AsString());
        result << fields.join(QLatin1Char('|'));
    }
    query.Close();
    transaction.Commit();
    return result;
}

QStringList rows(const qvtest::Target& target, const QString& path, const QString& sql)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(connectParams(target));
    database.Open();
    const QStringList result = queryRows(database, sql);
    database.Close();
    return result;
}

RegisteredDatabases::RegisteredDatabases()
    : m_list(std::make_unique<TDBListScope>())
{
}

RegisteredDatabases::~RegisteredDatabases()
{
    for (auto& [id, database] : m_databases) {
        if (database && database->Connected())
            database->ForceClose();
    }
    m_databases.clear();
    m_list.reset();
}

quint64 RegisteredDatabases::add(const QString& name, const qvtest::Target& target, const QString& path)
{
    const int index = DBList->Add(name);
    DBList->SetPath(index, path);
    DBList->SetUser(index, target.user);
    DBList->SetPassword(index, target.password);
    auto database = std::make_unique<TQvDatabase>();
    database->SetDBName(path);
    database->SetDBParams(connectParams(target));
    database->Open();
    DBList->SetDatabase(index, database.get());
    const quint64 id = DBList->GetId(index);
    m_databases.emplace_back(id, std::move(database));
    return id;
}

TQvDatabase* RegisteredDatabases::database(quint64 id) const
{
    for (const auto& [entry, database] : m_databases)
        if (entry == id)
            return database.get();
    return nullptr;
}

void RegisteredDatabases::freeDatabase(quint64 id)
{
    for (auto& [entry, database] : m_databases)
        if (entry == id)
            database.reset();
}

std::vector<ChartBar> chartBars(const QChartView* chart)
{
    std::vector<ChartBar> bars;
    QHorizontalBarSeries* series = TSQLEditor::SeriesOf(chart);
    if (!series || series->barSets().isEmpty())
        return bars;
    const QBarSet* set = series->barSets().first();
    QStringList labels;
    for (QAbstractAxis* axis : chart->chart()->axes(Qt::Vertical))
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
            labels = categories->categories();
    for (int i = 0; i < set->count(); ++i)
        bars.push_back({i < labels.size() ? labels.at(i) : QString(), set->at(i), set->isBarSelected(i)});
    return bars;
}

void SQLEditorFixture::useOwnRegistry()
{
    m_registry.emplace(dir);
}

void SQLEditorFixture::openEditor(const QString& name, const QSize& size)
{
    databases = std::make_unique<RegisteredDatabases>();
    id = databases->add(name, target, path);
    editor = new TSQLEditor(id);
    if (size.isValid())
        editor->resize(size);
    editor->show();
}

void SQLEditorFixture::TearDown()
{
    if (editor) {
        if (editor->RunT->Active())
            editor->RunT->Rollback();
        delete editor.data();
    }
    databases.reset();
    m_registry.reset();
}

void SQLEditorFixture::run(const QString& sql)
{
    editor->SQLText->SetText(sql);
    editor->RunBtnClick();
}

} // namespace qvsql
