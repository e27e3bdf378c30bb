#include "components/PanelBevel.h"

#include <QPainter>
#include <QPalette>

void DrawPanelBevel(QPainter& painter, QRect& rect, TPanelBevel bevel, int width,
                    const QPalette& palette)
{
    if (bevel == TPanelBevel::bvNone || width <= 0)
        return;
    if (bevel != TPanelBevel::bvSpace) {
        const QColor light = palette.color(QPalette::Light);
        const QColor dark = palette.color(QPalette::Dark);
        const QColor& topLeft = bevel == TPanelBevel::bvRaised ? light : dark;
        const QColor& bottomRight = bevel == TPanelBevel::bvRaised ? dark : light;
        for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
            const QRect r = rect.adjusted(i, i, -i, -i);
            if (r.width() <= 0 || r.height() <= 0)
                break;
            painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
            painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
            painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
            painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        }
    }
    rect.adjust(width, width, -width, -width);
}
