#pragma once

// The grid of the 16 standard colours, four by four. The left mouse button
// picks the foreground colour, the right one the background colour; the
// arrow keys move the foreground marker. A side whose colour is none of the
// 16 has no marker (index -1) until one is picked.

#include <QWidget>

#include "components/ColorValue.h"

inline constexpr int kGridColorCount = 16;

// The colour of a grid cell: black, maroon, green, olive, navy, purple,
// teal, silver, gray, red, lime, yellow, blue, fuchsia, aqua, white.
TColor GridColor(int index);
// The cell of a colour, or -1 for a colour that is none of the 16. The
// palette-relative flag is ignored; system colours have no cell.
int ColorToGridIndex(TColor color);

class TColorGrid : public QWidget
{
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    int ForegroundIndex() const { return m_foreground; }
    int BackgroundIndex() const { return m_background; }
    // -1 (or anything outside the grid) takes the marker away.
    void SetForegroundIndex(int index);
    void SetBackgroundIndex(int index);

    // The cell under a point of the widget, or -1.
    int CellAt(const QPoint& point) const;
    QRect CellRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A marker moved, whoever moved it.
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_foreground = -1;
    int m_background = -1;
};
