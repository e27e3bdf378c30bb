#pragma once

// The whole program as main() runs it, for the tests of the windows that
// live inside it.

#include <functional>
#include <memory>

class QString;
class QTreeWidgetItem;
class TDBListScope;
class TQorvaneStartup;

namespace qvtest {

// The registered-database list, then the windows, shown; the commands of the
// library under test go in before the windows show, as main() installs them.
class RunningProgram
{
public:
    explicit RunningProgram(const std::function<void()>& installCommands = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    TQorvaneStartup& startup() { return *m_startup; }
    // Frees the windows (the tree closes its connections), keeping the list.
    void closeWindows();

private:
    std::unique_ptr<TDBListScope> m_list;
    std::unique_ptr<TQorvaneStartup> m_startup;
};

// The tree's database node of that name, or none.
QTreeWidgetItem* databaseNode(const QString& name);

} // namespace qvtest
