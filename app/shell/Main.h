#pragma once

// The program's main window: the MDI frame with its menus, tool bar and
// status line. Its commands act on the active child window or go to the
// tree window; it keeps no database state of its own.

#include <QMainWindow>
#include <QPointer>
#include <QSet>

#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TFormPlacement;
class TImageMenu;
class TWindowList;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    TImageMenu* ImageMenu1() const { return m_imageMenu; }
    TFormPlacement* FormPlacement1() const { return m_formPlacement; }
    TWindowList* WindowList() const { return m_windowList; }

    // The status line's two panels: 0 the current database, 1 a comment.
    QString StatusPanel(int panel) const;
    void SetStatusPanel(int panel, const QString& text);

    // The MDI child windows (the forms inside the sub-windows), in creation order.
    QList<QWidget*> Children() const;
    int ChildCount() const { return int(Children().size()); }
    QWidget* ActiveChild() const;
    // Shows a form as a child window of the frame.
    QMdiSubWindow* AddChild(QWidget* form);

    // Enables or disables a command; commands whose windows this build does
    // not have yet stay disabled whatever is asked.
    void EnableCommand(QAction* action, bool enabled);
    bool CommandAvailable(const QAction* action) const { return !m_unavailable.contains(action); }
    QList<QAction*> UnavailableCommands() const;
    // Makes a command whose window lives in a library above this one
    // available: the handler runs when the item or its tool button is used.
    void SetCommandHandler(QAction* item, QAction* toolButton, std::function<void()> handler);

    // True while the frame asks its children whether they may close, and
    // from its accepted close on.
    bool ShuttingDown() const { return m_shuttingDown; }

    // Handlers.
    void FormShow();
    // The question after every child agreed; true lets the window close.
    bool FormCloseQuery();
    void ActiveFormChange();
    void FileMenuClick();
    void CloseBtnClick();
    void CloseAllBtnClick();
    void EditCutItemClick();
    void EditCopyItemClick();
    void EditPasteItemClick();
    void Refresh1Click();
    void ShowDescriptionsMenuClick();
    // "Save to File": the active window's result as text.
    void SavetoFileClick();
    void FilePrintItemClick();
    void FilePrintSetupItemClick();
    void HelpAbout();
    void WindowList1Click();
    void Registerdatabase1Click();
    // The registration dialog for one registered database (its TDBList::GetId);
    // true when confirmed.
    bool EditRegistration(quint64 entryId);
    // The database commands of the selected database node (or, for closing,
    // any node below it).
    void UnregisterDatabase1Click();
    void CreatedatabaseBtnClick();
    void DropdatabaseBtnClick();
    void CloseDBBtnClick();
    // Asks every window of the database to close, then ends its connection
    // (TMainTree::CloseEntryConnection). False, with the database left as it
    // was, when a window refused; true also when it was not connected.
    bool CloseDatabase(quint64 entryId, bool freeConnection = false);
    // Asks the database's windows to close; true when none is left open.
    bool CloseDatabaseWindows(quint64 entryId);
    void Contents1Click();

    // Menus and items under the names the other windows use.
    QMenu* FileMenu;
    QMenu* EditMenu;
    QMenu* ViewMenu;
    QMenu* DatabasesMenu;
    QMenu* ObjectsMenu;
    QMenu* Tools1;
    QMenu* WindowMenu;
    QMenu* HelpMenu;
    QAction* SavetoFile;
    QAction* FilePrintItem;
    QAction* FilePrintSetupItem;
    QAction* CloseBtn;
    QAction* CloseAllBtn;
    QAction* CloseSeparator;
    QAction* FileExitItem;
    QAction* EditCutItem;
    QAction* EditCopyItem;
    QAction* EditPasteItem;
    QAction* Refresh1;
    QAction* Dataview1;
    QAction* ExecuteSQLBtn;
    QAction* ShowDescriptionsMenu;
    QAction* CreatedatabaseBtn;
    QAction* DropdatabaseBtn;
    QAction* Registerdatabase1;
    QAction* UnregisterDatabase1;
    QAction* CreateDBobject1;
    QAction* EditDBObject1;
    QAction* DropDBObject1;
    QAction* SetDescription1;
    QAction* DependenciesMenu;
    QAction* Extractmetadata1;
    QAction* ExecuteScript;
    QAction* Options1;
    QAction* WindowTileItem;
    QAction* WindowCascadeItem;
    QAction* WindowArrangeItem;
    QAction* WindowList1;
    QAction* Contents1;
    QAction* HelpAboutItem;
    // Tool bar.
    QAction* ToolCreateDB;
    QAction* ToolDropDB;
    QAction* ToolRegisterDB;
    QAction* ToolUnregDB;
    QAction* CloseDBBtn;
    QAction* Toolrefresh;
    QAction* ToolDataView;
    QAction* ToolExecSQL;

signals:
    // The window has accepted its close: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void DecorateMenus();
    void UpdateWindowMenu();
    bool ChildrenAgreeToClose();
    // The quit goes ahead: each child closes on the answers it gave. False
    // when one could not; the rest stay open as they are.
    bool CloseChildren();
    void ForgetChildrenAnswers();
    // Commands run by openers of the libraries above: available while registered.
    void UpdateOpenerCommands();
    // The selected tree node's registration, 0 unless the node is a database node (or below one with below).
    quint64 SelectedEntry(bool below) const;
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, int image,
                     const QKeySequence& key = {}, int helpContext = 0);

    QMdiArea* m_mdiArea;
    QLabel* m_statusPanels[2];
    TImageMenu* m_imageMenu;
    TFormPlacement* m_formPlacement;
    TWindowList* m_windowList = nullptr;   // child, made on first use
    QList<QAction*> m_windowMenuEntries;
    QSet<const QAction*> m_unavailable;
    bool m_shown = false;
    bool m_shuttingDown = false;
    QMetaObject::Connection m_activeFormHook;
    QMetaObject::Connection m_openersHook;
};

extern TMainForm* MainForm;
