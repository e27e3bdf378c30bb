#pragma once

// TQcSpinEdit: a numeric edit with a spin button at its right edge. It holds
// an integer or a float value, steps it by Increment with the button, the Up
// and Down keys or the held button, and keeps it in MinValue..MaxValue (no
// range while both are equal). Only characters of a number can be typed;
// whatever else reaches the text (a paste) is rewritten when the focus
// leaves.

#include <QLineEdit>
#include <QPointer>

#include "components/ComponentEvents.h"
#include "components/RepeatTimer.h"
#include "components/SpinButton.h"
#include "components/SpinValue.h"

class QMenu;

enum class TSpinButtonKind { bkStandard, bkDiagonal };

class TQcSpinEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TQcSpinEdit(QWidget* parent = nullptr);
    ~TQcSpinEdit() override;

    double MinValue() const { return m_minValue; }
    void setMinValue(double value) { m_minValue = value; }
    double MaxValue() const { return m_maxValue; }
    void setMaxValue(double value) { m_maxValue = value; }
    double Increment() const { return m_increment; }
    void setIncrement(double increment) { m_increment = increment; }
    int Decimal() const { return m_decimal; }
    // Digits after the separator of a float value (0..18); the text is
    // written again.
    void setDecimal(int decimals);
    bool EditorEnabled() const { return m_editorEnabled; }
    // Off: only the button and the keys change the value.
    void setEditorEnabled(bool enabled);
    TValueType ValueType() const { return m_valueType; }
    // The value is kept; to integers the increment is rounded (0 becomes 1).
    void setValueType(TValueType type);
    bool ArrowKeys() const { return m_arrowKeys; }
    void setArrowKeys(bool arrowKeys);
    TSpinButtonKind ButtonKind() const { return m_buttonKind; }
    void setButtonKind(TSpinButtonKind kind);
    bool AutoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool autoSelect) { m_autoSelect = autoSelect; }

    // The text as a number; MinValue (an integer one truncated) when it is
    // none. An integer beyond 32 bits reads as the nearest 32-bit value.
    double Value() const;
    // Range-checked, then written as text: a float with Decimal digits, an
    // integer rounded (halves to even) and kept within 32 bits.
    void setValue(double value);
    // The value as the windows read it.
    int AsInteger() const;
    double CheckValue(double value) const;

    // Whether a typed character is kept.
    virtual bool IsValidChar(QChar key) const;
    // A step up or down; a read-only edit only beeps. A change of the text
    // marks the edit modified and fires OnChange; then OnTopClick
    // (OnBottomClick) fires. What a handler raises goes to the caller.
    virtual void UpClick(QObject* Sender);
    virtual void DownClick(QObject* Sender);

    TQcSpinButton* Button() const { return m_button.data(); }
    QWidget* BtnWindow() const { return m_btnWindow.data(); }
    TQcUpDown* UpDown() const { return m_upDown.data(); }
    // Width kept free of text at the right.
    int ButtonWidth() const;
    // Font height plus the borders; a lower edit grows to it.
    int MinHeight() const;
    // The context menu: undo, redo, cut, copy, paste, delete, select all;
    // those that change the text are off while the editor is off or the
    // edit is read-only. Parented to the edit.
    QMenu* EditMenu();
    // Where the buttons take their repeat timer from; applies to the
    // buttons made from now on and to the present one.
    void setRepeatTimerFactory(TRepeatTimerFactory factory);

    qv::TNotifyEvent OnChange;
    qv::TNotifyEvent OnTopClick;
    qv::TNotifyEvent OnBottomClick;

protected:
    virtual void Beep();

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Step(double delta, const qv::TNotifyEvent& clickEvent);
    void RecreateButton();
    void PlaceButton();
    void UpDownClick(TUDBtnType button);
    void TextChanged();
    void FireChange();
    bool TextHoldsValue() const;
    bool MayEdit() const { return m_editorEnabled && !isReadOnly(); }
    QChar DecimalSeparator() const;

    double m_minValue = 0;
    double m_maxValue = 0;
    double m_increment = 1;
    int m_decimal = 2;
    bool m_changing = false;
    bool m_editorEnabled = true;
    TValueType m_valueType = TValueType::vtInteger;
    bool m_arrowKeys = true;
    TSpinButtonKind m_buttonKind = TSpinButtonKind::bkDiagonal;
    bool m_autoSelect = true;
    bool m_destroying = false;
    QPointer<TQcSpinButton> m_button;
    QPointer<QWidget> m_btnWindow;
    QPointer<TQcUpDown> m_upDown;
    TRepeatTimerFactory m_timerFactory;
};
