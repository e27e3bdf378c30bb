#pragma once

// The bevels of panels, splitters and menu items: a 3-D frame of the
// palette's light and dark colours.

#include <QRect>

class QPainter;
class QPalette;

enum class TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// Draws one bevel of the given width just inside rect and shrinks rect by it
// (bvSpace only shrinks, bvNone does nothing).
void DrawPanelBevel(QPainter& painter, QRect& rect, TPanelBevel bevel, int width,
                    const QPalette& palette);
