#pragma once

#include "editor/qeKeyCmds.h"

#include <Qt>
#include <cstdint>

class QKeyEvent;

// Virtual-key codes of the bindings. Stored shortcuts keep these values
// (Ctrl+C is $4043), so saved bindings read the same on every platform.
namespace vk {
constexpr std::uint16_t Back = 0x08;
constexpr std::uint16_t Tab = 0x09;
constexpr std::uint16_t Clear = 0x0C;
constexpr std::uint16_t Return = 0x0D;
constexpr std::uint16_t Shift = 0x10;
constexpr std::uint16_t Control = 0x11;
constexpr std::uint16_t Menu = 0x12;  // Alt
constexpr std::uint16_t Pause = 0x13;
constexpr std::uint16_t Capital = 0x14;
constexpr std::uint16_t Escape = 0x1B;
constexpr std::uint16_t Space = 0x20;
constexpr std::uint16_t Prior = 0x21;  // PgUp
constexpr std::uint16_t Next = 0x22;   // PgDn
constexpr std::uint16_t End = 0x23;
constexpr std::uint16_t Home = 0x24;
constexpr std::uint16_t Left = 0x25;
constexpr std::uint16_t Up = 0x26;
constexpr std::uint16_t Right = 0x27;
constexpr std::uint16_t Down = 0x28;
constexpr std::uint16_t Snapshot = 0x2C;
constexpr std::uint16_t Insert = 0x2D;
constexpr std::uint16_t Delete = 0x2E;
constexpr std::uint16_t Help = 0x2F;
constexpr std::uint16_t Key0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr std::uint16_t KeyA = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr std::uint16_t LWin = 0x5B;
constexpr std::uint16_t Apps = 0x5D;
constexpr std::uint16_t Numpad0 = 0x60;  // ..Numpad9 0x69
constexpr std::uint16_t Multiply = 0x6A;
constexpr std::uint16_t Add = 0x6B;
constexpr std::uint16_t Subtract = 0x6D;
constexpr std::uint16_t Decimal = 0x6E;
constexpr std::uint16_t Divide = 0x6F;
constexpr std::uint16_t F1 = 0x70;  // ..F24 0x87
constexpr std::uint16_t NumLock = 0x90;
constexpr std::uint16_t Scroll = 0x91;
constexpr std::uint16_t Oem1 = 0xBA;       // ; :
constexpr std::uint16_t OemPlus = 0xBB;    // = +
constexpr std::uint16_t OemComma = 0xBC;   // , <
constexpr std::uint16_t OemMinus = 0xBD;   // - _
constexpr std::uint16_t OemPeriod = 0xBE;  // . >
constexpr std::uint16_t Oem2 = 0xBF;       // / ?
constexpr std::uint16_t Oem3 = 0xC0;       // ` ~
constexpr std::uint16_t Oem4 = 0xDB;       // [ {
constexpr std::uint16_t Oem5 = 0xDC;       // \ |
constexpr std::uint16_t Oem6 = 0xDD;       // ] }
constexpr std::uint16_t Oem7 = 0xDE;       // ' "
} // namespace vk

// A key press as the bindings see it: a virtual-key code and modifiers.
struct TqeVirtualKey
{
    std::uint16_t Key = 0;  // 0: a key no binding can name
    TShiftState Shift;
};

// The one table from Qt keys to virtual-key codes. Under X11 (and Wayland),
// Shift with a digit-row key arrives as the shifted symbol of the keyboard
// layout ('!' for Shift+1 on a US layout, '"' on a German one); the key's
// scan code (X keycodes 10 to 19 are the digit row) gives the digit back, so
// Shift+Ctrl+1 still reaches the bookmark commands. Without a usable scan
// code the US layout's shifted symbols are taken for the digits.
TqeVirtualKey QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                                bool digitRowScanCodes);
// The same for a key event, taking the scan code rule from the platform.
TqeVirtualKey QtKeyToVirtualKey(const QKeyEvent& event);
