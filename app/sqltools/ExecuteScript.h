#pragma once

// The script runner: an MDI child window that runs an SQL script file
// statement by statement and shows every line it read, with each failed
// statement's error as a block the result text colours. It has a connection
// of its own: the script connects or creates its database itself.

#include "app/shell/CloseQuery.h"
#include "app/sqltools/ScriptEcho.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QWidget>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QToolBar;
class TColorMemo;
class TFormPlacement;
class TQvDatabase;
class TQvScript;
class TQvTransaction;

class TRunScript : public QWidget, public TCloseQuery
{
    Q_OBJECT

public:
    explicit TRunScript(QWidget* parent = nullptr);
    ~TRunScript() override;

    // The chosen script file; empty until one is chosen.
    const QString& FileName() const { return m_fileName; }
    // The text of the status line.
    QString StatusText() const;
    // True while a script runs.
    bool Running() const;
    bool QueryClose() override { return !Running(); }
    // The echo of the runs, whose clock a test may set.
    TScriptEcho& Echo() { return m_echo; }

    // Handlers.
    void OpenFileBtnClick();
    void RunBtnClick();
    // Asks the running script to stop before its next statement.
    void StopBtnClick();
    void QvScriptProcessLine(const QString& line, int lineNo, int numLines);
    void QvScriptError(const QString& line, int lineNo, int numLines);

    // Components, under the names the other windows use.
    QToolBar* ToolBar1;
    QAction* OpenFileBtn;
    QAction* RunBtn;
    QAction* StopBtn;
    QLabel* Label1;
    TColorMemo* ResText;
    QStatusBar* StatusBar;
    QLabel* StatusLine;
    QProgressBar* Progress;
    qv::FileDialogRequest OpenDlg;
    TQvDatabase* QvDB;
    TQvTransaction* QvTran;
    TQvScript* QvScript;
    TFormPlacement* FormPlacement1;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class RunningState;

    void CreateToolBar();
    void CreateResultText();
    void CreateStatusBar();
    // F3 and F9; true when the key was one of them.
    bool FormKeyDown(int key);
    // Runs the loaded script; the window is busy meanwhile.
    void Execute();
    void ShowProgress();
    void AppendLines(const QString& lines);

    QString m_fileName;
    TScriptEcho m_echo;
    int m_lineNo = 0;
    int m_numLines = 0;
};

// The main window's "Execute SQL Script": shows the one script runner,
// creating it first when there is none. Returns the window.
TRunScript* ExecuteScriptClick();
// The script runner while one is open, else none.
TRunScript* RunScriptWindow();
// Hooks the script runner into the main window's "Execute SQL Script" item.
void InstallScriptRunnerCommand();
