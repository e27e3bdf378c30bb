#include "app/shell/MdiPlacement.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <algorithm>

namespace {

void FitNow(QMdiSubWindow* sub)
{
    QMdiArea* area = sub->mdiArea();
    QWidget* viewport = area ? area->viewport() : nullptr;
    // Before the main window is up the area has no size worth fitting into.
    if (!viewport || !viewport->isVisible())
        return;
    if (sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect fitted = FitIntoArea(sub->geometry(), sub->minimumSizeHint().expandedTo(sub->minimumSize()),
                                     viewport->rect());
    if (fitted != sub->geometry())
        sub->setGeometry(fitted);
}

// Watches one MDI child for its first show, then goes.
class TFitOnShow : public QObject
{
public:
    explicit TFitOnShow(QMdiSubWindow* sub)
        : QObject(sub)
        , m_sub(sub)
    {
        sub->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window's own show (its stored placement restored) came first:
        // a window's children hear of a show before the window itself.
        if (watched == m_sub && event->type() == QEvent::Show && !event->spontaneous()) {
            FitNow(m_sub);
            m_sub->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QMdiSubWindow> m_sub;
};

} // namespace

QRect FitIntoArea(const QRect& window, const QSize& minimum, const QRect& area)
{
    const QSize size = window.size().boundedTo(area.size()).expandedTo(minimum);
    const int left = std::max(area.left(), std::min(window.left(), area.right() + 1 - size.width()));
    const int top = std::max(area.top(), std::min(window.top(), area.bottom() + 1 - size.height()));
    return QRect(QPoint(left, top), size);
}

void KeepInsideAreaWhenShown(QMdiSubWindow* sub)
{
    if (!sub)
        return;
    if (sub->isVisible())
        FitNow(sub);
    else
        new TFitOnShow(sub);
}
