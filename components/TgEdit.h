#pragma once

// The typed grid's cell editor: a line edit with, by its column, a button at
// its right end and a drop-down list of the column's items, and a small hint
// just above it that suggests the item the typed text begins.

#include "components/StringGrid.h"
#include "components/TgGlobal.h"

#include <QListWidget>
#include <QPointer>

class TTypedGrid;
class TtgColumn;
class TtgHintWindow;

// The list a list cell drops down; a popup that leaves the window active.
class TtgDropDownList : public QListWidget
{
    Q_OBJECT

public:
    explicit TtgDropDownList(QWidget* owner);
    ~TtgDropDownList() override;

    // Rows shown without scrolling, and the height of one.
    int VisibleRows() const { return m_visibleRows; }
    int ItemHeight() const { return m_itemHeight; }
    void SetLayout(int visibleRows, int itemHeight);

    // Alt+Down, Alt+Up, Enter or a click: take the selected entry; Esc: none.
    std::function<void(bool take)> OnCloseUp;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Finish(bool take);

    int m_visibleRows = 0;
    int m_itemHeight = 0;
    bool m_finishing = false;
};

class TTgInplaceEdit : public TInplaceEdit
{
    Q_OBJECT

public:
    enum ControlKind { ckNone = 0, ckButton = 1, ckList = 2, ckBoth = 3 };

    explicit TTgInplaceEdit(TTypedGrid* grid);
    ~TTgInplaceEdit() override;

    // Set up for the column of the cell the editor is placed on.
    void Prepare(const TtgColumn* column, bool readOnly);
    int Kind() const { return m_kind; }
    // Where the button is drawn; empty without one.
    QRect ButtonRect() const;

    bool ListVisible() const;
    TtgDropDownList* DropDownList() const { return m_list; }
    void DropDown();
    void CloseUp(bool take);

    bool SuggestionVisible() const;
    QString Suggestion() const { return m_suggestion; }
    TtgHintWindow* SuggestionHint() const { return m_hint; }
    // Shows a suggestion above the editor, or hides it for an empty one.
    void ShowSuggestion(const QString& suggestion);
    void HideSuggestion();

protected:
    bool IsGridKey(const QKeyEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TTypedGrid* TypedGrid() const;
    int ButtonWidth() const;
    void PaintButton(QPainter& painter);

    int m_kind = ckNone;
    bool m_readOnly = false;
    const TtgColumn* m_column = nullptr;
    QPointer<TtgDropDownList> m_list;
    QPointer<TtgHintWindow> m_hint;
    QString m_suggestion;
};

// The first item the typed text begins (both trimmed, letter case aside);
// none when no item does or the text already is that item.
QString FindSuggestion(const QStringList& items, const QString& text);
