#include "components/TgGlobal.h"

#include "components/DisplayFormat.h"
#include "components/LocaleSettings.h"

#include <QPainter>
#include <QRect>

namespace {

// Text that stands as written inside a number mask: quoted with the quote
// character it does not contain, piece by piece when it contains both.
QString QuotedLiteral(const QString& text)
{
    QString out;
    QString piece;
    QChar quote = QLatin1Char('"');
    for (const QChar c : text) {
        if (c == quote) {
            if (!piece.isEmpty())
                out += quote + piece + quote;
            piece.clear();
            quote = quote == QLatin1Char('"') ? QLatin1Char('\'') : QLatin1Char('"');
        }
        piece += c;
    }
    if (!piece.isEmpty())
        out += quote + piece + quote;
    return out;
}

// 0 when the locale writes the month first (or no date letters at all), 1
// for the day first, 2 for the year first.
int DateGroup()
{
    for (const QChar c : LocaleSettings().shortDateFormat) {
        switch (c.toUpper().unicode()) {
        case 'M': return 0;
        case 'D': return 1;
        case 'Y': return 2;
        default: break;
        }
    }
    return 0;
}

Qt::PenStyle PenStyleOf(TtgBorderStyle style)
{
    switch (style) {
    case tgbrdDash: return Qt::DashLine;
    case tgbrdDot: return Qt::DotLine;
    case tgbrdDashDot: return Qt::DashDotLine;
    case tgbrdDashDotDot: return Qt::DashDotDotLine;
    case tgbrdNone: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

enum class Side { Top, Bottom, Left, Right };

// The one-pixel line `step` pixels inside rect on a side.
void SideLine(QPainter& painter, const QRect& rect, Side side, int step)
{
    switch (side) {
    case Side::Top: painter.drawLine(rect.left(), rect.top() + step, rect.right(), rect.top() + step); break;
    case Side::Bottom: painter.drawLine(rect.left(), rect.bottom() - step, rect.right(), rect.bottom() - step); break;
    case Side::Left: painter.drawLine(rect.left() + step, rect.top(), rect.left() + step, rect.bottom()); break;
    case Side::Right: painter.drawLine(rect.right() - step, rect.top(), rect.right() - step, rect.bottom()); break;
    }
}

void DrawBorder(QPainter& painter, const QRect& rect, const TtgBorder& border, Side side)
{
    if (border.Style == tgbrdNone || border.Width <= 0)
        return;
    painter.setPen(QPen(ColorToQColor(border.Color), 1, PenStyleOf(border.Style)));
    if (border.Style == tgbrdDouble) {
        SideLine(painter, rect, side, 0);
        SideLine(painter, rect, side, border.Width + 1);
        return;
    }
    for (int step = 0; step < border.Width; ++step)
        SideLine(painter, rect, side, step);
}

} // namespace

EtgInvalidColumnName::EtgInvalidColumnName(const QString& name)
    : std::runtime_error(QStringLiteral("Invalid column name \"%1\"").arg(name).toStdString())
    , m_message(QStringLiteral("Invalid column name \"%1\"").arg(name))
{
}

EtgColumnIndexOutOfRange::EtgColumnIndexOutOfRange()
    : std::runtime_error("TTypedGrid: Column index out of range")
    , m_message(QStringLiteral("TTypedGrid: Column index out of range"))
{
}

int TtgBorder::Extent() const
{
    if (Style == tgbrdNone || Width <= 0)
        return 0;
    return Style == tgbrdDouble ? Width + 2 : Width;
}

void DrawCellBorders(QPainter& painter, QRect& rect, const TtgCellBorders& borders)
{
    const QRect outer = rect;
    painter.save();
    DrawBorder(painter, outer, borders.Top, Side::Top);
    DrawBorder(painter, outer, borders.Bottom, Side::Bottom);
    DrawBorder(painter, outer, borders.Left, Side::Left);
    DrawBorder(painter, outer, borders.Right, Side::Right);
    painter.restore();
    rect.adjust(borders.Left.Extent(), borders.Top.Extent(), -borders.Right.Extent(), -borders.Bottom.Extent());
}

QString NumberMask(const TtgNumberFormat& format)
{
    const QString decimals =
        format.Decimals > 0 ? QLatin1Char('.') + QString(format.Decimals, QLatin1Char('0')) : QString();
    switch (format.FormatType) {
    case tgfmtNumeric: {
        const QString mask = QuotedLiteral(format.Prefix) + QLatin1Char('#')
                             + (format.ThousandsSeparator ? QStringLiteral(",") : QString())
                             + QStringLiteral("##0") + decimals;
        return format.NegativeParenthesis ? mask + QStringLiteral(";(") + mask + QLatin1Char(')') : mask;
    }
    case tgfmtScientific:
        return QLatin1Char('0') + decimals + QStringLiteral("E+00");
    default:
        return {};
    }
}

QString DateMask(int index)
{
    static const char* const firstThree[3][3] = {
        {"m/d", "m/d/yy", "mm/dd/yy"},
        {"d/m", "d/m/yy", "dd/mm/yy"},
        {"m/d", "yy/m/d", "yy/mm/dd"},
    };
    static const char* const rest[8] = {"d-mmm",   "d-mmm-yy",     "dd-mmm-yy",        "mmm-yy",
                                        "mmmm-yy", "mmmm d, yyyy", "ddd mmmm d, yyyy", "dddd mmmm d, yyyy"};
    if (index < 0 || index > 10)
        return {};
    if (index < 3)
        return QLatin1String(firstThree[DateGroup()][index]);
    return QLatin1String(rest[index - 3]);
}

QString TimeMask(int index)
{
    static const char* const masks[4] = {"h:nn", "h:nn ampm", "h:nn:ss", "h:nn:ss ampm"};
    if (index < 0 || index > 3)
        return {};
    return QLatin1String(masks[index]);
}

QString FormatCellText(const TtgNumberFormat& format, const QString& text, bool* converted)
{
    if (converted)
        *converted = true;
    if (text.isEmpty())
        return text;
    switch (format.FormatType) {
    case tgfmtNumeric:
    case tgfmtScientific:
        if (const auto value = DisplayFormat::ParseFloat(text))
            return DisplayFormat::Float(NumberMask(format), *value);
        break;
    case tgfmtDateTime: {
        const QString dateMask = DateMask(format.DateFormat);
        const QString timeMask = TimeMask(format.TimeFormat);
        if (dateMask.isEmpty() && timeMask.isEmpty())
            return text;
        if (const auto value = DisplayFormat::ParseDateTime(text)) {
            const QString mask = dateMask.isEmpty()   ? timeMask
                                 : timeMask.isEmpty() ? dateMask
                                                      : dateMask + QLatin1Char(' ') + timeMask;
            return DisplayFormat::DateTime(mask, *value);
        }
        break;
    }
    case tgfmtNone:
        return text;
    }
    if (converted)
        *converted = false;
    return text;
}
