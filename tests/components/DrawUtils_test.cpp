#include "components/DrawUtils.h"
#include "components/QcConst.h"

#include <QApplication>
#include <QPainter>
#include <QPicture>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

QImage filled(int width, int height, const QColor& color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// A strip of 3 x 2 cells of 4 x 5 pixels; cell i is grey level 10 * (i + 1).
QImage numberedStrip()
{
    QImage strip(12, 10, QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        const int shade = 10 * (i + 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x)
                strip.setPixelColor((i % 3) * 4 + x, (i / 3) * 5 + y, QColor(shade, shade, shade));
    }
    return strip;
}

TEST(GlyphCells, CellsCountRowByRow)
{
    const QImage strip = numberedStrip();
    const QImage cell = CopyGlyphCell(strip, 3, 2, 4);
    ASSERT_EQ(cell.size(), QSize(4, 5));
    EXPECT_EQ(cell.pixelColor(0, 0), QColor(50, 50, 50));
    EXPECT_EQ(cell.pixelColor(3, 4), QColor(50, 50, 50));
    EXPECT_EQ(CopyGlyphCell(strip, 3, 2, -3).pixelColor(0, 0), QColor(10, 10, 10));
    // Rows below 1 count as one: the cell is the full height.
    EXPECT_EQ(CopyGlyphCell(strip, 3, 0, 1).size(), QSize(4, 10));
    // Past the last cell there is nothing to copy.
    EXPECT_TRUE(CopyGlyphCell(strip, 3, 2, 6).isNull());
    EXPECT_TRUE(CopyGlyphCell(QImage(2, 2, QImage::Format_ARGB32), 3, 1, 0).isNull());
}

TEST(GlyphCells, KeepsColourTableAndAlpha)
{
    QImage indexed(4, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.fill(0);
    indexed.setPixel(3, 1, 1);
    const QImage cell = CopyGlyphCell(indexed, 2, 1, 1);
    EXPECT_EQ(cell.colorTable(), indexed.colorTable());
    EXPECT_EQ(cell.pixel(1, 1), qRgb(0, 0, 255));

    QImage withAlpha = filled(4, 2, Qt::transparent);
    EXPECT_EQ(qAlpha(CopyGlyphCell(withAlpha, 2, 1, 1).pixel(0, 0)), 0);
}

TEST(GlyphCells, PictureIsDrawnOnSilver)
{
    QPicture picture;
    {
        QPainter painter(&picture);
        painter.fillRect(QRect(12, 2, 3, 3), Qt::red);
        painter.end();
    }
    picture.setBoundingRect(QRect(0, 0, 20, 10));
    const QImage cell = CopyGlyphCell(picture, 2, 1, 1);
    ASSERT_EQ(cell.size(), QSize(10, 10));
    EXPECT_EQ(cell.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(cell.pixelColor(0, 0), ColorToQColor(clSilver));
    EXPECT_EQ(cell.pixelColor(9, 9), ColorToQColor(clSilver));

    QPicture empty;
    EXPECT_TRUE(CopyGlyphCell(empty, 1, 1, 0).isNull());
}

class Filled : public QWidget
{
public:
    Filled(QWidget* parent, const QColor& color, const QRect& geometry) : QWidget(parent)
    {
        QPalette p = palette();
        p.setColor(QPalette::Window, color);
        setPalette(p);
        setAutoFillBackground(true);
        setGeometry(geometry);
    }
};

TEST(ParentBackground, ParentThenSiblingsBelowOnly)
{
    QWidget parent;
    parent.resize(100, 50);
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, Qt::red);
    parent.setPalette(p);
    parent.setAutoFillBackground(true);

    Filled below(&parent, Qt::green, QRect(0, 0, 15, 50));
    Filled hidden(&parent, Qt::yellow, QRect(10, 0, 30, 50));
    hidden.hide();
    Filled control(&parent, Qt::black, QRect(10, 10, 30, 20));
    Filled above(&parent, Qt::blue, QRect(30, 0, 20, 50));

    QImage image(control.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CopyParentBackground(&control, painter);
    }
    EXPECT_EQ(image.pixelColor(2, 5), QColor(Qt::green));  // parent x 12: the sibling below
    EXPECT_EQ(image.pixelColor(10, 5), QColor(Qt::red));   // parent x 20: the parent itself
    EXPECT_EQ(image.pixelColor(25, 15), QColor(Qt::red));  // the sibling above is left out

    // Raising the green sibling above the control leaves it out too.
    below.raise();
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CopyParentBackground(&control, painter);
    }
    EXPECT_EQ(image.pixelColor(2, 5), QColor(Qt::red));

    // A top-level control has nothing behind it.
    QWidget alone;
    alone.resize(5, 5);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CopyParentBackground(&alone, painter);
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
}

// Paints nothing of its own but what lies behind it, as a transparent button does.
class SeeThrough : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        CopyParentBackground(this, painter);
    }
};

