#include "components/ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

#include <optional>

namespace {

std::optional<QPalette::ColorRole> roleOf(int index)
{
    switch (index) {
    case 4: return QPalette::Window;             // menu
    case 5: return QPalette::Base;               // window
    case 6: return QPalette::Shadow;             // window frame
    case 7: return QPalette::WindowText;         // menu text
    case 8: return QPalette::Text;               // window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;            // button face
    case 16: return QPalette::Dark;              // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;             // button highlight
    case 21: return QPalette::Shadow;            // dark 3-D shadow
    case 22: return QPalette::Midlight;          // 3-D light
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return std::nullopt;
    }
}

} // namespace

QColor ColorToQColor(TColor color)
{
    const auto value = std::uint32_t(color);
    if ((value & 0xFF000000u) == 0xFF000000u) {
        const int index = int(value & 0xFFu);
        if (index == 17) // grey text
            return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        const auto role = roleOf(index);
        return role ? QGuiApplication::palette().color(QPalette::Active, *role) : QColor(Qt::black);
    }
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

TColor QColorToColor(const QColor& color)
{
    const QRgb rgb = color.rgb();
    return TColor(std::uint32_t(qRed(rgb)) | std::uint32_t(qGreen(rgb)) << 8
                  | std::uint32_t(qBlue(rgb)) << 16);
}

TColor PaletteColor(TColor color)
{
    return QColorToColor(ColorToQColor(color)) | 0x02000000;
}
