#include "app/sqltools/ExecuteScript.h"

#include "access/QvDatabase.h"
#include "access/QvScript.h"
#include "app/shell/Main.h"
#include "app/shell/ObjectOpeners.h"
#include "app/sqltools/ScriptFile.h"
#include "components/ColorMemo.h"
#include "components/FormPlacement.h"
#include "platform/EventPump.h"
#include "platform/KeyDelivery.h"
#include "platform/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kErrorBegin = QStringLiteral("/*$$ ********  ERROR  *************");
const QString kErrorEnd = QStringLiteral(" $$*/");
// Error texts of the server run to several lines; the colour of a block
// stays while its first line is no more than this far above the top.
constexpr int kErrorBlockLines = 16;

QPointer<TRunScript> g_runScript;

} // namespace

// The window's controls while a script runs: nothing that would start
// another run or replace the script, and a stop button.
class TRunScript::RunningState
{
public:
    explicit RunningState(TRunScript& window)
        : m_window(window)
    {
        m_window.OpenFileBtn->setEnabled(false);
        m_window.RunBtn->setEnabled(false);
        m_window.StopBtn->setEnabled(true);
        m_window.Progress->setRange(0, 0);
        m_window.Progress->show();
    }
    ~RunningState()
    {
        m_window.OpenFileBtn->setEnabled(true);
        m_window.RunBtn->setEnabled(!m_window.m_fileName.isEmpty());
        m_window.StopBtn->setEnabled(false);
        m_window.Progress->hide();
    }
    RunningState(const RunningState&) = delete;
    RunningState& operator=(const RunningState&) = delete;

private:
    TRunScript& m_window;
};

