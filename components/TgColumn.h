#pragma once

// The typed grid's descriptions of its columns and of the headings above
// them. A heading describes a title cell; a column adds how its data cells
// look, edit and format. Both belong to their grid's collections; changing
// one repaints the grid, hiding or showing a column changes the grid's
// columns (see TTypedGrid).

#include "components/PanelBevel.h"
#include "components/TgGlobal.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TTypedGrid;

class TtgHeading
{
public:
    explicit TtgHeading(TTypedGrid* grid);
    TtgHeading(const TtgHeading&) = delete;
    TtgHeading& operator=(const TtgHeading&) = delete;
    virtual ~TtgHeading();

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    QString Name() const { return m_name; }
    void SetName(const QString& name);
    Qt::Alignment TitleHAlignment() const { return m_titleHAlignment; }
    void SetTitleHAlignment(Qt::Alignment alignment);
    TtgVAlignment TitleVAlignment() const { return m_titleVAlignment; }
    void SetTitleVAlignment(TtgVAlignment alignment);
    TColor TitleColor() const { return m_titleColor; }
    void SetTitleColor(TColor color);
    // Setting a font stops taking the grid's.
    QFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const QFont& font);
    TColor TitleFontColor() const { return m_titleFontColor; }
    void SetTitleFontColor(TColor color);
    bool TitleParentFont() const { return m_titleParentFont; }
    void SetTitleParentFont(bool parentFont);
    TtgClipStyle TitleClipStyle() const { return m_titleClipStyle; }
    void SetTitleClipStyle(TtgClipStyle style);
    TPanelBevel TitleInnerBevel() const { return m_titleInnerBevel; }
    void SetTitleInnerBevel(TPanelBevel bevel);
    TPanelBevel TitleOuterBevel() const { return m_titleOuterBevel; }
    void SetTitleOuterBevel(TPanelBevel bevel);
    const TtgCellBorders& TitleBorders() const { return m_titleBorders; }
    void SetTitleBorders(const TtgCellBorders& borders);

protected:
    // The grid repaints.
    void Changed();
    TTypedGrid* Grid() const { return m_grid; }

private:
    TTypedGrid* m_grid;
    QString m_caption;
    QString m_name;
    Qt::Alignment m_titleHAlignment = Qt::AlignHCenter;
    TtgVAlignment m_titleVAlignment = tgvaCenter;
    TColor m_titleColor = clBtnFace;
    QFont m_titleFont;
    TColor m_titleFontColor = clBtnText;
    bool m_titleParentFont = true;
    TtgClipStyle m_titleClipStyle = tgclpWrap;
    TPanelBevel m_titleInnerBevel = TPanelBevel::bvNone;
    TPanelBevel m_titleOuterBevel = TPanelBevel::bvRaised;
    TtgCellBorders m_titleBorders;
};

class TtgColumn : public TtgHeading
{
public:
    explicit TtgColumn(TTypedGrid* grid);

    // Its place in the grid's Columns, and the grid column showing it (-1
    // while hidden).
    int Index() const;
    int GridIndex() const;

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // The grid column's width while shown, the remembered one while hidden.
    int Width() const;
    void SetWidth(int width);

    TtgControlTypes ControlType() const { return m_controlType; }
    void SetControlType(TtgControlTypes types);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // 0: no limit.
    int MaxTextLength() const { return m_maxTextLength; }
    void SetMaxTextLength(int length);
    Qt::Alignment ColumnHAlignment() const { return m_columnHAlignment; }
    void SetColumnHAlignment(Qt::Alignment alignment);
    TtgVAlignment ColumnVAlignment() const { return m_columnVAlignment; }
    void SetColumnVAlignment(TtgVAlignment alignment);
    TColor ColumnColor() const { return m_columnColor; }
    void SetColumnColor(TColor color);
    QFont ColumnFont() const { return m_columnFont; }
    void SetColumnFont(const QFont& font);
    TColor ColumnFontColor() const { return m_columnFontColor; }
    void SetColumnFontColor(TColor color);
    bool ColumnParentFont() const { return m_columnParentFont; }
    void SetColumnParentFont(bool parentFont);
    TtgClipStyle ColumnClipStyle() const { return m_columnClipStyle; }
    void SetColumnClipStyle(TtgClipStyle style);
    TPanelBevel ColumnInnerBevel() const { return m_columnInnerBevel; }
    void SetColumnInnerBevel(TPanelBevel bevel);
    TPanelBevel ColumnOuterBevel() const { return m_columnOuterBevel; }
    void SetColumnOuterBevel(TPanelBevel bevel);