TEST(ParentBackground, FromInsideAPaintEvent)
{
    QWidget parent;
    parent.resize(60, 30);
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, Qt::red);
    parent.setPalette(p);
    parent.setAutoFillBackground(true);
    Filled below(&parent, Qt::green, QRect(0, 0, 20, 30));
    SeeThrough first(&parent);
    first.setGeometry(10, 5, 20, 20);
    SeeThrough second(&parent); // sees the first, which sees the parent and the green one
    second.setGeometry(15, 5, 20, 20);
    parent.show();

    const QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(17, 10), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(25, 10), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(40, 10), QColor(Qt::red));
}

// A 4 x 4 magenta bitmap with a black pixel at (1, 1) and a white one at (2, 2).
QImage glyph()
{
    QImage image = filled(4, 4, Qt::magenta);
    image.setPixelColor(1, 1, Qt::black);
    image.setPixelColor(2, 2, Qt::white);
    return image;
}

QImage drawn(const std::function<void(QPainter&)>& draw, const QSize& size = QSize(8, 8))
{
    QImage canvas = filled(size.width(), size.height(), Qt::cyan);
    QPainter painter(&canvas);
    draw(painter);
    painter.end();
    return canvas;
}

TEST(TransparentBitmaps, TransparentColourRules)
{
    // The default colour is the bottom-left pixel: magenta.
    QImage canvas = drawn([](QPainter& p) { DrawBitmapTransparentAt(p, 2, 2, glyph(), clDefault); });
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::cyan));
    EXPECT_EQ(canvas.pixelColor(3, 3), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(4, 4), QColor(Qt::white));

    // No colour: drawn opaquely.
    canvas = drawn([](QPainter& p) { DrawBitmapTransparentAt(p, 2, 2, glyph(), clNone); });
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::magenta));

    // An explicit colour value (0x00BBGGRR): black is left out, magenta drawn.
    canvas = drawn([](QPainter& p) { DrawBitmapTransparentAt(p, 2, 2, glyph(), clBlack); });
    EXPECT_EQ(canvas.pixelColor(3, 3), QColor(Qt::cyan));
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::magenta));

    // A monochrome bitmap leaves out white whatever colour is asked for.
    QImage mono(4, 4, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    mono.setPixel(0, 0, 1);
    canvas = drawn([&](QPainter& p) { DrawBitmapTransparentAt(p, 0, 0, mono, clBlack); });
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::cyan));
}

