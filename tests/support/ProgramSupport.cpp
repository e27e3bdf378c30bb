#include "support/ProgramSupport.h"

#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/Startup.h"

#include <QTreeWidgetItem>

namespace qvtest {

RunningProgram::RunningProgram(const std::function<void()>& installCommands)
    : m_list(std::make_unique<TDBListScope>())
    , m_startup(std::make_unique<TQorvaneStartup>())
{
    if (installCommands)
        installCommands();
    m_startup->Show();
}

RunningProgram::~RunningProgram()
{
    m_startup.reset();
    m_list.reset();
}

void RunningProgram::closeWindows()
{
    m_startup.reset();
}

QTreeWidgetItem* databaseNode(const QString& name)
{
    QTreeWidgetItem* top = MainTree->TopNode();
    for (int i = 0; i < top->childCount(); ++i)
        if (top->child(i)->text(0) == name)
            return top->child(i);
    return nullptr;
}

} // namespace qvtest
