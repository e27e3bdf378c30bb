#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace qv {

namespace {
int g_depth = 0;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++g_depth;
}

WaitCursor::~WaitCursor()
{
    --g_depth;
    QApplication::restoreOverrideCursor();
}

int WaitCursor::depth()
{
    return g_depth;
}

} // namespace qv
