#include "components/TgColumn.h"

#include "components/TgGrid.h"

#include <algorithm>
#include <set>

// ---------------------------------------------------------------- TtgHeading

TtgHeading::TtgHeading(TTypedGrid* grid)
    : m_grid(grid)
{
    if (grid)
        m_titleFont = grid->font();
}

TtgHeading::~TtgHeading() = default;

void TtgHeading::Changed()
{
    if (m_grid)
        m_grid->ItemChanged();
}

void TtgHeading::SetCaption(const QString& caption)
{
    m_caption = caption;
    Changed();
}

void TtgHeading::SetName(const QString& name)
{
    m_name = name;
}

void TtgHeading::SetTitleHAlignment(Qt::Alignment alignment)
{
    m_titleHAlignment = alignment & Qt::AlignHorizontal_Mask;
    Changed();
}

void TtgHeading::SetTitleVAlignment(TtgVAlignment alignment)
{
    m_titleVAlignment = alignment;
    Changed();
}

void TtgHeading::SetTitleColor(TColor color)
{
    m_titleColor = color;
    Changed();
}

void TtgHeading::SetTitleFont(const QFont& font)
{
    m_titleFont = font;
    m_titleParentFont = false;
    Changed();
}

void TtgHeading::SetTitleFontColor(TColor color)
{
    m_titleFontColor = color;
    m_titleParentFont = false;
    Changed();
}

void TtgHeading::SetTitleParentFont(bool parentFont)
{
    m_titleParentFont = parentFont;
    Changed();
}

void TtgHeading::SetTitleClipStyle(TtgClipStyle style)
{
    m_titleClipStyle = style;
    Changed();
}

void TtgHeading::SetTitleInnerBevel(TPanelBevel bevel)
{
    m_titleInnerBevel = bevel;
    Changed();
}

void TtgHeading::SetTitleOuterBevel(TPanelBevel bevel)
{
    m_titleOuterBevel = bevel;
    Changed();
}

void TtgHeading::SetTitleBorders(const TtgCellBorders& borders)
{
    m_titleBorders = borders;
    Changed();
}

// ---------------------------------------------------------------- TtgColumn

TtgColumn::TtgColumn(TTypedGrid* grid)
    : TtgHeading(grid)
{
    if (grid)
        m_columnFont = grid->font();
}

int TtgColumn::Index() const
{
    return Grid() ? Grid()->Columns().IndexOf(this) : -1;
}

int TtgColumn::GridIndex() const
{
    return Grid() && m_visible ? Grid()->GridIndexOf(this) : -1;
}

void TtgColumn::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    if (Grid())
        Grid()->SetColumnVisible(*this, visible);
    else
        m_visible = visible;
}

int TtgColumn::Width() const
{
    const int index = GridIndex();
    return index >= 0 ? Grid()->ColWidths(index) : m_width;
}

void TtgColumn::SetWidth(int width)
{
    width = std::max(width, 0);
    const int index = GridIndex();
    if (index >= 0)
        Grid()->SetColWidths(index, width);
    else
        m_width = width;
}

void TtgColumn::SetControlType(TtgControlTypes types)
{
    m_controlType = types;
    Changed();
}

void TtgColumn::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    Changed();
}

void TtgColumn::SetMaxTextLength(int length)
{
    m_maxTextLength = std::max(length, 0);
    Changed();
}

void TtgColumn::SetColumnHAlignment(Qt::Alignment alignment)
{
    m_columnHAlignment = alignment & Qt::AlignHorizontal_Mask;
    Changed();
}

void TtgColumn::SetColumnVAlignment(TtgVAlignment alignment)
{
    m_columnVAlignment = alignment;
    Changed();
}

void TtgColumn::SetColumnColor(TColor color)
{
    m_columnColor = color;
    Changed();
}

void TtgColumn::SetColumnFont(const QFont& font)
{
    m_columnFont = font;
    m_columnParentFont = false;
    Changed();
}

void TtgColumn::SetColumnFontColor(TColor color)
{
    m_columnFontColor = color;
    m_columnParentFont = false;
    Changed();
}

void TtgColumn::SetColumnParentFont(bool parentFont)
{
    m_columnParentFont = parentFont;
    Changed();
}

