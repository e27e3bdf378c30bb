#pragma once

// TQcSpeedButton: a push button with a glyph and a caption, flat or raised,
// optionally grouped (radio-like), repeating its click while held, and
// optionally showing a drop-down menu. The base of the buttons inside the
// drop-down edits, the calendar's month buttons and the calculator keys.

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <optional>

#include "components/ComponentEvents.h"

namespace qv {
class Timer;
}


enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// 4 is only ever a painting state: a flat button the mouse is not over.
enum class TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsInactive = 4 };
enum class TQcDropDownMenuPos { dmpBottom, dmpRight };
// How the drop-down menu lines up with its point (the old popup menu's own alignment).
enum class TPopupAlignment { paLeft, paRight, paCenter };

// The glyph strip of a button and the image it shows in each state, built on
// first use and dropped when the palette changes.
class TQcButtonGlyph
{
public:
    static constexpr int MaxGlyphs = 5;

    const QImage& Glyph() const { return m_glyph; }
    void setGlyph(const QImage& glyph);
    int NumGlyphs() const { return m_numGlyphs; }
    // 1..5: below 1 counts as 1, above 5 as 5.
    void setNumGlyphs(int count);

    // Width of one cell by the strip's height; empty without a glyph.
    QSize GlyphSize() const;
    // The bottom-left pixel, the transparent colour of every cell.
    QColor TransparentColor() const;
    // The image shown in a state, transparent where the glyph is.
    QImage Image(TButtonState state, const QPalette& palette) const;
    void DropImages() const;

private:
    QImage Cell(int index) const;
    QImage Build(TButtonState state, const QPalette& palette) const;

    QImage m_glyph;
    int m_numGlyphs = 1;
    mutable std::array<std::optional<QImage>, 5> m_images;
};

class TQcSpeedButton : public QWidget
{
    Q_OBJECT

public:
    explicit TQcSpeedButton(QWidget* parent = nullptr);
    ~TQcSpeedButton() override;

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    // Only a grouped button can be down; in a group without AllowAllUp the
    // down button stays down until another one is pressed.
    bool Down() const { return m_down; }
    void setDown(bool down);

    bool AllowTimer() const { return m_allowTimer; }
    // Switching it off stops and frees the repeat timer.
    void setAllowTimer(bool allow);
    int InitPause() const { return m_initPause; }
    void setInitPause(int ms) { m_initPause = ms; }
    int RepeatInterval() const { return m_repeatInterval; }
    void setRepeatInterval(int ms) { m_repeatInterval = ms; }

    QMenu* DropDownMenu() const { return m_dropDownMenu.data(); }
    void setDropDownMenu(QMenu* menu);
    TQcDropDownMenuPos MenuPosition() const { return m_menuPosition; }
    void setMenuPosition(TQcDropDownMenuPos position) { m_menuPosition = position; }
    TPopupAlignment MenuAlignment() const { return m_menuAlignment; }
    void setMenuAlignment(TPopupAlignment alignment) { m_menuAlignment = alignment; }
    bool MarkDropDown() const { return m_markDropDown; }
    void setMarkDropDown(bool mark);

    bool Flat() const { return m_flat; }
    void setFlat(bool flat);
    bool GrayedInactive() const { return m_grayedInactive; }
    void setGrayedInactive(bool grayed);
    QImage Glyph() const { return m_glyph.Glyph(); }
    void setGlyph(const QImage& glyph);
    int NumGlyphs() const { return m_glyph.NumGlyphs(); }
    void setNumGlyphs(int count);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout layout);
    int Margin() const { return m_margin; }
    void setMargin(int margin);
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }
    TButtonStyle Style() const { return m_style; }
    void setStyle(TButtonStyle style);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);

    // What a key that stands for the button does: show it pressed briefly
    // and click it.
    void ButtonClick();
    // Copies ModalResult to the button's dialog, then fires OnClick.
    virtual void Click();

    // The state as drawn, and whether the mouse is over the button.
    TButtonState State() const { return m_state; }
    bool MouseInControl() const { return m_mouseInControl; }
    bool Dragging() const { return m_dragging; }
    bool MenuTracking() const { return m_menuTracking; }
    // Where glyph, caption and drop-down mark go inside the client area.
    struct ContentLayout
    {
        QRect glyph;
        QRect caption;
        QString text; // the caption, shortened to fit
        QPoint mark;  // left end of the mark's top edge; (-1, -1) without mark
    };
    ContentLayout CalcLayout(const QRect& client, const QPoint& offset) const;
    const TQcButtonGlyph& GlyphObject() const { return m_glyph; }

    qv::TNotifyEvent OnClick;
    qv::TNotifyEvent OnDblClick;
    qv::TNotifyEvent OnMouseEnter;
    qv::TNotifyEvent OnMouseLeave;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PressLeft();
    void ReleaseLeft(const QPoint& pos);
    void ShowDropDownMenu();
    void TimerExpired();
    void UpdateExclusive();
    void ButtonPressedInGroup(TQcSpeedButton* sender);
    void UpdateMouseInControl();
    void UpdateMnemonic();
    bool UsesNewLook() const;
    bool HasDropDownMark() const { return m_markDropDown && m_dropDownMenu; }
    static bool Inside(const QPoint& pos, const QSize& size);

    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_allowAllUp = false;
    bool m_allowTimer = false;
    int m_groupIndex = 0;
    bool m_down = false;
    QPointer<QMenu> m_dropDownMenu;
    TQcDropDownMenuPos m_menuPosition = TQcDropDownMenuPos::dmpBottom;
    TPopupAlignment m_menuAlignment = TPopupAlignment::paLeft;
    bool m_flat = false;
    bool m_grayedInactive = true;
    int m_initPause = 500;
    int m_repeatInterval = 100;
    TButtonLayout m_layout = TButtonLayout::blGlyphTop;
    int m_margin = -1;
    int m_spacing = 1;
    bool m_markDropDown = true;
    int m_modalResult = 0;
    TButtonStyle m_style = TButtonStyle::bsAutoDetect;
    bool m_transparent = false;
    bool m_wordWrap = false;

    TButtonState m_state = TButtonState::bsUp;
    bool m_dragging = false;
    bool m_mouseInControl = false;
    bool m_menuTracking = false;
    qv::Timer* m_repeatTimer = nullptr; // child; made on first use
    TQcButtonGlyph m_glyph;
    int m_mnemonicId = 0;
};