TEST(TransparentBitmaps, RectanglesAndStretching)
{
    // The right half of the glyph, stretched to twice its size.
    QImage canvas = drawn([](QPainter& p) {
        DrawBitmapRectTransparent(p, 0, 0, QRect(2, 0, 2, 4), glyph(), clDefault, QSize(4, 8));
    });
    EXPECT_EQ(canvas.pixelColor(0, 4), QColor(Qt::white)); // glyph (2, 2) scaled
    EXPECT_EQ(canvas.pixelColor(1, 5), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(3, 0), QColor(Qt::cyan));
    EXPECT_EQ(canvas.pixelColor(5, 0), QColor(Qt::cyan));   // outside the stretched size

    canvas = drawn([](QPainter& p) {
        StretchBitmapTransparent(p, QRect(0, 0, 8, 8), glyph(), QRect(0, 0, 4, 4), Qt::magenta);
    });
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(3, 3), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::cyan));

    canvas = drawn([](QPainter& p) { DrawTransparentBitmap(p, 1, 0, glyph(), Qt::white); });
    EXPECT_EQ(canvas.pixelColor(3, 2), QColor(Qt::cyan));
    EXPECT_EQ(canvas.pixelColor(1, 0), QColor(Qt::magenta));
}

TEST(DisabledGlyphs, EmbossedShape)
{
    const QColor face(200, 200, 200), light(255, 255, 255), dark(100, 100, 100);
    // The shape is every pixel that is not the mask colour: black and white here.
    const QImage embossed = CreateDisabledBitmapColors(glyph(), Qt::magenta, face, light, dark, false);
    ASSERT_EQ(embossed.size(), QSize(4, 4));
    EXPECT_EQ(embossed.pixelColor(1, 1), dark);
    EXPECT_EQ(embossed.pixelColor(2, 2), dark);  // in the shape itself: shadow wins
    EXPECT_EQ(embossed.pixelColor(3, 3), light); // below right of the white pixel
    EXPECT_EQ(embossed.pixelColor(0, 0), face);
    EXPECT_EQ(embossed.pixelColor(2, 1), face);

    const QImage flat = CreateDisabledBitmapColors(glyph(), Qt::magenta, face, light, dark, true);
    EXPECT_EQ(flat.pixelColor(3, 3), face);
    EXPECT_EQ(flat.pixelColor(1, 1), dark);

    const QPalette palette = QApplication::palette();
    const QImage standard = CreateDisabledGlyph(glyph(), Qt::magenta);
    EXPECT_EQ(standard.pixel(0, 0), palette.color(QPalette::Button).rgb());
    EXPECT_EQ(standard.pixel(1, 1), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(standard.pixel(3, 3), palette.color(QPalette::Light).rgb());
}

TEST(Colours, CheckeredBrushAndColourValues)
{
    const QImage brush = CreateCheckeredBrushBitmap(Qt::red, Qt::blue);
    ASSERT_EQ(brush.size(), QSize(8, 8));
    EXPECT_EQ(brush.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(brush.pixelColor(1, 0), QColor(Qt::blue));
    EXPECT_EQ(brush.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(brush.pixelColor(7, 0), QColor(Qt::blue));

    EXPECT_EQ(ColorToQColor(0x0000FF), QColor(Qt::red));
    EXPECT_EQ(QColorToColor(QColor(0, 0, 255)), 0xFF0000);
    EXPECT_EQ(PaletteColor(0x0000FF), 0x020000FF);
    EXPECT_EQ(ColorToQColor(PaletteColor(0x123456)), ColorToQColor(0x123456));
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(ColorToQColor(clBtnFace).rgb(), face.rgb());
    EXPECT_EQ(PaletteColor(clBtnFace), QColorToColor(face) | 0x02000000);
}

TEST(ShortenText, DropsCharactersUntilItFits)
{
    const QFontMetrics metrics(QApplication::font());
    const QString text = QStringLiteral("abcdefgh");
    const int full = metrics.horizontalAdvance(text);
    EXPECT_EQ(ShortenTextToWidth(text, metrics, full), text);
    EXPECT_EQ(ShortenTextToWidth(text, metrics, full + 50), text);

    const int room = metrics.horizontalAdvance(QStringLiteral("abcd..."));
    ASSERT_GT(metrics.horizontalAdvance(QStringLiteral("abcde...")), room);
    EXPECT_EQ(ShortenTextToWidth(text, metrics, room), QStringLiteral("abcd..."));

    // Nothing fits: the three dots alone, even when they do not fit either.
    EXPECT_EQ(ShortenTextToWidth(QStringLiteral("abcde"), metrics, 0), QStringLiteral("..."));
    EXPECT_EQ(ShortenTextToWidth(QString(), metrics, -1), QString());
}

// The columns and rows in which anything but the background was painted.
struct Ink
{
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool any() const { return right >= 0; }
};

Ink inkOf(const QImage& image, const QColor& background)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) {
                ink.left = qMin(ink.left, x);
                ink.right = qMax(ink.right, x);
                ink.top = qMin(ink.top, y);
                ink.bottom = qMax(ink.bottom, y);
            }
    return ink;
}

QImage cell(const QString& text, const QSize& size, Qt::Alignment alignment)
{
    QImage canvas = filled(size.width() + 20, size.height() + 20, Qt::red);
    QPainter painter(&canvas);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::black);
    DrawGridCellText(painter, text, QRect(QPoint(10, 10), size), alignment);
    painter.end();
    return canvas.copy(10, 10, size.width(), size.height());
}