    // The drop-down list.
    QStringList Items() const { return m_items; }
    void SetItems(const QStringList& items) { m_items = items; }
    bool AutoSuggest() const { return m_autoSuggest; }
    void SetAutoSuggest(bool autoSuggest) { m_autoSuggest = autoSuggest; }
    bool ComboMaxWidth() const { return m_comboMaxWidth; }
    void SetComboMaxWidth(bool maxWidth) { m_comboMaxWidth = maxWidth; }
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int count) { m_dropDownCount = count > 0 ? count : 1; }

    // The cell button.
    TtgButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TtgButtonStyle style);
    QImage ButtonPicture() const { return m_buttonPicture; }
    void SetButtonPicture(const QImage& picture);
    bool DrawButtonface() const { return m_drawButtonface; }
    void SetDrawButtonface(bool draw);
    TtgVAlignment ButtonVAlignment() const { return m_buttonVAlignment; }
    void SetButtonVAlignment(TtgVAlignment alignment);

    // Index into the grid's Headings; -1 for none.
    int HeadingIndex() const { return m_headingIndex; }
    void SetHeadingIndex(int index);

    // How the cells' texts are shown.
    const TtgNumberFormat& Format() const { return m_format; }
    TtgFormatType FormatType() const { return m_format.FormatType; }
    void SetFormatType(TtgFormatType type);
    int Decimals() const { return m_format.Decimals; }
    void SetDecimals(int decimals);
    QString Prefix() const { return m_format.Prefix; }
    void SetPrefix(const QString& prefix);
    bool ThousandsSeparator() const { return m_format.ThousandsSeparator; }
    void SetThousandsSeparator(bool separator);
    bool NegativeParenthesis() const { return m_format.NegativeParenthesis; }
    void SetNegativeParenthesis(bool parenthesis);
    int DateFormat() const { return m_format.DateFormat; }
    void SetDateFormat(int format);
    int TimeFormat() const { return m_format.TimeFormat; }
    void SetTimeFormat(int format);

private:
    friend class TTypedGrid;

    bool m_visible = true;
    int m_width = 64; // while hidden
    QStringList m_hiddenValues; // one per row while hidden
    TtgControlTypes m_controlType;
    bool m_readOnly = false;
    int m_maxTextLength = 0;
    Qt::Alignment m_columnHAlignment = Qt::AlignLeft;
    TtgVAlignment m_columnVAlignment = tgvaTop;
    TColor m_columnColor = clWindow;
    QFont m_columnFont;
    TColor m_columnFontColor = clWindowText;
    bool m_columnParentFont = true;
    TtgClipStyle m_columnClipStyle = tgclpEllipsis;
    TPanelBevel m_columnInnerBevel = TPanelBevel::bvNone;
    TPanelBevel m_columnOuterBevel = TPanelBevel::bvNone;
    QStringList m_items;
    bool m_autoSuggest = true;
    bool m_comboMaxWidth = false;
    int m_dropDownCount = 8;
    TtgButtonStyle m_buttonStyle = tgbstEllipsis;
    QImage m_buttonPicture;
    bool m_drawButtonface = true;
    TtgVAlignment m_buttonVAlignment = tgvaCenter;
    int m_headingIndex = -1;
    TtgNumberFormat m_format;
};

// The headings of a grid, in order.
class TtgHeadings
{
public:
    explicit TtgHeadings(TTypedGrid* grid);

    int Count() const { return int(m_items.size()); }
    // The heading at an index; none outside.
    TtgHeading* Item(int index) const;
    // A new heading at the end, named "Column n" with the lowest free n.
    TtgHeading& Add();
    void Delete(int index);
    void Clear();

private:
    TTypedGrid* m_grid;
    std::vector<std::unique_ptr<TtgHeading>> m_items;
};

// The columns of a grid in collection order: the visible ones are the grid's
// columns, in this order.
class TtgColumns
{
public:
    explicit TtgColumns(TTypedGrid* grid);

    int Count() const { return int(m_items.size()); }
    // The column at an index; none outside.
    TtgColumn* Item(int index) const;
    int IndexOf(const TtgColumn* column) const;
    // A new visible column at the end (a new grid column too), named
    // "Column n" with the lowest free n.
    TtgColumn& Add();
    // Removes a column (and its grid column with its cells when visible).
    void Delete(int index);
    void Clear();
    // The column with that name, letter case aside; EtgInvalidColumnName
    // when there is none.
    TtgColumn& ColumnByName(const QString& name) const;
    TtgColumn* FindColumn(const QString& name) const;

private:
    friend class TTypedGrid;

    TTypedGrid* m_grid;
    std::vector<std::unique_ptr<TtgColumn>> m_items;
};

// "Column n" with the lowest n no name of the list uses.
QString FirstFreeColumnName(const QStringList& names);
