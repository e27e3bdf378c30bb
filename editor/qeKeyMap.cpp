#include "editor/qeKeyMap.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// Digit keys by the symbol Shift gives them on a US layout.
int usShiftedDigit(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Exclam: return 1;
    case Qt::Key_At: return 2;
    case Qt::Key_NumberSign: return 3;
    case Qt::Key_Dollar: return 4;
    case Qt::Key_Percent: return 5;
    case Qt::Key_AsciiCircum: return 6;
    case Qt::Key_Ampersand: return 7;
    case Qt::Key_Asterisk: return 8;
    case Qt::Key_ParenLeft: return 9;
    case Qt::Key_ParenRight: return 0;
    default: return -1;
    }
}

std::uint16_t keypadKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<std::uint16_t>(vk::Numpad0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Asterisk: return vk::Multiply;
    case Qt::Key_Plus: return vk::Add;
    case Qt::Key_Minus: return vk::Subtract;
    case Qt::Key_Period:
    case Qt::Key_Comma: return vk::Decimal;
    case Qt::Key_Slash: return vk::Divide;
    default: return 0;
    }
}

std::uint16_t plainKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<std::uint16_t>(vk::Key0 + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<std::uint16_t>(vk::KeyA + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<std::uint16_t>(vk::F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Clear: return vk::Clear;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Pause: return vk::Pause;
    case Qt::Key_CapsLock: return vk::Capital;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Print: return vk::Snapshot;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Help: return vk::Help;
    case Qt::Key_Meta: return vk::LWin;
    case Qt::Key_Menu: return vk::Apps;
    case Qt::Key_NumLock: return vk::NumLock;
    case Qt::Key_ScrollLock: return vk::Scroll;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return vk::Oem1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return vk::OemPlus;
    case Qt::Key_Comma:
    case Qt::Key_Less: return vk::OemComma;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return vk::OemMinus;
    case Qt::Key_Period:
    case Qt::Key_Greater: return vk::OemPeriod;
    case Qt::Key_Slash:
    case Qt::Key_Question: return vk::Oem2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return vk::Oem3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return vk::Oem4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return vk::Oem5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return vk::Oem6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return vk::Oem7;
    default: break;
    }
    const int digit = usShiftedDigit(qtKey);
    if (digit >= 0)
        return static_cast<std::uint16_t>(vk::Key0 + digit);
    return 0;
}

} // namespace

TqeVirtualKey QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                                bool digitRowScanCodes)
{
    TqeVirtualKey result;
    if (modifiers & Qt::ShiftModifier)
        result.Shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        result.Shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        result.Shift |= ssAlt;
    if (qtKey == Qt::Key_Backtab)
        result.Shift |= ssShift;

    if (modifiers & Qt::KeypadModifier) {
        if (const std::uint16_t k = keypadKey(qtKey)) {
            result.Key = k;
            return result;
        }
    }
    const bool isDigit = qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9;
    if (digitRowScanCodes && !isDigit && !(modifiers & Qt::KeypadModifier) && nativeScanCode >= 10
        && nativeScanCode <= 19) {
        // X keycodes 10..18 are the keys 1..9, 19 is the key 0.
        const int digit = nativeScanCode == 19 ? 0 : static_cast<int>(nativeScanCode) - 9;
        result.Key = static_cast<std::uint16_t>(vk::Key0 + digit);
        return result;
    }
    result.Key = plainKey(qtKey);
    return result;
}

TqeVirtualKey QtKeyToVirtualKey(const QKeyEvent& event)
{
    static const bool digitRow = [] {
        const QString platform = QGuiApplication::platformName();
        return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
    }();
    return QtKeyToVirtualKey(event.key(), event.modifiers(), event.nativeScanCode(), digitRow);
}