void TtgColumn::SetColumnClipStyle(TtgClipStyle style)
{
    m_columnClipStyle = style;
    Changed();
}

void TtgColumn::SetColumnInnerBevel(TPanelBevel bevel)
{
    m_columnInnerBevel = bevel;
    Changed();
}

void TtgColumn::SetColumnOuterBevel(TPanelBevel bevel)
{
    m_columnOuterBevel = bevel;
    Changed();
}

void TtgColumn::SetButtonStyle(TtgButtonStyle style)
{
    m_buttonStyle = style;
    Changed();
}

void TtgColumn::SetButtonPicture(const QImage& picture)
{
    m_buttonPicture = picture;
    Changed();
}

void TtgColumn::SetDrawButtonface(bool draw)
{
    m_drawButtonface = draw;
    Changed();
}

void TtgColumn::SetButtonVAlignment(TtgVAlignment alignment)
{
    m_buttonVAlignment = alignment;
    Changed();
}

void TtgColumn::SetHeadingIndex(int index)
{
    m_headingIndex = index < 0 ? -1 : index;
    Changed();
}

void TtgColumn::SetFormatType(TtgFormatType type)
{
    m_format.FormatType = type;
    Changed();
}

void TtgColumn::SetDecimals(int decimals)
{
    m_format.Decimals = std::max(decimals, 0);
    Changed();
}

void TtgColumn::SetPrefix(const QString& prefix)
{
    m_format.Prefix = prefix;
    Changed();
}

void TtgColumn::SetThousandsSeparator(bool separator)
{
    m_format.ThousandsSeparator = separator;
    Changed();
}

void TtgColumn::SetNegativeParenthesis(bool parenthesis)
{
    m_format.NegativeParenthesis = parenthesis;
    Changed();
}

void TtgColumn::SetDateFormat(int format)
{
    m_format.DateFormat = format;
    Changed();
}

void TtgColumn::SetTimeFormat(int format)
{
    m_format.TimeFormat = format;
    Changed();
}

// ---------------------------------------------------------------- collections

QString FirstFreeColumnName(const QStringList& names)
{
    std::set<QString> used;
    for (const QString& name : names)
        used.insert(name.toUpper());
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Column %1").arg(n);
        if (!used.count(name.toUpper()))
            return name;
    }
}

TtgHeadings::TtgHeadings(TTypedGrid* grid)
    : m_grid(grid)
{
}

TtgHeading* TtgHeadings::Item(int index) const
{
    return index >= 0 && index < Count() ? m_items[size_t(index)].get() : nullptr;
}

TtgHeading& TtgHeadings::Add()
{
    QStringList names;
    for (const auto& item : m_items)
        names << item->Name();
    auto heading = std::make_unique<TtgHeading>(m_grid);
    heading->SetName(FirstFreeColumnName(names));
    m_items.push_back(std::move(heading));
    if (m_grid)
        m_grid->ItemChanged();
    return *m_items.back();
}

void TtgHeadings::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    if (m_grid)
        m_grid->ItemChanged();
}

void TtgHeadings::Clear()
{
    m_items.clear();
    if (m_grid)
        m_grid->ItemChanged();
}

TtgColumns::TtgColumns(TTypedGrid* grid)
    : m_grid(grid)
{
}

TtgColumn* TtgColumns::Item(int index) const
{
    return index >= 0 && index < Count() ? m_items[size_t(index)].get() : nullptr;
}

int TtgColumns::IndexOf(const TtgColumn* column) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == column)
            return int(i);
    return -1;
}

TtgColumn& TtgColumns::Add()
{
    return m_grid->AddColumn();
}

void TtgColumns::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_grid->DeleteColumn(index);
}

void TtgColumns::Clear()
{
    while (Count() > 0)
        m_grid->DeleteColumn(Count() - 1);
}

TtgColumn* TtgColumns::FindColumn(const QString& name) const
{
    for (const auto& column : m_items)
        if (column->Name().compare(name, Qt::CaseInsensitive) == 0)
            return column.get();
    return nullptr;
}

TtgColumn& TtgColumns::ColumnByName(const QString& name) const
{
    TtgColumn* column = FindColumn(name);
    if (!column)
        throw EtgInvalidColumnName(name);
    return *column;
}
