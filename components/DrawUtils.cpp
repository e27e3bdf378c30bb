#include "components/DrawUtils.h"

#include "components/StrUtils.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPicture>
#include <QWidget>

namespace {

struct CellGeometry
{
    QRect rect;
    bool valid = false;
};

CellGeometry cellOf(const QSize& stripSize, int cols, int rows, int index)
{
    cols = qMax(1, cols);
    rows = qMax(1, rows);
    index = qMax(0, index);
    const int width = stripSize.width() / cols;
    const int height = stripSize.height() / rows;
    if (width < 1 || height < 1 || index >= cols * rows)
        return {};
    return {QRect((index % cols) * width, (index / cols) * height, width, height), true};
}

bool sameRgb(QRgb a, QRgb b)
{
    return (a & RGB_MASK) == (b & RGB_MASK);
}

// A copy in which the pixels of `transparent` have no alpha.
QImage withoutColor(const QImage& image, const QColor& transparent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (sameRgb(line[x], key))
                line[x] = 0;
        }
    }
    return result;
}

bool isMonochrome(const QImage& image)
{
    return image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
}

} // namespace

QImage CopyGlyphCell(const QImage& strip, int cols, int rows, int index)
{
    const CellGeometry cell = cellOf(strip.size(), cols, rows, index);
    return cell.valid ? strip.copy(cell.rect) : QImage();
}

QImage CopyGlyphCell(const QPicture& strip, int cols, int rows, int index)
{
    const QRect bounds = strip.boundingRect();
    const CellGeometry cell = cellOf(bounds.size(), cols, rows, index);
    if (!cell.valid)
        return QImage();
    QImage result(cell.rect.size(), QImage::Format_RGB32);
    result.fill(ColorToQColor(clSilver));
    QPainter painter(&result);
    painter.drawPicture(-bounds.topLeft() - cell.rect.topLeft(), strip);
    return result;
}