TEST(GridCellText, AlignmentsAndWrapping)
{
    const QSize size(120, 40);
    const QString text = QStringLiteral("WW");
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(text);

    const Ink left = inkOf(cell(text, size, Qt::AlignLeft | Qt::AlignTop), Qt::white);
    ASSERT_TRUE(left.any());
    EXPECT_GE(left.left, 2);
    EXPECT_LE(left.left, 4);
    EXPECT_LE(left.top, 2 + QFontMetrics(QApplication::font()).height());

    const Ink right = inkOf(cell(text, size, Qt::AlignRight | Qt::AlignBottom), Qt::white);
    EXPECT_LE(right.right, size.width() - 3);
    EXPECT_GE(right.right, size.width() - 3 - 3);
    EXPECT_GT(right.top, left.top);

    const Ink centre = inkOf(cell(text, size, Qt::AlignHCenter | Qt::AlignVCenter), Qt::white);
    EXPECT_NEAR((centre.left + centre.right) / 2.0, size.width() / 2.0, 3);
    EXPECT_LT(centre.right - centre.left, width + 2);

    // Centred text wraps at words; left-aligned text stays on one line.
    const QString words = QStringLiteral("one two three four five six seven");
    const QSize narrow(60, 120);
    const Ink wrapped = inkOf(cell(words, narrow, Qt::AlignHCenter), Qt::white);
    const Ink single = inkOf(cell(words, narrow, Qt::AlignLeft), Qt::white);
    const int lineHeight = QFontMetrics(QApplication::font()).height();
    EXPECT_GT(wrapped.bottom - wrapped.top, 2 * lineHeight);
    EXPECT_LT(single.bottom - single.top, lineHeight);

    // Line breaks are honoured in every alignment.
    const Ink lines = inkOf(cell(QStringLiteral("a\r\nb\rc"), narrow, Qt::AlignLeft), Qt::white);
    EXPECT_GT(lines.bottom - lines.top, 2 * lineHeight - 4);
}

TEST(GridCellText, PaintsOnlyInsideTheCell)
{
    QImage canvas = filled(100, 40, Qt::red);
    {
        QPainter painter(&canvas);
        painter.setBrush(Qt::white);
        painter.setPen(Qt::black);
        DrawGridCellText(painter, QStringLiteral("a very long text that does not fit"),
                         QRect(10, 10, 30, 20), Qt::AlignLeft);
    }
    const Ink outside = inkOf(canvas.copy(40, 0, 60, 40), Qt::red);
    EXPECT_FALSE(outside.any());
    EXPECT_EQ(canvas.pixelColor(39, 10), QColor(Qt::white));
}

TEST(Cursors, HandCursorsById)
{
    EXPECT_EQ(CursorById(crHand).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(CursorById(crDragHand).shape(), Qt::ClosedHandCursor);
    EXPECT_EQ(CursorById(0).shape(), Qt::ArrowCursor);
}

} // namespace
