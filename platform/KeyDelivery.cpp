#include "platform/KeyDelivery.h"

#include <QApplication>
#include <QWidget>

bool IsFirstKeyDelivery(const QWidget& window, const QWidget& target)
{
    const QWidget* focus = QApplication::focusWidget();
    const bool first = &target == focus || (!(focus && window.isAncestorOf(focus)) && &target == &window);
    return first && (&target == &window || window.isAncestorOf(&target));
}

bool IsFirstKeyDelivery(const QWidget& window, const QObject& watched)
{
    return watched.isWidgetType() && IsFirstKeyDelivery(window, static_cast<const QWidget&>(watched));
}
