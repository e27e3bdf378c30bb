#pragma once

// What the typed grid's columns, headings and cells are described with, and
// the plain routines that turn a cell's text into what the grid shows: the
// number, scientific and date-time masks of a column and the border lines
// drawn around a cell.

#include "components/ColorValue.h"

#include <QFlags>
#include <QString>

#include <stdexcept>

class QPainter;
class QRect;

enum TtgVAlignment { tgvaTop, tgvaCenter, tgvaBottom };
enum TtgClipStyle { tgclpClip, tgclpEllipsis, tgclpWrap };
enum TtgControlType { tgctlComboBox = 0x1, tgctlButton = 0x2 };
Q_DECLARE_FLAGS(TtgControlTypes, TtgControlType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TtgControlTypes)
enum TtgButtonStyle { tgbstEllipsis, tgbstDropDown, tgbstCustom };
enum TtgFormatType { tgfmtNone, tgfmtNumeric, tgfmtDateTime, tgfmtScientific };
enum TtgBorderStyle { tgbrdNone, tgbrdSolid, tgbrdDash, tgbrdDot, tgbrdDashDot, tgbrdDashDotDot, tgbrdDouble };
enum TtgOption { tgoptDrawFocusRectangle = 0x1, tgoptHighlightSelection = 0x2 };
Q_DECLARE_FLAGS(TtgOptions, TtgOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TtgOptions)

// A name given to ColumnByName that no column has.
class EtgInvalidColumnName : public std::runtime_error
{
public:
    explicit EtgInvalidColumnName(const QString& name);
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// A grid column index that shows no column.
class EtgColumnIndexOutOfRange : public std::runtime_error
{
public:
    EtgColumnIndexOutOfRange();
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// One side of a cell's frame: Width one-pixel lines stepping inward.
struct TtgBorder
{
    TtgBorderStyle Style = tgbrdNone;
    int Width = 1;
    TColor Color = clBlack;

    // Pixels the border takes from the cell: Width, Width + 2 for a double
    // line, none without a line.
    int Extent() const;
    bool operator==(const TtgBorder&) const = default;
};

struct TtgCellBorders
{
    TtgBorder Top, Bottom, Left, Right;
};

// Draws the four borders just inside rect and shrinks rect by what they take.
void DrawCellBorders(QPainter& painter, QRect& rect, const TtgCellBorders& borders);

// How a column shows its cells' texts.
struct TtgNumberFormat
{
    TtgFormatType FormatType = tgfmtNone;
    int Decimals = 2;
    QString Prefix;
    bool ThousandsSeparator = true;
    bool NegativeParenthesis = false;
    int DateFormat = 2;  // index into the locale's group of date masks; < 0 for none
    int TimeFormat = -1; // 0 "h:nn", 1 "h:nn ampm", 2 "h:nn:ss", 3 "h:nn:ss ampm"; < 0 for none
};

// The mask a numeric or scientific column formats with ("" for the others).
QString NumberMask(const TtgNumberFormat& format);
// The date mask for an index (0..10) in the group the locale's short date
// order picks (month, day or year first); "" outside.
QString DateMask(int index);
// The time mask for an index (0..3); "" outside.
QString TimeMask(int index);

// A cell text as its column shows it. Empty text stays empty; a text the
// format cannot read is shown as it stands and converted is false.
QString FormatCellText(const TtgNumberFormat& format, const QString& text, bool* converted = nullptr);
