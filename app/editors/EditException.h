#pragma once

// The exception editor: creates an exception or changes its message.

#include "app/editors/ObjectEditorBase.h"

class QLineEdit;
class QPlainTextEdit;

class TEditException : public TObjectEditorBase
{
    Q_OBJECT
public:
    // The longest message the editor takes.
    static constexpr int MaxMessageLength = 78;

    explicit TEditException(quint64 dbId, QWidget* parent = nullptr);

    // Reads an existing exception's message; the name is then read-only.
    // Errors propagate.
    void LoadException(const QString& name);

    QLineEdit* ExName = nullptr;
    QPlainTextEdit* ExText = nullptr;

protected:
    bool OkBtnClick() override;

private:
    void LimitText();
};
