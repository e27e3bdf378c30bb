#include "components/EditGlyphs.h"

#include <QPainter>

namespace {

QImage Blank(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A filled triangle pointing left or right, `size` pixels high at its base.
void Arrow(QPainter& painter, int x, int top, int size, bool left, const QColor& color)
{
    const int half = size / 2;
    for (int i = 0; i <= half; ++i) {
        const int height = size - 2 * i;
        const int column = left ? x + half - i : x + i;
        painter.fillRect(QRect(column, top + i, 1, height), color);
    }
}

void CalendarLeaf(QPainter& painter, int x, const QColor& ink, const QColor& header)
{
    painter.fillRect(QRect(x + 1, 2, 12, 10), QColor(255, 255, 254));
    painter.fillRect(QRect(x + 1, 2, 12, 3), header);
    painter.setPen(ink);
    painter.drawRect(QRect(x + 1, 2, 11, 9));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            painter.fillRect(QRect(x + 3 + 2 * column, 6 + 2 * row, 1, 1), ink);
}

} // namespace

QImage FileEditGlyph()
{
    QImage image = Blank(14, 12);
    QPainter painter(&image);
    const QColor ink(0, 0, 0);
    const QColor face(255, 220, 96);
    painter.fillRect(QRect(1, 3, 12, 8), face);
    painter.fillRect(QRect(1, 2, 5, 2), face);
    painter.setPen(ink);
    painter.drawRect(QRect(1, 3, 11, 7));
    painter.drawLine(1, 2, 5, 2);
    painter.drawLine(6, 2, 6, 3);
    painter.end();
    image.setPixel(0, image.height() - 1, qRgb(255, 255, 255));
    return image;
}

QImage DateEditGlyph()
{
    QImage image = Blank(28, 13);
    QPainter painter(&image);
    CalendarLeaf(painter, 0, QColor(0, 0, 0), QColor(192, 0, 0));
    CalendarLeaf(painter, 14, QColor(128, 128, 128), QColor(160, 160, 160));
    painter.end();
    image.setPixel(0, image.height() - 1, qRgb(255, 255, 255));
    return image;
}

QImage CalendarStepGlyph(int index)
{
    QImage image = Blank(11, 9);
    QPainter painter(&image);
    const QColor ink(0, 0, 0);
    const bool left = index < 2;
    const bool twice = index == 0 || index == 3;
    if (twice) {
        Arrow(painter, 1, 1, 7, left, ink);
        Arrow(painter, 5, 1, 7, left, ink);
    } else {
        Arrow(painter, 3, 1, 7, left, ink);
    }
    painter.end();
    image.setPixel(0, image.height() - 1, qRgb(255, 255, 255));
    return image;
}