TRunScript::TRunScript(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RunScript"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Execute SQL Script"));
    resize(560, 420);

    // Children go in the order they came: the statement before its
    // transaction, the transaction before its connection.
    QvScript = new TQvScript(this);
    QvScript->setObjectName(QStringLiteral("QvScript"));
    QvTran = new TQvTransaction(this);
    QvTran->setObjectName(QStringLiteral("QvTran"));
    QvDB = new TQvDatabase(this);
    QvDB->setObjectName(QStringLiteral("QvDB"));
    QvTran->SetDefaultDatabase(QvDB);
    QvTran->SetTimeoutAction(TARollback);
    QvDB->SetDefaultTransaction(QvTran);
    QvDB->SetTimeout(0);
    QvScript->SetDatabase(QvDB);
    QvScript->SetTransaction(QvTran);
    QvScript->SetParamCheck(false);
    QvScript->SetShowParams(false);
    connect(QvScript, &TQvScript::OnProcessLine, this, &TRunScript::QvScriptProcessLine);
    connect(QvScript, &TQvScript::OnError, this, &TRunScript::QvScriptError);

    OpenDlg.kind = qv::FileDialogKind::Open;
    OpenDlg.title = QStringLiteral("Open Script File");
    OpenDlg.defaultExt = QStringLiteral("sql");
    OpenDlg.fileName = QStringLiteral("*.sql");
    OpenDlg.filter = QStringLiteral("Script files|*.sql|All files|*.*");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    CreateToolBar();
    layout->addWidget(ToolBar1);
    Label1 = new QLabel(QStringLiteral("Result Window:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(Label1);
    CreateResultText();
    layout->addWidget(ResText, 1);
    CreateStatusBar();
    layout->addWidget(StatusBar);

    FormPlacement1 = new TFormPlacement(this);
    FormPlacement1->setObjectName(QStringLiteral("FormPlacement1"));
    FormPlacement1->SetIniFileName(kFormPlacementsKey);

    m_echo.Output = [this](const QString& lines) { AppendLines(lines); };
    m_echo.Pump = [this] {
        ShowProgress();
        qv::processMessages();
    };

    // The window sees every key first; the focused control still gets it.
    qApp->installEventFilter(this);
}

TRunScript::~TRunScript()
{
    qApp->removeEventFilter(this);
    // A run always ends with its connection closed; this is for a script the
    // executor could not finish.
    try {
        if (QvTran->Active())
            QvTran->Rollback();
        if (QvDB->Connected())
            QvDB->Close();
    } catch (const std::exception& error) {
        qWarning("Script runner: closing its connection: %s", error.what());
    }
}

// ------------------------------------------------------------------ building

void TRunScript::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle* style = this->style();
    auto add = [this](const char* name, const QIcon& icon, const QString& caption) {
        QAction* action = ToolBar1->addAction(icon, caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(caption);
        return action;
    };
    OpenFileBtn = add("OpenFileBtn", style->standardIcon(QStyle::SP_DialogOpenButton),
                      QStringLiteral("Open Script File (F3)"));
    RunBtn = add("RunBtn", style->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Run Script (F9)"));
    RunBtn->setEnabled(false);
    ToolBar1->addSeparator();
    StopBtn = add("StopBtn", style->standardIcon(QStyle::SP_MediaStop), QStringLiteral("Stop Script"));
    StopBtn->setEnabled(false);
    connect(OpenFileBtn, &QAction::triggered, this, &TRunScript::OpenFileBtnClick);
    connect(RunBtn, &QAction::triggered, this, &TRunScript::RunBtnClick);
    connect(StopBtn, &QAction::triggered, this, &TRunScript::StopBtnClick);
}

void TRunScript::CreateResultText()
{
    ResText = new TColorMemo(this);
    ResText->setObjectName(QStringLiteral("ResText"));
    ResText->setReadOnly(true);
    // An output window: nothing to undo, and an undo record per append
    // would only grow with the script.
    ResText->setUndoRedoEnabled(false);
    ResText->setLineWrapMode(QPlainTextEdit::NoWrap);
    ResText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyBegEndLst({QStringLiteral("/*$$;$$*/")});
    rule.setKeyMaxHeight(kErrorBlockLines);
    ResText->setColorRules(rules);
}

void TRunScript::CreateStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusLine = new QLabel(StatusBar);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusBar->addWidget(StatusLine, 1);
    Progress = new QProgressBar(StatusBar);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setFormat(QStringLiteral("Line %v of %m"));
    Progress->setFixedWidth(200);
    Progress->hide();
    StatusBar->addPermanentWidget(Progress);
}

// ------------------------------------------------------------------ commands

QString TRunScript::StatusText() const
{
    return StatusLine->text();
}

bool TRunScript::Running() const
{
    return qv::BusyGuard::isBusy(this);
}

void TRunScript::OpenFileBtnClick()
{
    // Never while a script runs: the file it reads stays the one it was given.
    const qv::BusyGuard busy(this);
    if (!busy.acquired())
        return;
    if (!qv::runFileDialog(OpenDlg))
        return;
    m_fileName = OpenDlg.fileName;
    StatusLine->setText(QStringLiteral("ScriptFile: ") + m_fileName);
    RunBtn->setEnabled(true);
}

void TRunScript::RunBtnClick()
{
    // Runs never nest, and the window is not closed under one.
    const qv::BusyGuard busy(this);
    if (!busy.acquired())
        return;
    if (m_fileName.isEmpty()) {
        qv::messageDlg(QStringLiteral("Script file not opened !"), qv::mtError, qv::mbOK);
        return;
    }
    QStringList lines;
    try {
        lines = ReadScriptFile(m_fileName);
    } catch (const std::exception& error) {
        qv::showException(QString::fromUtf8(error.what()));
        return;
    }
    ResText->clear();
    QvScript->SetScript(lines);
    Execute();
    if (const int line = QvScript->StoppedAtLine(); line > 0)
        qv::messageDlg(QStringLiteral("Script stopped at line %1 of %2 - its open transaction was rolled back")
                           .arg(line)
                           .arg(lines.size()),
                       qv::mtWarning, qv::mbOK);
    else if (QvScript->ErrorsOccurred())
        qv::messageDlg(QStringLiteral("Errors detected - see Error Window for details"), qv::mtError, qv::mbOK);
    else
        qv::messageDlg(QStringLiteral("Script Executed Successfully !"), qv::mtInformation, qv::mbOK);
}

void TRunScript::Execute()
{
    const RunningState running(*this);
    const qv::WaitCursor wait;
    m_lineNo = 0;
    m_numLines = int(QvScript->Script().size());
    ShowProgress();
    m_echo.Start();
    try {
        QvScript->ExecuteScript();
    } catch (const std::exception& error) {
        // The executor reports a statement's failure itself; this is a
        // failure of the run around them.
        m_echo.Flush();
        qv::showException(QString::fromUtf8(error.what()));
    }
    m_echo.Flush();
}

void TRunScript::StopBtnClick()
{
    if (Running())
        QvScript->Stop();
}

void TRunScript::QvScriptProcessLine(const QString& line, int lineNo, int numLines)
{
    m_lineNo = lineNo;
    m_numLines = numLines;
    // A carriage return left inside a line would start a line of its own in
    // the echo and put every error block after it out of place.
    QString shown = line;
    m_echo.Add(shown.remove(QLatin1Char('\r')));
}

void TRunScript::QvScriptError(const QString& line, int, int)
{
    m_echo.Add(kErrorBegin);
    m_echo.Add(line + kErrorEnd);
}

void TRunScript::AppendLines(const QString& lines)
{
    ResText->appendPlainText(lines);
}

void TRunScript::ShowProgress()
{
    if (Progress->maximum() != m_numLines)
        Progress->setRange(0, m_numLines);
    Progress->setValue(m_lineNo);
}

// ------------------------------------------------------------------ window

void TRunScript::closeEvent(QCloseEvent* event)
{
    // The running script still uses the window.
    if (!QueryClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TRunScript::eventFilter(QObject* watched, QEvent* event)
{
    // A key the window uses goes no further: the file dialog it opens takes
    // the focus away, and on a real display the focus is back only once the
    // window manager says so - the same key, still going up through the
    // parents, would look like a first delivery to the window again.
    if (event->type() == QEvent::KeyPress && IsFirstKeyDelivery(*this, *watched))
        return FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    return false;
}

bool TRunScript::FormKeyDown(int key)
{
    if (key == Qt::Key_F3)
        OpenFileBtnClick();
    else if (key == Qt::Key_F9)
        RunBtnClick();
    else
        return false;
    return true;
}

// ------------------------------------------------------------------ opening

TRunScript* RunScriptWindow()
{
    // A closed window is hidden until its deletion comes round.
    return g_runScript && !g_runScript->isHidden() ? g_runScript.data() : nullptr;
}

TRunScript* ExecuteScriptClick()
{
    if (!MainForm)
        return nullptr;
    TRunScript* window = RunScriptWindow();
    if (!window) {
        window = new TRunScript;
        g_runScript = window;
        MainForm->AddChild(window);
    }
    window->show();
    if (QMdiSubWindow* sub = MdiSubWindowOf(window)) {
        sub->show();
        if (sub->isMinimized())
            sub->showNormal();
        MainForm->MdiArea()->setActiveSubWindow(sub);
    }
    return window;
}

void InstallScriptRunnerCommand()
{
    TObjectOpeners::Instance().SetTool(TToolCommand::RunScript, [](const TObjectRef&) { ExecuteScriptClick(); });
}
