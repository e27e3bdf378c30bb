#pragma once

// Drawing routines for glyphs, transparent bitmaps and grid cells.

#include "components/ColorValue.h"
#include "components/MaxMin.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;
class QPicture;
class QWidget;

// Cell `index` (counted row by row) of a strip of cols x rows equal images;
// cols and rows below 1 count as 1, a negative index as 0. The cell keeps the
// strip's format, colour table and alpha. A null image for an index past the
// last cell or a strip too small to hold one pixel per cell.
QImage CopyGlyphCell(const QImage& strip, int cols, int rows, int index);
// The same cell of a picture, drawn offset on a silver background.
QImage CopyGlyphCell(const QPicture& strip, int cols, int rows, int index);

// Paints into canvas (in control's coordinates) what lies behind control:
// its parent's background and own painting, then every sibling below control
// that is not hidden and overlaps it.
void CopyParentBackground(const QWidget* control, QPainter& canvas);

// Stretches srcRect of src onto destRect, leaving out the pixels of colour
// `transparent` (alpha ignored in the comparison).
void StretchBitmapTransparent(QPainter& canvas, const QRect& destRect, const QImage& src,
                              const QRect& srcRect, const QColor& transparent);

// Draws srcRect of bitmap (all of it when srcRect is empty) at x, y, stretched
// to stretchTo when that is valid. transparentColor: clNone draws opaquely in
// the painter's composition mode; clDefault takes the bitmap's bottom-left
// pixel; a monochrome bitmap always leaves out white.
void DrawBitmapRectTransparent(QPainter& canvas, int x, int y, const QRect& srcRect,
                               const QImage& bitmap, TColor transparentColor,
                               const QSize& stretchTo = QSize());
void DrawBitmapTransparentAt(QPainter& canvas, int x, int y, const QImage& bitmap,
                             TColor transparentColor);
// A glyph at x, y without the pixels of its transparent colour.
void DrawTransparentBitmap(QPainter& canvas, int x, int y, const QImage& glyph,
                           const QColor& transparent);

// The embossed "disabled" look of a glyph: its shape (every pixel that is not
// maskColor and not fully transparent) drawn one pixel right and down in
// highlight, then in place in shadow, on face. With mono only the shadow
// copy is drawn.
QImage CreateDisabledBitmapColors(const QImage& bitmap, const QColor& maskColor,
                                  const QColor& face, const QColor& highlight,
                                  const QColor& shadow, bool mono);
// The same in the palette's button face, light and dark colours.
QImage CreateDisabledGlyph(const QImage& bitmap, const QColor& maskColor);

// An 8 x 8 image of alternating c1 and c2 pixels (c1 at the top left).
QImage CreateCheckeredBrushBitmap(const QColor& c1, const QColor& c2);

// Text when it fits into maxWidth pixels, else its longest shortened form
// (leading characters and "...") that fits; "..." alone when none fits.
QString ShortenTextToWidth(const QString& text, const QFontMetrics& metrics, int maxWidth);
QString ShortenTextToWidth(const QString& text, const QPainter& canvas, int maxWidth);

// A grid cell's text inside rect, with the painter's font, pen (text) and
// brush (background), 2 pixels from the left and right edges. alignment:
// Qt::AlignLeft (default), AlignRight or AlignHCenter, with AlignTop
// (default), AlignVCenter or AlignBottom; centred text wraps at words.
void DrawGridCellText(QPainter& canvas, const QString& text, const QRect& rect,
                      Qt::Alignment alignment);
