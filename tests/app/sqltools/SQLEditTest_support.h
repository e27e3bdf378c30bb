#pragma once

// A registered, connected test database for the SQL editor's tests: the
// registered-database list with one entry whose connection the fixture owns,
// a throwaway dialect-1 database with a small table T, and helpers to read
// the editor's charts.

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "support/DatabaseSupport.h"
#include "support/TestSupport.h"

#include <QPointer>
#include <QSize>
#include <QStringList>

#include <memory>
#include <optional>

class TSQLEditor;
class TFDataView;
class QAction;
class QChartView;

namespace qvsql {

using qvtest::connectParams;
using qvtest::createDatabase;
using qvtest::execute;

// Statements that make T (ID primary key, NAME) with rows 1..rows.
QStringList tableStatements(int rows);
// The first column of the first row of a query, read on a connection of its own.
QString scalar(const qvtest::Target& target, const QString& path, const QString& sql);
// Every row of a query as "a|b|c" (null as "<null>"), read in a transaction
// of its own on an open connection.
QStringList queryRows(TQvDatabase& database, const QString& sql);
// The same on a connection of its own.
QStringList rows(const qvtest::Target& target, const QString& path, const QString& sql);

// Clicks the data view's navigator button of the action, as a user does;
// the action must be enabled and its button shown.
void clickNavigator(TFDataView& view, QAction* action);

// The list (for the fixture's life) with registered, connected databases.
class RegisteredDatabases
{
public:
    RegisteredDatabases();
    ~RegisteredDatabases();
    RegisteredDatabases(const RegisteredDatabases&) = delete;
    RegisteredDatabases& operator=(const RegisteredDatabases&) = delete;

    // Registers the database under the name, connects it and returns the
    // entry's identity.
    quint64 add(const QString& name, const qvtest::Target& target, const QString& path);
    TQvDatabase* database(quint64 id) const;
    // Frees a connection as the tree does at shutdown.
    void freeDatabase(quint64 id);

private:
    std::unique_ptr<TDBListScope> m_list;
    std::vector<std::pair<quint64, std::unique_ptr<TQvDatabase>>> m_databases;
};

// One bar of a chart as drawn: label, value and whether it is drawn in the
// second colour (indexed reads).
struct ChartBar
{
    QString label;
    double value = 0;
    bool second = false;
};
std::vector<ChartBar> chartBars(const QChartView* chart);

// An editor on a registered test database, the registry file in the test's
// own folder. Whatever a test left open goes without a question, and the
// registry setting is put back.
class SQLEditorFixture : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    // First thing in SetUp, once the test is not skipped.
    void useOwnRegistry();
    // Registers and connects path under the name and shows an editor on it,
    // resized when a size is given.
    void openEditor(const QString& name, const QSize& size = {});
    void TearDown() override;

    // Types a statement and runs it.
    void run(const QString& sql);

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    std::unique_ptr<RegisteredDatabases> databases;
    quint64 id = 0;
    QPointer<TSQLEditor> editor;

private:
    std::optional<qvtest::RegistryFileIn> m_registry;
};

} // namespace qvsql
