// The 16-colour grid: colour order and lookup, picking with each mouse
// button and with the keys, and colours outside the grid.

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "components/ColorGrid.h"

TEST(ColorGrid, StandardColoursInGridOrder)
{
    const TColor expected[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                               0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                               0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < kGridColorCount; ++i) {
        EXPECT_EQ(GridColor(i), expected[i]) << i;
        EXPECT_EQ(ColorToGridIndex(expected[i]), i) << i;
    }
    EXPECT_EQ(ColorToGridIndex(QColorToColor(QColor(255, 0, 0))), 9);
    EXPECT_EQ(ColorToGridIndex(QColorToColor(QColor(0, 0, 128))), 4);   // navy
    EXPECT_EQ(ColorToGridIndex(QColorToColor(QColor(0, 128, 128))), 6); // teal
    EXPECT_EQ(ColorToGridIndex(clBlack), 0);
    EXPECT_EQ(ColorToGridIndex(clWhite), 15);
    EXPECT_EQ(ColorToGridIndex(PaletteColor(0x00FF00)), 10);
    EXPECT_EQ(GridColor(-1), clNone);
    EXPECT_EQ(GridColor(16), clNone);
}

TEST(ColorGrid, ColoursOutsideTheGridHaveNoCell)
{
    EXPECT_EQ(ColorToGridIndex(0x00123456), -1);
    EXPECT_EQ(ColorToGridIndex(0x000001), -1);
    EXPECT_EQ(ColorToGridIndex(clWindowText), -1);
    EXPECT_EQ(ColorToGridIndex(clNone), -1);
    EXPECT_EQ(ColorToGridIndex(0x01FF0000), -1);
}

TEST(ColorGrid, LeftButtonPicksForegroundRightButtonBackground)
{
    TColorGrid grid;
    grid.resize(120, 80);
    grid.show();
    QSignalSpy changed(&grid, &TColorGrid::Changed);
    EXPECT_EQ(grid.ForegroundIndex(), -1);
    EXPECT_EQ(grid.BackgroundIndex(), -1);

    QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.CellRect(9).center());
    EXPECT_EQ(grid.ForegroundIndex(), 9);
    EXPECT_EQ(grid.BackgroundIndex(), -1);
    QTest::mouseClick(&grid, Qt::RightButton, {}, grid.CellRect(12).center());
    EXPECT_EQ(grid.ForegroundIndex(), 9);
    EXPECT_EQ(grid.BackgroundIndex(), 12);
    EXPECT_EQ(changed.count(), 2);
    // The same cell again moves nothing.
    QTest::mouseClick(&grid, Qt::RightButton, {}, grid.CellRect(12).center());
    EXPECT_EQ(changed.count(), 2);
    // Corners of the widget reach the corner cells.
    EXPECT_EQ(grid.CellAt(QPoint(0, 0)), 0);
    EXPECT_EQ(grid.CellAt(QPoint(119, 79)), 15);
    EXPECT_EQ(grid.CellAt(QPoint(120, 10)), -1);
    for (int i = 0; i < kGridColorCount; ++i)
        EXPECT_EQ(grid.CellAt(grid.CellRect(i).center()), i);
}

TEST(ColorGrid, ArrowKeysMoveTheForegroundAndWrap)
{
    TColorGrid grid;
    grid.resize(100, 100);
    grid.show();
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.ForegroundIndex(), 0);   // from no marker to the first cell
    QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.ForegroundIndex(), 5);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.ForegroundIndex(), 13);
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Left);
    EXPECT_EQ(grid.ForegroundIndex(), 15);
    EXPECT_EQ(grid.BackgroundIndex(), -1);
}

TEST(ColorGrid, SettingAnIndexOutsideTakesTheMarkerAway)
{
    TColorGrid grid;
    grid.SetForegroundIndex(3);
    grid.SetBackgroundIndex(3);
    QSignalSpy changed(&grid, &TColorGrid::Changed);
    grid.SetForegroundIndex(42);
    grid.SetBackgroundIndex(-7);
    EXPECT_EQ(grid.ForegroundIndex(), -1);
    EXPECT_EQ(grid.BackgroundIndex(), -1);
    EXPECT_EQ(changed.count(), 2);
}
