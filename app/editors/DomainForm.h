#pragma once

// The domain editor: creates a domain, or changes an existing one's default
// and check (its type, size and NOT NULL stay as they are).

#include "app/editors/ObjectEditorBase.h"
#include "app/editors/ObjectEditorDDL.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class TQcSpinEdit;

class TDomainForm : public TObjectEditorBase
{
    Q_OBJECT
public:
    explicit TDomainForm(quint64 dbId, QWidget* parent = nullptr);

    // Reads an existing domain; the name and type controls are then fixed.
    // Errors propagate.
    void LoadDomain(const QString& name);

    // What the controls hold now.
    TDomainDefinition Definition() const;
    // The statement a save sends now; empty when there is nothing to send.
    QString SaveStatement() const;

    QLineEdit* DName = nullptr;
    QComboBox* DType = nullptr;
    QStackedWidget* SizePages = nullptr;
    TQcSpinEdit* FSize = nullptr;
    TQcSpinEdit* fPrecision = nullptr;
    TQcSpinEdit* FScale = nullptr;
    QComboBox* DDefault = nullptr;
    QCheckBox* DNotNull = nullptr;
    QCheckBox* DCheck = nullptr;
    QPlainTextEdit* DCheckText = nullptr;

    // Loaded from the domain: its default and check text ("" when none).
    QString OldDefault;
    QString OldCheck;
    bool OldNotNull = false;

protected:
    bool OkBtnClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* AddPage(const QString& name);
    void DTypeChange();
    // The default's typing filter by type: true when the key is refused.
    bool RefusedDefaultKey(const QString& typed) const;
    void DDefaultExit();

    QString m_loadedType;
};