void CopyParentBackground(const QWidget* control, QPainter& canvas)
{
    QWidget* parent = control ? control->parentWidget() : nullptr;
    if (!parent || control->size().isEmpty())
        return;
    const QRect area = control->geometry();
    const qreal ratio = control->devicePixelRatioF();
    QImage behind(control->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    behind.setDevicePixelRatio(ratio);
    behind.fill(Qt::transparent);
    {
        QPainter painter(&behind);
        parent->render(&painter, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
        for (QObject* child : parent->children()) {
            if (child == control)
                break;
            auto* sibling = qobject_cast<QWidget*>(child);
            if (!sibling || sibling->isWindow() || sibling->isHidden()
                || !sibling->geometry().intersects(area))
                continue;
            sibling->render(&painter, sibling->pos() - area.topLeft(), QRegion(),
                            QWidget::DrawWindowBackground | QWidget::DrawChildren);
        }
    }
    canvas.drawImage(QPoint(0, 0), behind);
}

void StretchBitmapTransparent(QPainter& canvas, const QRect& destRect, const QImage& src,
                              const QRect& srcRect, const QColor& transparent)
{
    if (destRect.isEmpty() || src.isNull())
        return;
    canvas.drawImage(destRect, withoutColor(src.copy(srcRect), transparent));
}

void DrawBitmapRectTransparent(QPainter& canvas, int x, int y, const QRect& srcRect,
                               const QImage& bitmap, TColor transparentColor,
                               const QSize& stretchTo)
{
    if (bitmap.isNull())
        return;
    const QRect source = srcRect.isEmpty() ? bitmap.rect() : srcRect;
    const QRect target(QPoint(x, y), stretchTo.isValid() && !stretchTo.isEmpty() ? stretchTo
                                                                                  : source.size());
    if (transparentColor == clNone) {
        canvas.drawImage(target, bitmap, source);
        return;
    }
    QColor transparent;
    if (isMonochrome(bitmap))
        transparent = Qt::white;
    else if (transparentColor == clDefault)
        transparent = QColor::fromRgb(bitmap.pixel(0, bitmap.height() - 1));
    else
        transparent = ColorToQColor(transparentColor);
    StretchBitmapTransparent(canvas, target, bitmap, source, transparent);
}

void DrawBitmapTransparentAt(QPainter& canvas, int x, int y, const QImage& bitmap,
                             TColor transparentColor)
{
    DrawBitmapRectTransparent(canvas, x, y, bitmap.rect(), bitmap, transparentColor);
}

void DrawTransparentBitmap(QPainter& canvas, int x, int y, const QImage& glyph,
                           const QColor& transparent)
{
    if (!glyph.isNull())
        canvas.drawImage(QPoint(x, y), withoutColor(glyph, transparent));
}

QImage CreateDisabledBitmapColors(const QImage& bitmap, const QColor& maskColor,
                                  const QColor& face, const QColor& highlight,
                                  const QColor& shadow, bool mono)
{
    if (bitmap.isNull())
        return QImage();
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = maskColor.rgb();
    const auto inShape = [&](int x, int y) {
        const QRgb pixel = source.pixel(x, y);
        return qAlpha(pixel) != 0 && !sameRgb(pixel, key);
    };
    QImage result(source.size(), QImage::Format_ARGB32);
    result.fill(face);
    const int width = source.width();
    const int height = source.height();
    if (!mono) {
        for (int y = 0; y + 1 < height; ++y)
            for (int x = 0; x + 1 < width; ++x)
                if (inShape(x, y))
                    result.setPixelColor(x + 1, y + 1, highlight);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (inShape(x, y))
                result.setPixelColor(x, y, shadow);
    return result;
}

QImage CreateDisabledGlyph(const QImage& bitmap, const QColor& maskColor)
{
    const QPalette palette = QApplication::palette();
    return CreateDisabledBitmapColors(bitmap, maskColor, palette.color(QPalette::Button),
                                      palette.color(QPalette::Light),
                                      palette.color(QPalette::Dark), false);
}

QImage CreateCheckeredBrushBitmap(const QColor& c1, const QColor& c2)
{
    QImage result(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            result.setPixelColor(x, y, (x + y) % 2 == 0 ? c1 : c2);
    return result;
}

QString ShortenTextToWidth(const QString& text, const QFontMetrics& metrics, int maxWidth)
{
    const qsizetype length = text.size();
    QString result = text;
    for (qsizetype i = 1; metrics.horizontalAdvance(result) > maxWidth && i <= length;) {
        ++i;
        result = StrLeftWhole(text, qMax<qsizetype>(0, length - i)) + QLatin1String("...");
    }
    return result;
}

QString ShortenTextToWidth(const QString& text, const QPainter& canvas, int maxWidth)
{
    return ShortenTextToWidth(text, canvas.fontMetrics(), maxWidth);
}

void DrawGridCellText(QPainter& canvas, const QString& text, const QRect& rect,
                      Qt::Alignment alignment)
{
    const bool centred = alignment.testFlag(Qt::AlignHCenter);
    const bool right = !centred && alignment.testFlag(Qt::AlignRight);
    const bool wrap = centred;
    const QFontMetrics metrics = canvas.fontMetrics();
    const int textHeight = metrics.height();
    int top = 2;
    if (alignment.testFlag(Qt::AlignVCenter))
        top = qMax(1, (rect.height() - textHeight) / 2);
    else if (alignment.testFlag(Qt::AlignBottom))
        top = qMax(2, rect.height() - textHeight);

    canvas.save();
    canvas.setClipRect(rect, Qt::IntersectClip);
    canvas.fillRect(rect, canvas.brush());
    if (!wrap && !text.contains(QLatin1Char('\r'))) {
        const int textWidth = metrics.horizontalAdvance(text);
        int x = rect.left() + 2;
        if (right)
            x = rect.left() + rect.width() - textWidth - 3;
        else if (centred)
            x = rect.left() + rect.width() / 2 - textWidth / 2;
        canvas.drawText(QPoint(x, rect.top() + top + metrics.ascent()), text);
    } else {
        QString lines = text;
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        int flags = Qt::AlignTop;
        if (right)
            flags |= Qt::AlignRight | Qt::TextExpandTabs;
        else if (centred)
            flags |= Qt::AlignHCenter | Qt::TextExpandTabs;
        else
            flags |= Qt::AlignLeft;
        if (wrap)
            flags |= Qt::TextWordWrap;
        const QRect area(rect.left() + 2, rect.top() + top, rect.width() - 4, rect.height() - top);
        canvas.drawText(area, flags, lines);
    }
    canvas.restore();
}
