#pragma once

// The generator editor: creates a generator and sets its value, or sets the
// value of an existing one.

#include "app/editors/ObjectEditorBase.h"

class QLineEdit;
class TCurrencyEdit;

class TGeneratorForm : public TObjectEditorBase
{
    Q_OBJECT
public:
    explicit TGeneratorForm(quint64 dbId, QWidget* parent = nullptr);

    // Shows an existing generator with its current value; the name is then
    // read-only.
    void LoadGenerator(const QString& name, qint64 value);

    QLineEdit* GenName = nullptr;
    TCurrencyEdit* GenValue = nullptr;

protected:
    bool OkBtnClick() override;

private:
    // The value as digits, exactly as typed where it reads as a 64-bit integer.
    QString ValueText() const;
};

// The current value of a generator, read with gen_id(name, 0).
qint64 ReadGeneratorValue(TQvDatabase* database, const QString& name);
