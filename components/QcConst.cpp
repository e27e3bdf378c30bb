#include "components/QcConst.h"

QCursor CursorById(int id)
{
    switch (id) {
    case crHand: return QCursor(Qt::PointingHandCursor);
    case crDragHand: return QCursor(Qt::ClosedHandCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}
