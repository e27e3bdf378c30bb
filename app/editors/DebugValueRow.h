#pragma once

// One row of the debugger's initial-value page: an input variable's name
// and type, its "Null" box and the editor its type calls for (a text edit,
// a date edit with a time edit, a time edit, an exact number edit, or a
// floating-point number edit). Checking Null disables the editor.

#include "app/editors/DebugInitialValues.h"

#include <QObject>
#include <QString>

#include <optional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;
class TCurrencyEdit;
class TDateEdit;

class TInitialValueRow : public QObject
{
    Q_OBJECT
public:
    // Places the row's controls on row `row` of the grid (columns 0, 1, 2),
    // parented to `panel`, and shows the stored text (none: empty editor).
    // The row itself is owned by the caller and must go before the panel.
    TInitialValueRow(const QString& name, const QString& type, int row, QWidget* panel, QGridLayout* grid,
                     const std::optional<QString>& stored);
    ~TInitialValueRow() override;

    const QString& Name() const { return m_name; }
    const QString& Type() const { return m_type; }
    TInitialEditor Editor() const { return m_editor; }
    bool IsNull() const;
    // The value as the debugger takes it: the editor's text, or the date
    // and time edits' contents as one date-time text.
    QString ValueText() const;
    // What the registry keeps: "null" or ValueText.
    QString StoredText() const;

    QLabel* NameLabel = nullptr;
    QLabel* TypeLabel = nullptr;
    QCheckBox* NullBox = nullptr;
    QLineEdit* TextEdit = nullptr;      // Text and Exact
    TCurrencyEdit* NumberEdit = nullptr; // Float
    TDateEdit* DateEdit = nullptr;      // DateTime
    QLineEdit* TimeEdit = nullptr;      // DateTime and Time

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const std::optional<QString>& stored);
    void NullBoxClick();
    // Leaving the time edit with no time in it: the message, and back.
    void CheckTime();

    QString m_name;
    QString m_type;
    TInitialEditor m_editor;
    bool m_checking = false;
};
