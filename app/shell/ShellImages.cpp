#include "app/shell/ShellImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

QImage draw(const Painter& paint)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    paint(p);
    return image;
}

void cylinder(QPainter& p, const QColor& body, qreal x = 2, qreal w = 12)
{
    p.setPen(QPen(body.darker(170), 1));
    p.setBrush(body);
    QPainterPath path;
    path.moveTo(x, 4);
    path.lineTo(x, 12);
    path.arcTo(QRectF(x, 10, w, 4), 180, 180);
    path.lineTo(x + w, 4);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(body.lighter(140));
    p.drawEllipse(QRectF(x, 2, w, 4));
}

void grid(QPainter& p, const QColor& head)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.fillRect(QRectF(2, 3, 12, 3), head);
    p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
    p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
    p.drawLine(QPointF(6, 6.5), QPointF(6, 13.5));
    p.drawLine(QPointF(10.5, 6.5), QPointF(10.5, 13.5));
}

void folder(QPainter& p, bool open)
{
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 3, 5, 2));
    if (open) {
        p.setBrush(QColor(255, 225, 120));
        QPolygonF flap{QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)};
        p.drawPolygon(flap);
    }
}

void letter(QPainter& p, const QString& text, const QColor& color, int size = 9)
{
    QFont font;
    font.setPixelSize(size);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, text);
}

void badge(QPainter& p, const QColor& fill, const QString& text)
{
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    letter(p, text, Qt::white);
}

void plus(QPainter& p, const QColor& color)
{
    p.setPen(QPen(color, 2));
    p.drawLine(QPointF(11, 9), QPointF(11, 15));
    p.drawLine(QPointF(8, 12), QPointF(14, 12));
}

void cross(QPainter& p)
{
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(9, 9), QPointF(15, 15));
    p.drawLine(QPointF(15, 9), QPointF(9, 15));
}

void minus(QPainter& p)
{
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(8, 12), QPointF(15, 12));
}

void page(QPainter& p)
{
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 13));
    p.setPen(QPen(QColor(120, 120, 200), 1));
    for (int y = 4; y < 13; y += 2)
        p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
}

QImage treeImage(int index)
{
    switch (index) {
    case 0:
    case 1:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(40, 40, 40), 1));
            p.setBrush(QColor(180, 200, 230));
            p.drawRect(QRectF(1.5, 2.5, 13, 9));
            p.fillRect(QRectF(3, 4, 10, 6), QColor(40, 90, 170));
            p.setBrush(QColor(120, 120, 120));
            p.drawRect(QRectF(4.5, 12.5, 7, 2));
        });
    case 2:
    case 3:
        return draw([](QPainter& p) { cylinder(p, QColor(60, 130, 200)); });
    case 4:
        return draw([](QPainter& p) { folder(p, false); });
    case 5:
        return draw([](QPainter& p) { folder(p, true); });
    case 6:
    case 7:
        return draw([](QPainter& p) { grid(p, QColor(70, 110, 190)); });
    case 8:
        return draw([](QPainter& p) { badge(p, QColor(120, 90, 170), QStringLiteral("D")); });
    case 9:
        return draw([](QPainter& p) {
            grid(p, QColor(60, 160, 90));
            p.setPen(QPen(QColor(20, 90, 40), 1.5));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(8, 8, 7, 7));
        });
    case 10:
        return draw([](QPainter& p) { badge(p, QColor(200, 120, 30), QStringLiteral("P")); });
    case 11:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(150, 110, 0), 1));
            p.setBrush(QColor(250, 210, 30));
            QPolygonF bolt{QPointF(9, 1), QPointF(3, 9), QPointF(7.5, 9), QPointF(6, 15), QPointF(13, 6),
                           QPointF(8.5, 6)};
            p.drawPolygon(bolt);
        });
    case 12:
        return draw([](QPainter& p) { badge(p, QColor(40, 150, 150), QStringLiteral("G")); });
    case 13:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(150, 0, 0), 1));
            p.setBrush(QColor(220, 40, 40));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            letter(p, QStringLiteral("!"), Qt::white, 11);
        });
    default:
        return draw([](QPainter& p) { badge(p, QColor(90, 90, 90), QStringLiteral("f")); });
    }
}

} // namespace

const QList<QIcon>& TreeImageList()
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list;
        for (int i = 0; i <= tiFunction; ++i)
            list << QIcon(QPixmap::fromImage(treeImage(i)));
        return list;
    }();
    return icons;
}

