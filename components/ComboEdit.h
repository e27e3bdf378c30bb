#pragma once

// Edits with a small button at their right edge. Pressing the button (or the
// key ClickKey, Alt+Down) either drops a window below the edit (the month
// calendar) or runs a dialog (file dialog, date dialog). TCustomComboEdit is
// the base of the file-name and date edits and of the number edits.

#include "components/ComponentEvents.h"
#include "components/SpeedButton.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <stdexcept>

class QPainter;

// The error of the drop-down edits; the text is shown to the user as it stands.
class EComboEditError : public std::runtime_error
{
public:
    explicit EComboEditError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

enum class TPopupAlign { epaRight, epaLeft };
enum class TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// Where a window of popupSize drops for an edit at editRect (global
// coordinates) on a screen: below the edit, above it when there is no room
// below; right or left edges lined up by align; never past the screen's sides.
QPoint PopupOrigin(const QRect& editRect, const QSize& popupSize, const QRect& screen, TPopupAlign align);

// The three-dot image of the ellipsis button for a button width.
QImage EllipsisGlyph(int buttonWidth);

// The base of the windows that drop down below an edit. It never takes the
// focus: the edit keeps it and passes the keys on.
class TPopupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TPopupWindow(QWidget* editor);

    QWidget* Editor() const { return m_editor; }
    virtual QVariant GetValue() const = 0;
    virtual void SetValue(const QVariant& value) = 0;
    // Tells OnCloseUp (accepted or not).
    virtual void CloseUp(bool accept);
    virtual QString GetPopupText() const { return {}; }

    // Shows the window at a screen point without activating it.
    void ShowAt(const QPoint& origin);
    void Hide() { hide(); }
    // Repaints the owner's text at once.
    void InvalidateEditor();

    std::function<void(QObject* sender, bool accept)> OnCloseUp;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_editor;
};

class TCustomComboEdit;

// The edit's button. A press that closed an open popup swallows the click
// that follows it, so the popup does not drop again at once.
class TEditButton : public TQcSpeedButton
{
    Q_OBJECT
public:
    explicit TEditButton(TCustomComboEdit* edit, QWidget* parent);

    bool NoAction() const { return m_noAction; }
    void Click() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    TCustomComboEdit* m_edit;
    bool m_noAction = false;
};

class TCustomComboEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TCustomComboEdit(QWidget* parent = nullptr);
    ~TCustomComboEdit() override;

    TEditButton* Button() const { return m_button; }
    QWidget* BtnControl() const { return m_btnControl; }
    TPopupWindow* Popup() const { return m_popup.data(); }

    int ButtonWidth() const;
    // Below 2 pixels the button is hidden.
    void SetButtonWidth(int width);
    QString ButtonHint() const;
    void SetButtonHint(const QString& hint);
    QKeySequence ClickKey() const { return m_clickKey; }
    void SetClickKey(const QKeySequence& key) { m_clickKey = key; }
    bool DirectInput() const { return m_directInput; }
    void SetDirectInput(bool direct);
    // The control's own flag; the edit window is also read-only without direct input.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    TPopupAlign PopupAlign() const { return m_popupAlign; }
    void SetPopupAlign(TPopupAlign align) { m_popupAlign = align; }
    TGlyphKind GlyphKind() const { return m_glyphKind; }
    void SetGlyphKind(TGlyphKind kind);
    QImage Glyph() const;
    void SetGlyph(const QImage& glyph);
    int NumGlyphs() const;
    void SetNumGlyphs(int count);
    bool PopupVisible() const { return m_popupVisible; }
    bool Focused() const { return m_focused; }

    // The button's click: nothing on a read-only edit, else ButtonClick.
    void EditButtonClick();
    // Closes the popup; accepting hands its value to the edit.
    void PopupCloseUp(QObject* sender, bool accept);

    qv::TNotifyEvent OnButtonClick;
    qv::TNotifyEvent OnChange;

protected:
    // The glyph of gkDefault; none here.
    virtual QImage GetDefaultBitmap() const { return {}; }
    int DefaultNumGlyphs() const { return m_defNumGlyphs; }
    void SetDefaultNumGlyphs(int count) { m_defNumGlyphs = count; }
    void SetPopup(TPopupWindow* popup);

    virtual void ButtonClick();
    virtual void PopupDropDown(bool disableEdit);
    virtual void ShowPopup(const QPoint& origin);
    virtual void HidePopup();
    virtual bool AcceptPopup(QVariant& value);
    virtual void AcceptValue(const QVariant& value);
    virtual void SetPopupValue(const QVariant& value);
    virtual QVariant GetPopupValue() const;
    virtual void PopupChange() {}
    virtual void Change();
    // Keys the popup takes while it is down; the date edit passes some on.
    virtual bool ForwardToPopup(QKeyEvent* event);

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void UpdateEditReadOnly();
    // Takes the popup-visible flag from the popup's own visibility.
    void RefreshPopupVisible() { m_popupVisible = m_popup && m_popup->isVisible(); }

private:
    void RecreateGlyph();
    void UpdateButtonBounds();
    void WatchOutsideClicks(bool watch);

    QWidget* m_btnControl;
    TEditButton* m_button;
    QPointer<TPopupWindow> m_popup;
    QKeySequence m_clickKey{Qt::ALT | Qt::Key_Down};
    bool m_readOnly = false;
    bool m_directInput = true;
    bool m_popupVisible = false;
    bool m_focused = false;
    bool m_watching = false;
    bool m_fixedButtonWidth = false;
    TPopupAlign m_popupAlign = TPopupAlign::epaRight;
    TGlyphKind m_glyphKind = TGlyphKind::gkCustom;
    int m_defNumGlyphs = 1;
    int m_buttonWidth = 21;
};

// Paints the text of an edit of this family that is not being edited, as the
// number edits show their formatted value: false when standardPaint lets the
// edit paint itself. Left: the edit's left margin; right: up to the button;
// centre: centred in the room beside the button; at the left margin while
// the popup is down.
bool PaintComboEdit(const TCustomComboEdit& editor, const QString& text, Qt::Alignment alignment,
                    bool standardPaint, QPainter& painter);
