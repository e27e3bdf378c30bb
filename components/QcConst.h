#pragma once

#include <QCursor>

// Cursor identifiers of the component library.
inline constexpr int crHand = 14000;     // over a link
inline constexpr int crDragHand = 14001; // while dragging

// The cursor registered under an identifier: the two hand cursors above,
// the arrow for any other.
QCursor CursorById(int id);
