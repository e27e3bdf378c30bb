#pragma once

// Edits for one number: TCustomNumEdit holds the logic, TCurrencyEdit is the
// one the windows place (sizes, generator values, tab widths). While the
// edit has the focus it shows the editable text (the value with
// DecimalPlaces digits at most); without it, the value in DisplayFormat,
// aligned by Alignment. Typing is checked character by character: what would
// not read as a number, has too many decimals or is negative where the range
// allows none is refused with a beep. The range MinValue..MaxValue clips
// every value set; with CheckOnExit, leaving the edit with a value outside it
// shows "Value must be between ..." and keeps the focus in the edit.
//
// Range rules: MinValue = MaxValue means no range; with MaxValue < MinValue
// only a lower bound applies when MaxValue is 0, only an upper bound when
// MinValue is 0, and none otherwise.

#include "components/ComponentEvents.h"

#include <QLineEdit>

class TCustomNumEdit : public QLineEdit
{
    Q_OBJECT

public:
    // DecimalPlaces is kept within 0..MaxDecimalPlaces.
    static constexpr int MaxDecimalPlaces = 18;

    explicit TCustomNumEdit(QWidget* parent = nullptr);
    ~TCustomNumEdit() override;

    // The text is taken over first (a text that reads as no number leaves
    // the value as it was).
    double Value();
    void SetValue(double value);
    double MinValue() const { return m_minValue; }
    void SetMinValue(double value);
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double value);
    int DecimalPlaces() const { return m_decimalPlaces; }
    void SetDecimalPlaces(int places);
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& format);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);
    bool ZeroEmpty() const { return m_zeroEmpty; }
    void SetZeroEmpty(bool zeroEmpty);
    bool FormatOnEditing() const { return m_formatOnEditing; }
    void SetFormatOnEditing(bool on);
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool beep) { m_beepOnError = beep; }
    bool CheckOnExit() const { return m_checkOnExit; }
    void SetCheckOnExit(bool check) { m_checkOnExit = check; }

    // The edit text; setting it converts it to the value (EConvertError for
    // a text that is no number) and writes the value's text back.
    QString Text() const { return text(); }
    void SetText(const QString& text);
    // The value as shown without the focus.
    virtual QString GetDisplayText();
    virtual QString DefaultDisplayFormat() const;

    // The range rules above; with raiseOnError a value outside raises
    // ERangeError "Value must be between <min> and <max>".
    double CheckValue(double value, bool raiseOnError) const;
    // The text as a number text of the locale: blanks trimmed, thousand
    // separators dropped, "." and "," read as the decimal separator, "" as
    // "0" and "-" as "-0".
    static QString TextToValText(const QString& text);
    // Whether typing key over the selection leaves a valid entry.
    virtual bool IsValidChar(QChar key);
    // Back to the value's text, all selected (Esc).
    virtual void Reset();
    // Pastes the clipboard; a paste that leaves no number is undone.
    void Paste();

    qv::TNotifyEvent OnChange;
    qv::TNotifyEvent OnExit;

protected:
    // Refused input, when BeepOnError is on.
    virtual void Beep();
    // Writes the value's edit text without reporting a change.
    virtual void DataChanged();
    // Reads the text into the value (EConvertError when it is no number).
    void UpdateData();

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void TextChanged();
    void ReformatEditText();
    void UpdateEditAlignment();
    void RefuseInput();
    QString EditFormat() const;
    void SetEditText(const QString& text);
    void KeepFocus();

    double m_value = 0;
    double m_minValue = 0;
    double m_maxValue = 0;
    int m_decimalPlaces = 2;
    QString m_displayFormat;
    Qt::Alignment m_alignment = Qt::AlignRight;
    bool m_focused = false;
    bool m_beepOnError = true;
    bool m_checkOnExit = false;
    bool m_zeroEmpty = true;
    bool m_formatOnEditing = false;
    bool m_formatting = false;
};

// The number edit the windows place: no button, a currency display format
// built from the locale by default.
class TCurrencyEdit : public TCustomNumEdit
{
    Q_OBJECT

public:
    explicit TCurrencyEdit(QWidget* parent = nullptr);
    QString DefaultDisplayFormat() const override;
};

// The locale's currency mask: ",0." and the currency decimals, the symbol
// placed as the locale places it, a negative section with a leading "-".
QString CurrencyDisplayFormat();
