#pragma once

// The procedure editor: an MDI child window in which a stored procedure is
// created or changed. It shows the name, the input, output and local
// variable grids and the body, builds the CREATE PROCEDURE text from them
// (ALTER when editing), runs it on the window's database, writes the
// parameters' descriptions and adds a new procedure's node to the tree.
//
// The text work (splitting a stored source, the generated layout, the
// caret position of a server error) lives in ProcSource; the grids'
// behaviour in TParamGrid. The window itself stays thin.

#include "app/editors/ProcSource.h"
#include "app/shell/BaseMDI.h"

#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class TFormPlacement;
class TParamGrid;
class TQvDatabase;
class TQvQuery;
class TTypedGrid;
class TqeCustomEdit;
class TqeGeneralSyn;

// What the debugger needs of a procedure: its name, its variables (kind 0
// input, 1 output, 2 local; rows up to the first without a name), the names
// for the debugger editor's value hints, and the body's lines.
struct TProcDebugVar
{
    QString Name;
    QString Type;
    int Kind = 0;
};
struct TProcDebugData
{
    quint64 DBId = 0;
    int DBNumber = 0;
    QString ObjectName;
    QList<TProcDebugVar> Vars;
    QStringList HintVars;
    QStringList Lines;
};

class TEditProc : public TBaseMDI
{
    Q_OBJECT
    Q_PROPERTY(int DBNumber READ DBNumber)

public:
    // A window on the registered database with that identity (TDBList::GetId).
    explicit TEditProc(quint64 dbId, QWidget* parent = nullptr);
    ~TEditProc() override;

    // Set by the opener before LoadProcedure: creating or editing, and the
    // name of the procedure edited (in ProcName).
    bool IsNew = true;
    quint64 DBId() const { return m_dbId; }
    // 1-based number of the window's database in DBList now; 0 once gone.
    int DBNumber() const;
    // The window's connection while it is there.
    TQvDatabase* Database() const;
    int Dialect() const;

    // Fills the window: from the database when editing, empty when creating.
    void LoadProcedure();
    // The CREATE PROCEDURE text of what the window shows.
    QString GenerateProcText() const;
    // Checks, runs the text, writes the descriptions; true when saved.
    bool SaveProcedure();
    // The empty-cell check of the three grids.
    bool CheckParams();
    // The procedure's name as typed text reads it: a new one as the user
    // typed it, an existing one's stored name quoted where it needs it.
    QString TypedName() const;
    void SetModified();
    void ShowCaretPos();
    // The lines of the body editor.
    QStringList BodyLines() const;
    // The status bar's panel texts (0 modified, 1 caret, 2 insert mode).
    QString StatusPanel(int panel) const;

    // Handlers.
    // Saves, then closes when saved (the OK button and F2).
    void SaveAndClose();
    // Saves; the window stays open.
    void CompileBtnClick();
    void ViewGenTextBtnClick();
    void DebugProcBtnClick();
    void AddVarBtnClick(TParamGrid* grid);
    void RemoveVarBtnClick(TParamGrid* grid);
    void ParamDescrClick(TParamGrid* grid);
    // F4 in the body: the pick list.
    void ShowParamList();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers) override;

    // What DebugProcBtnClick hands the debugger.
    TProcDebugData DebugData() const;
    // The debugger window plugs in here; while it is empty the debug
    // command stays disabled.
    static std::function<void(TEditProc& editor, const TProcDebugData& data)>& DebuggerOpener();

    // Components.
    QAction* CompileBtn;
    QAction* ViewGenTextBtn;
    QAction* DebugProcBtn;
    QLineEdit* ProcName;
    QLabel* ProcNameLabel;
    QWidget* InputBox;
    QWidget* OutputBox;
    QWidget* LocalBox;
    TTypedGrid* InputList;
    TTypedGrid* OutputList;
    TTypedGrid* LocalList;
    TParamGrid* Inputs;
    TParamGrid* Outputs;
    TParamGrid* Locals;
    QAction* AddVarBtn1;
    QAction* AddVarBtn2;
    QAction* AddVarBtn3;
    QAction* RemoveVarBtn1;
    QAction* RemoveVarBtn2;
    QAction* RemoveVarBtn3;
    QAction* ParamDescr1;
    QAction* ParamDescr2;
    QAction* ParamDescr3;
    TqeCustomEdit* SQLText;
    TqeGeneralSyn* Syntax;
    QStatusBar* Status;
    QMenu* TypeMenu;
    TFormPlacement* FormPlacement1;

protected:
    // The save action the base runs (F2, "Save changes ?").
    bool OkBtnClick() override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateGridBox(const QString& title, TTypedGrid*& grid, TParamGrid*& params, const QString& what,
                           QAction*& add, QAction*& remove, QAction*& describe, QWidget*& box);
    void CreateBody(QWidget* parent);
    void LoadSource(TQvQuery& query, const QString& name);
    void LoadParameters(TQvQuery& query, const QString& name);
    void WriteDescriptions(TQvDatabase* database);
    void RemoveRequest(TParamGrid* grid, int row);
    void UpdateModifiedPanel();
    bool SQLTextKeyDown(int key, Qt::KeyboardModifiers modifiers);
    QString GridWord(const TParamGrid* grid) const;

    quint64 m_dbId;
    bool m_shown = false;
    // The stored source around what the window shows, written back as it was.
    TSourceLayout m_layout;
    QLabel* m_panels[4] = {};
};

// Opens the editor of a new procedure, or brings the open editor of an
// existing one forward, for the tree's New and Edit commands.
TEditProc* OpenProcEditor(const TObjectRef& ref, bool isNew);
// The select of a procedure's parameters with their exact types, in the window's order.
QString ProcedureParametersSelect(const QString& name);
// Registers the openers for the Procedures category.
void InstallProcEditor();
