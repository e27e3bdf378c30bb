#pragma once

// The small pictures of the drop-down edits and the calendar, drawn once in
// code. Each has a white bottom-left pixel: the transparent colour of a
// speed button's glyph.

#include <QImage>

// The file edit's button: a folder.
QImage FileEditGlyph();
// The date edit's button: a calendar leaf, normal and disabled side by side.
QImage DateEditGlyph();

// The calendar's step buttons, in their order: previous year (double arrow
// left), previous month, next month, next year (double arrow right).
QImage CalendarStepGlyph(int index);
