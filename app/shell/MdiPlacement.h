#pragma once

// Where a child window of the main window opens: inside the MDI area it is
// shown in, never cut off by the area's edges, whatever its size hint or a
// stored placement says.

#include <QRect>

class QMdiSubWindow;

// The window's rectangle moved into the area, and made smaller where it is
// larger than the area, but never below its minimum size; what then still
// does not fit starts at the area's top left corner (the area scrolls to
// the rest).
QRect FitIntoArea(const QRect& window, const QSize& minimum, const QRect& area);

// Fits an MDI child into its area when it is first shown: after the area
// placed it and its stored placement, if any, was restored. A window shown
// already is fitted at once. Minimized and maximized windows are left as
// they are.
void KeepInsideAreaWhenShown(QMdiSubWindow* sub);
