#pragma once

// The window in which a trigger is created or changed: name, table, style,
// position, active flag, local variables and body. It generates the CREATE
// or ALTER TRIGGER text, sends it, adds the tree node of a new trigger and
// closes after a successful save. A stored trigger it cannot express (more
// than one action, a database or DDL trigger, no stored source) is shown
// read-only and never saved back.

#include "app/editors/ProcSource.h"
#include "app/editors/TrigCatalog.h"
#include "app/shell/BaseMDI.h"

#include <QPointer>
#include <QStringList>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TFormStorage;
class TParamGrid;
class TQcSpinEdit;
class TQvDatabase;
class TTypedGrid;
class TqeCustomEdit;
class TqeGeneralSyn;

class TEditTrig : public TBaseMDI
{
    Q_OBJECT
public:
    explicit TEditTrig(QWidget* parent = nullptr);
    ~TEditTrig() override;

    // Set by the opener before LoadTrigger: create or edit, the database's
    // registration and, when editing, the trigger's exact name.
    bool IsNew = true;
    void SetDatabaseEntry(quint64 dbId) { m_dbId = dbId; }
    // The exact name of the stored trigger to edit.
    void SetTriggerName(const QString& name);
    quint64 DatabaseEntry() const { return m_dbId; }
    // 1 + the database's place in the list now, 0 when it is gone.
    int DBNumber() const;

    // Fills the window from the database; errors are raised.
    void LoadTrigger();
    // The text the current contents give (CREATE when new, ALTER otherwise).
    QString BuildTriggerText() const;
    // The empty-cell check of the local variables; shows what fails.
    bool CheckLocalList();
    // True when the window shows a trigger it cannot save.
    bool IsReadOnly() const { return m_readOnly; }
    QString ReadOnlyReason() const { return m_readOnlyReason; }

    void SetModified();
    void ShowCaretPos();
    QString StatusPanel(int index) const;

    void ViewGenTextBtnClick();
    // Opens the debugger on the trigger: the table's columns as old. and
    // new. variables, then the locals.
    void DebugBtnClick();
    void AddbtnClick();
    void RemoveBtnClick();
    void SetDescriptionClick();
    // F4 in the body: the local variables to choose one from; the chosen
    // name goes in at the caret.
    void ShowParamList();
    // The variables the debugger gets: the table's columns as old./new.
    // and the local variables.
    void GatherDebugVars(TInOutVar& vars) const;

    // The rows of the local variable grid, in order.
    TParamRows Locals() const;

    QLabel* TRNameL;
    QLineEdit* TriggerName;
    QLabel* TableListL;
    QComboBox* TableList;
    QLabel* StyleListL;
    QComboBox* StyleList;
    QLabel* PositionL;
    TQcSpinEdit* Position;
    QCheckBox* IsActive;
    QGroupBox* LocalParams;
    TTypedGrid* LocalList;
    TParamGrid* LocalParamsGrid;
    QPushButton* AddBtn;
    QPushButton* RemoveBtn;
    QPushButton* SetDescription;
    TqeCustomEdit* SQLText;
    TqeGeneralSyn* Syntax;
    QStatusBar* Status;
    QAction* ViewGenTextBtn;
    QAction* DebugBtn;
    TFormStorage* FormStorage1;

protected:
    bool OkBtnClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateLocalList();
    TQvDatabase* Database() const;
    void LoadStoredTrigger(TQvDatabase& database, const QString& name);
    void LoadSource(const QString& source);
    void SetReadOnly(const QString& reason);
    bool ExecuteDDL(TQvDatabase& database, const QString& text);
    void AddTreeNode(const QString& name);

    bool FormKeyDownTrig(int key, Qt::KeyboardModifiers modifiers);
    bool SQLTextKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void RemoveRowAsked(int row);

    quint64 m_dbId = 0;
    int m_dialect = 1;
    bool m_loading = false;
    bool m_readOnly = false;
    QString m_readOnlyReason;
    // The stored source around what the window shows, written back as it was.
    TSourceLayout m_layout;
    // The source's "AS" as written, with any comments before it.
    QString m_asWord;
    QLabel* m_panels[4] = {};
};

// Registers the New and Edit commands of the tree's Triggers category.
void InstallTriggerEditor();
