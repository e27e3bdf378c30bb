#pragma once

// Colour values as the options and the components keep them: 0x00BBGGRR for
// a colour, 0xFF000000 + index for a system colour, and two special values.

#include <QColor>

#include <cstdint>

using TColor = std::int32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;    // no colour
inline constexpr TColor clDefault = 0x20000000; // the owner's default colour

inline constexpr TColor SystemColor(int index) { return TColor(0xFF000000u | unsigned(index)); }

inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clBtnHighlight = SystemColor(20);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;

// The colour a value stands for. System colours come from the application's
// palette (black for an index without a counterpart); the palette-relative
// flag 0x02000000 is ignored.
QColor ColorToQColor(TColor color);
// The 0x00BBGGRR value of a colour.
TColor QColorToColor(const QColor& color);
// The colour's RGB value with the palette-relative flag 0x02000000 set.
TColor PaletteColor(TColor color);
