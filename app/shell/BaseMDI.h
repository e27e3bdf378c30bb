#pragma once

// The base of the simpler editor windows (MDI children): F2 saves, Esc
// closes, and a window holding unsaved changes asks "Save changes ?" before
// it goes. A descendant supplies its save action by overriding OkBtnClick
// and calls MarkModified from its change handlers; it adds its controls to
// the window's vertical layout, below the tool bar. The window frees itself
// when closed.

#include "app/shell/CloseQuery.h"
#include "app/shell/ObjectOpeners.h"

#include <QWidget>

class QAction;
class QToolBar;

class TBaseMDI : public QWidget, public TCloseQuery
{
    Q_OBJECT
public:
    explicit TBaseMDI(QWidget* parent = nullptr);
    ~TBaseMDI() override;

    // What the window shows, for the shell's searches: the database entry
    // (TDBList::GetId), the kind (a TCategory or TWindowKind) and the exact
    // object name; set it again when a new object got its name.
    void SetIdentity(const TWindowIdentity& identity) { SetWindowIdentity(this, identity); }
    TWindowIdentity Identity() const { return WindowIdentityOf(this); }

    bool Modified() const { return m_modified; }
    // Something was changed: sets Modified and enables OkBtn.
    void MarkModified();

    // F2 and OkBtn: runs the save action. True when it succeeded, which
    // clears Modified; a failure is shown and the window keeps its state.
    bool SaveChanges();
    // CancelBtn: closes the window (the close query applies).
    void CancelBtnClick();
    // Esc closes the window, F2 saves; true when the key was taken. The
    // window sees every key first (the focused control still gets it).
    virtual bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Whether the window may close now: asks "Save changes ?" when Modified;
    // Yes closes only after a successful save, No discards, Cancel stays.
    // The close handler asks it.
    bool FormCloseQuery();
    // The quit's question: the same, never while the window's own work runs.
    bool QueryClose() override;

    QToolBar* ToolBar1;
    QAction* OkBtn;
    QAction* CancelBtn;

protected:
    // The save action. Returns true when everything was written; a failure
    // is either shown here and answered false, or raised (the base shows it).
    // The base has nothing to save.
    virtual bool OkBtnClick();

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool RunSave();

    bool m_modified = false;
};