QImage CommandImage(TCommandImage image)
{
    switch (image) {
    case ciCreateDB:
        return draw([](QPainter& p) { cylinder(p, QColor(60, 130, 200), 1, 10); plus(p, QColor(0, 140, 0)); });
    case ciDropDB:
        return draw([](QPainter& p) { cylinder(p, QColor(60, 130, 200), 1, 10); cross(p); });
    case ciRegisterDB:
        return draw([](QPainter& p) {
            cylinder(p, QColor(100, 170, 100), 1, 10);
            plus(p, QColor(0, 90, 200));
        });
    case ciUnregisterDB:
        return draw([](QPainter& p) { cylinder(p, QColor(100, 170, 100), 1, 10); minus(p); });
    case ciCloseDB:
        return draw([](QPainter& p) {
            cylinder(p, QColor(150, 150, 150), 1, 10);
            p.setPen(QPen(QColor(60, 60, 60), 1.5));
            p.setBrush(QColor(230, 190, 60));
            p.drawRect(QRectF(9.5, 9.5, 5, 5));
        });
    case ciRefresh:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(20, 120, 40), 2));
            p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 280 * 16);
            p.setBrush(QColor(20, 120, 40));
            p.setPen(Qt::NoPen);
            p.drawPolygon(QPolygonF{QPointF(10, 1), QPointF(15, 4), QPointF(10, 7)});
        });
    case ciDataView:
        return draw([](QPainter& p) { grid(p, QColor(200, 80, 60)); });
    case ciExecSQL:
        return draw([](QPainter& p) {
            page(p);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 150, 0));
            p.drawPolygon(QPolygonF{QPointF(8, 7), QPointF(15, 11), QPointF(8, 15)});
        });
    case ciNew:
        return draw([](QPainter& p) { page(p); plus(p, QColor(0, 140, 0)); });
    case ciEdit:
        return draw([](QPainter& p) {
            page(p);
            p.setPen(QPen(QColor(180, 120, 0), 2.5));
            p.drawLine(QPointF(7, 14), QPointF(15, 6));
        });
    case ciDrop:
        return draw([](QPainter& p) { page(p); cross(p); });
    case ciDescription:
        return draw([](QPainter& p) { badge(p, QColor(230, 200, 90), QStringLiteral("i")); });
    case ciDependencies:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(120, 160, 220));
            p.drawRect(QRectF(1.5, 1.5, 6, 5));
            p.drawRect(QRectF(8.5, 9.5, 6, 5));
            p.drawLine(QPointF(4.5, 6.5), QPointF(4.5, 12));
            p.drawLine(QPointF(4.5, 12), QPointF(8.5, 12));
        });
    case ciExtract:
        return draw([](QPainter& p) {
            cylinder(p, QColor(60, 130, 200), 1, 8);
            p.setPen(QPen(QColor(0, 120, 0), 2));
            p.drawLine(QPointF(8, 8), QPointF(15, 8));
            p.drawLine(QPointF(12, 5), QPointF(15, 8));
            p.drawLine(QPointF(12, 11), QPointF(15, 8));
        });
    case ciScript:
        return draw([](QPainter& p) { page(p); letter(p, QStringLiteral("S"), QColor(0, 90, 180), 8); });
    case ciOptions:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(80, 80, 80), 3));
            for (int a = 0; a < 180; a += 45) {
                p.save();
                p.translate(8, 8);
                p.rotate(a);
                p.drawLine(QPointF(-7, 0), QPointF(7, 0));
                p.restore();
            }
            p.setPen(QPen(QColor(80, 80, 80), 1));
            p.setBrush(QColor(200, 200, 200));
            p.drawEllipse(QRectF(3, 3, 10, 10));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(6, 6, 4, 4));
        });
    case ciExit:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(90, 60, 30), 1));
            p.setBrush(QColor(170, 120, 60));
            p.drawRect(QRectF(2.5, 1.5, 8, 13));
            p.setPen(QPen(QColor(200, 0, 0), 2));
            p.drawLine(QPointF(8, 8), QPointF(15, 8));
            p.drawLine(QPointF(12, 5), QPointF(15, 8));
            p.drawLine(QPointF(12, 11), QPointF(15, 8));
        });
    case ciCut:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1.5));
            p.drawLine(QPointF(5, 1), QPointF(10, 10));
            p.drawLine(QPointF(11, 1), QPointF(6, 10));
            p.drawEllipse(QRectF(2, 10, 4, 4));
            p.drawEllipse(QRectF(10, 10, 4, 4));
        });
    case ciCopy:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(80, 80, 80), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 1.5, 8, 10));
            p.drawRect(QRectF(6.5, 4.5, 8, 10));
        });
    case ciPaste:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(90, 60, 30), 1));
            p.setBrush(QColor(190, 140, 80));
            p.drawRect(QRectF(2.5, 2.5, 10, 12));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(6.5, 6.5, 8, 8));
        });
    case ciSave:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(30, 30, 90), 1));
            p.setBrush(QColor(60, 80, 170));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.fillRect(QRectF(4, 2, 8, 5), Qt::white);
            p.fillRect(QRectF(5, 10, 6, 4), QColor(200, 200, 200));
        });
    case ciTile:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(210, 225, 245));
            p.drawRect(QRectF(1.5, 1.5, 6, 13));
            p.drawRect(QRectF(8.5, 1.5, 6, 13));
        });
    case ciCascade:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(210, 225, 245));
            p.drawRect(QRectF(1.5, 1.5, 9, 8));
            p.drawRect(QRectF(5.5, 6.5, 9, 8));
        });
    case ciWindowList:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            for (int y = 4; y < 14; y += 3)
                p.drawLine(QPointF(4, y + 0.5), QPointF(12, y + 0.5));
        });
    case ciHelp:
        return draw([](QPainter& p) {
            p.setPen(QPen(QColor(0, 70, 160), 1));
            p.setBrush(QColor(40, 110, 210));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            letter(p, QStringLiteral("?"), Qt::white, 11);
        });
    case ciAbout:
    default:
        return draw([](QPainter& p) { badge(p, QColor(40, 110, 210), QStringLiteral("i")); });
    }
}

QIcon CommandIcon(TCommandImage image)
{
    // Drawn on first use and shared by every window, and with the icon the
    // disabled form the style makes of it.
    static std::array<QIcon, ciCommandCount> icons;
    QIcon& icon = icons.at(image);
    if (icon.isNull())
        icon = QIcon(QPixmap::fromImage(CommandImage(image)));
    return icon;
}
