#pragma once

#include <QRect>

#include <cstdint>

inline std::int32_t MaxInteger(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
inline std::int32_t MinInteger(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

// Right minus left and bottom minus top of a rectangle whose right and bottom
// edges lie outside it: QRect's width and height.
inline int RectWidth(const QRect& r) { return r.width(); }
inline int RectHeight(const QRect& r) { return r.height(); }
