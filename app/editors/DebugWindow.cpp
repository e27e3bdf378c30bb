#include "app/editors/DebugWindow.h"

#include "app/editors/DebugValueRow.h"
#include "app/editors/EditProc.h"
#include "app/editors/ObjectLinks.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/Options.h"
#include "components/AlignLayout.h"
#include "components/FormPlacement.h"
#include "components/Splitter.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/KeyDelivery.h"
#include "platform/Registry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPolygon>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("SQL Debugger");

QPixmap BreakpointGlyph()
{
    QPixmap glyph(12, 12);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(128, 0, 0));
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(1, 1, 10, 10);
    return glyph;
}

QPixmap ExecutionPointGlyph()
{
    QPixmap glyph(12, 12);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0, 64, 0));
    painter.setBrush(QColor(0, 176, 0));
    painter.drawPolygon(QPolygon({QPoint(2, 1), QPoint(10, 6), QPoint(2, 11)}));
    return glyph;
}

QTableWidget* NewGrid(QWidget* parent, const char* name, const QStringList& headers)
{
    auto* grid = new QTableWidget(0, int(headers.size()), parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setHorizontalHeaderLabels(headers);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    return grid;
}

QTableWidgetItem* Cell(const QString& text, bool number = false)
{
    auto* item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

Ts_debug::Ts_debug(quint64 dbId, QWidget* parent)
    : QWidget(parent)
    , m_dbId(dbId)
{
    setObjectName(QStringLiteral("s_debug"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(640, 520);

    const int index = DBList ? DBList->IndexOfId(dbId) : -1;
    m_debugger = std::make_unique<TDebugger>(index >= 0 ? DBList->GetDatabase(index) : nullptr);
    m_debugger->OnSessionStart = [this] {
        LoadInitialValues();
        RefreshVarGrid();
        RefreshStatGrid();
    };
    m_debugger->OnBetweenStatements = [] { qv::processMessages(); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateMenu();
    layout->setMenuBar(MainMenu);
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(Pages, 1);
    CreateInitialPage();
    CreateDebugPage();
    CreateStatPage();
    Pages->setCurrentWidget(DebugPage);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(kFormPlacementsKey);
    FormStorage1->SetStoredProps({QStringLiteral("VarGrid.Height")});

    SetWindowIdentity(this, {m_dbId, wkDebugger, QString()});
    RefreshVarGrid();
    RefreshStatGrid();
    UpdateCommands();
    // The window sees every key first (F9, F8, F4, Ctrl+F2, F5, Esc).
    qApp->installEventFilter(this);
}

Ts_debug::~Ts_debug()
{
    qApp->removeEventFilter(this);
    // The debugger ends its session itself: cursors closed, no temporary
    // procedure left.
    m_debugger.reset();
}

Ts_debug* Ts_debug::Find(quint64 dbId, const QString& objectName)
{
    return qobject_cast<Ts_debug*>(FindObjectWindow(dbId, wkDebugger, objectName));
}

int Ts_debug::DBNumber() const
{
    return DBList ? DBList->IndexOfId(m_dbId) + 1 : 0;
}

QString Ts_debug::DatabaseName() const
{
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    return index >= 0 ? DBList->GetName(index) : QString();
}

QString Ts_debug::BaseCaption() const
{
    return kCaption + QStringLiteral(" - ") + m_objectName;
}

// ------------------------------------------------------------------ building

void Ts_debug::CreateMenu()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu1"));
    RunMenu = MainMenu->addMenu(QStringLiteral("&Run"));
    RunMenu->setObjectName(QStringLiteral("RunMenu"));
    // The keys are the window's own (FormKeyDown); the menu shows them.
    auto add = [](QMenu* menu, const char* name, const QString& text, const QString& key) {
        QAction* action = menu->addAction(key.isEmpty() ? text : text + QLatin1Char('\t') + key);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    RunItem = add(RunMenu, "RunItem", QStringLiteral("&Run"), QStringLiteral("F9"));
    StepOverItem = add(RunMenu, "StepOverItem", QStringLiteral("Step Over"), QStringLiteral("F8"));
    RunToCursorItem = add(RunMenu, "RunToCursorItem", QStringLiteral("Run to cursor"), QStringLiteral("F4"));
    ResetItem = add(RunMenu, "ResetItem", QStringLiteral("Reset"), QStringLiteral("Ctrl+F2"));
    ParametersMenu = MainMenu->addMenu(QStringLiteral("Parameters"));
    ParametersMenu->setObjectName(QStringLiteral("ParametersMenu"));
    SaveInitialValueItem = add(ParametersMenu, "SaveInitialValueItem", QStringLiteral("Save initial value "), {});
    FontItem = add(ParametersMenu, "FontItem", QStringLiteral("Font..."), {});
    connect(RunItem, &QAction::triggered, this, &Ts_debug::RunClick);
    connect(StepOverItem, &QAction::triggered, this, &Ts_debug::StepOverClick);
    connect(RunToCursorItem, &QAction::triggered, this, &Ts_debug::RunToCursorClick);
    connect(ResetItem, &QAction::triggered, this, &Ts_debug::ResetClick);
    connect(SaveInitialValueItem, &QAction::triggered, this, &Ts_debug::SaveInitialValueClick);
    connect(FontItem, &QAction::triggered, this, &Ts_debug::FontClick);
}

void Ts_debug::CreateInitialPage()
{
    InitialPage = new QWidget(Pages);
    InitialPage->setObjectName(QStringLiteral("InitialPage"));
    Pages->addTab(InitialPage, QStringLiteral("Initial value"));
    auto* layout = new QVBoxLayout(InitialPage);
    layout->setContentsMargins(0, 0, 0, 0);
    InitialScroll = new QScrollArea(InitialPage);
    InitialScroll->setObjectName(QStringLiteral("ScrollBox1"));
    InitialScroll->setWidgetResizable(true);
    layout->addWidget(InitialScroll);
    BuildInitialValuePage();
}

void Ts_debug::CreateDebugPage()
{
    DebugPage = new QWidget(Pages);
    DebugPage->setObjectName(QStringLiteral("DebugPage"));
    Pages->addTab(DebugPage, QStringLiteral("Debuger"));
    auto* align = new AlignLayout(DebugPage);

    MakeImages();
    Syntax = NewSQLSyntax(this, TDM::SQLKeywords());

    VarGrid = NewGrid(DebugPage, "VarGrid", {QStringLiteral("Variable name"), QStringLiteral("Value")});
    VarGrid->horizontalHeader()->setStretchLastSection(true);
    VarGrid->setColumnWidth(0, 160);
    VarGrid->resize(VarGrid->width(), 150);
    VarGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    align->addWidget(VarGrid, TAlign::alBottom);
    VarGridMenu = new QMenu(this);
    VarGridMenu->setObjectName(QStringLiteral("VarGridMenu"));
    ModifyValueItem = VarGridMenu->addAction(QStringLiteral("Modify value"));
    ModifyValueItem->setObjectName(QStringLiteral("ModifyValueItem"));
    VarGridMenu->setDefaultAction(ModifyValueItem);
    connect(ModifyValueItem, &QAction::triggered, this, &Ts_debug::ModifyValueClick);
    connect(VarGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { VarGridMenu->popup(VarGrid->viewport()->mapToGlobal(at)); });
    connect(VarGrid, &QTableWidget::cellDoubleClicked, this, &Ts_debug::ModifyValueClick);

    Splitter1 = new TQcSplitter(DebugPage);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    align->addWidget(Splitter1, TAlign::alBottom);
    Splitter1->resize(Splitter1->width(), 3);
    Splitter1->setControlFirst(VarGrid);

    ProcText = new TqeCustomEdit(DebugPage);
    ProcText->setObjectName(QStringLiteral("ProcText"));
    ProcText->SetHighLighter(Syntax);
    ProcText->SetBookmarkImages(ImageList1);
    ProcText->SetReadOnly(true);
    ProcText->SetGutterWidth(30);
    ProcText->OnHyperLinkClick = [this](TqeCustomEdit*, const QString& word) { ShowLinkedObject(m_dbId, word); };
    // A click released in the gutter toggles the breakpoint of its line.
    ProcText->OnMouseUp = [this](TqeCustomEdit*, Qt::MouseButton button, TShiftState, int x, int) {
        if (button == Qt::LeftButton && x <= ProcText->GutterWidth())
            ToggleBreakpoint(ProcText->CaretY() - 1);
    };
    ProcTextMenu = new QMenu(this);
    ProcTextMenu->setObjectName(QStringLiteral("ProcTextMenu"));
    ToggleBreakpointItem = ProcTextMenu->addAction(QStringLiteral("Toggle breakpoint\tF5"));
    ToggleBreakpointItem->setObjectName(QStringLiteral("ToggleBreakpointItem"));
    ProcTextMenu->setDefaultAction(ToggleBreakpointItem);
    connect(ToggleBreakpointItem, &QAction::triggered, this, &Ts_debug::ToggleBreakpointClick);
    ProcText->SetPopupMenu(ProcTextMenu);
    align->addWidget(ProcText, TAlign::alClient);
    setFocusProxy(ProcText);
}

void Ts_debug::CreateStatPage()
{
    StatPage = new QWidget(Pages);
    StatPage->setObjectName(QStringLiteral("StatPage"));
    Pages->addTab(StatPage, QStringLiteral("Statistic"));
    auto* layout = new QVBoxLayout(StatPage);
    layout->setContentsMargins(0, 0, 0, 0);
    StGrid = NewGrid(StatPage, "StGrid",
                     {QStringLiteral("Operator"), QStringLiteral("Count"), QStringLiteral("Time"),
                      QStringLiteral("Insert"), QStringLiteral("Delete"), QStringLiteral("Update"),
                      QStringLiteral("Select")});
    StGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 7; ++column)
        StGrid->setColumnWidth(column, 56);
    layout->addWidget(StGrid);
}

void Ts_debug::MakeImages()
{
    ImageList1 = new TqeImageList(this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));
    // 0 to 9 are the numbered bookmarks, drawn by the editor itself.
    QPixmap none(12, 12);
    none.fill(Qt::transparent);
    for (int i = 0; i < kBreakpointImage; ++i)
        ImageList1->Add(none);
    ImageList1->Add(BreakpointGlyph());
    ImageList1->Add(ExecutionPointGlyph());
}

// ------------------------------------------------------------------ set-up

void Ts_debug::AddVar(const QString& name, const QString& type, int kind)
{
    m_debugger->Vars().AddVar(name, type, kind);
}

void Ts_debug::SetObjectName(const QString& name)
{
    m_objectName = name;
    SetWindowIdentity(this, {m_dbId, wkDebugger, name});
}

void Ts_debug::SetBodyLines(const QStringList& lines)
{
    ProcText->SetLines(lines);
}

void Ts_debug::BuildInitialValuePage()
{
    m_rows.clear();
    delete m_rowPanel;
    m_rowPanel = new QWidget;
    m_rowPanel->setObjectName(QStringLiteral("InitialValues"));
    auto* grid = new QGridLayout(m_rowPanel);
    grid->setContentsMargins(5, 5, 10, 5);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(m_rowPanel->fontMetrics().height() / 2 + 4);
    const QStringList headers{QStringLiteral("Variable"), QStringLiteral("Type"), QStringLiteral("Null / Value")};
    for (int column = 0; column < 3; ++column) {
        auto* header = new QLabel(headers[column], m_rowPanel);
        header->setObjectName(QStringLiteral("Header%1").arg(column));
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        grid->addWidget(header, 0, column);
    }

    std::vector<const TSQLVar*> inputs;
    QStringList names;
    for (const TSQLVar& var : m_debugger->Vars().Items()) {
        if (var.Kind == vkInput) {
            inputs.push_back(&var);
            names << var.Name;
        }
    }
    std::vector<std::optional<QString>> stored(inputs.size());
    const QString database = DatabaseName();
    if (!inputs.empty() && !database.isEmpty() && !m_objectName.isEmpty()) {
        try {
            stored = ReadInitialValues(database, m_objectName, names);
        } catch (const EQvRegistryError& error) {
            qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
        }
    }
    for (std::size_t i = 0; i < inputs.size(); ++i)
        m_rows.push_back(std::make_unique<TInitialValueRow>(inputs[i]->Name, inputs[i]->Type, int(i) + 1,
                                                            m_rowPanel, grid, stored[i]));
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(int(inputs.size()) + 1, 1);
    InitialScroll->setWidget(m_rowPanel);
}

bool Ts_debug::ParseProcText()
{
    const TParseResult result = m_debugger->ParseProcText(ProcText->Lines()->ToStringList());
    m_parsed = result.Ok;
    if (!result.Ok) {
        if (result.ErrorLine >= 0 && result.ErrorLine < ProcText->LineCount())
            ProcText->SetCaretXY(QPoint(1, result.ErrorLine + 1));
        qv::messageDlg(result.Error, qv::mtError, qv::mbOK);
    }
    ShowState(false);
    return result.Ok;
}

void Ts_debug::FormShow()
{
    m_shown = true;
    setWindowTitle(BaseCaption());
    ApplyEditorOptions(ProcText, Syntax);
    SetObjectLinkWords(Syntax, m_dbId);
}

// ------------------------------------------------------------------ showing

void Ts_debug::RefreshVarGrid()
{
    const auto& vars = m_debugger->Vars().Items();
    VarGrid->setRowCount(int(vars.size()));
    QStringList hints;
    for (int row = 0; row < int(vars.size()); ++row) {
        const TSQLVar& var = vars[std::size_t(row)];
        const QString shown = var.IsNull ? QStringLiteral("Null") : var.Value;
        VarGrid->setItem(row, 0, Cell(var.Name));
        VarGrid->setItem(row, 1, Cell(shown));
        // Keyed by the word the mouse finds: a quoted name's inside.
        const QString word = HintWord(var.Name);
        QString hint = word + QStringLiteral(" = ") + shown;
        while (hint.endsWith(QLatin1Char(' ')))
            hint.chop(1);
        hints << word << hint;
    }
    ProcText->SetVarList(hints);
}

void Ts_debug::RefreshStatGrid()
{
    StGrid->setRowCount(0);
    for (const TSQLString& statement : m_debugger->Statements().Items()) {
        if (statement.IsStructural())
            continue;
        const int row = StGrid->rowCount();
        StGrid->insertRow(row);
        QString text = statement.Text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        StGrid->setItem(row, 0, Cell(text));
        const qint64 numbers[] = {statement.Count,  statement.Time,   statement.Insert,
                                  statement.Delete, statement.Update, statement.Select};
        for (int column = 0; column < 6; ++column)
            StGrid->setItem(row, column + 1, Cell(QString::number(numbers[column]), true));
    }
}

void Ts_debug::ShowMarks()
{
    TLineColorMark& colors = Syntax->LineColors();
    colors.Clear();
    TMarkList* marks = ProcText->Marks();
    for (int i = marks->Count() - 1; i >= 0; --i)
        if (!marks->Items(i)->IsBookmark())
            marks->Delete(i);
    auto placeMark = [this](int line, int image) {
        auto mark = std::make_unique<TMark>(ProcText);
        mark->SetLine(line + 1);
        mark->SetIsBookmark(false);
        mark->SetImageIndex(image);
        mark->SetVisible(true);
        ProcText->Marks()->Place(std::move(mark));
    };
    // The execution point first: where a breakpoint stops, its colour shows.
    const int current = m_debugger->Running() && !m_inRun ? m_debugger->CurrentLine() : -1;
    if (current >= 0)
        colors.Add(current, TLineColorMark::ExecutionPoint);
    for (const TBPoint& point : m_debugger->Breakpoints().Items()) {
        colors.Add(point.Line, TLineColorMark::BreakPoint);
        placeMark(point.Line, kBreakpointImage);
    }
    if (current >= 0)
        placeMark(current, kExecutionPointImage);
    ProcText->Invalidate();
}

void Ts_debug::UpdateCommands()
{
    const bool canRun = m_debugger->CanRun();
    RunItem->setEnabled(canRun);
    StepOverItem->setEnabled(canRun);
    RunToCursorItem->setEnabled(canRun);
    ResetItem->setEnabled(m_debugger->Running());
}

void Ts_debug::ShowState(bool wasReset)
{
    if (m_debugger->Running())
        setWindowTitle(BaseCaption() + QStringLiteral("(Stopped)"));
    else if (wasReset)
        setWindowTitle(QStringLiteral("SQL Debuger - ") + m_objectName);
    else if (m_shown)
        setWindowTitle(BaseCaption());
    ShowMarks();
    // The caret follows the execution point (toggling a breakpoint leaves it).
    if (const int current = m_debugger->CurrentLine(); current >= 0) {
        ProcText->SetCaretXY(QPoint(1, current + 1));
        ProcText->EnsureCursorPosVisible();
    }
    RefreshStatGrid();
    RefreshVarGrid();
    UpdateCommands();
}

void Ts_debug::ShowStepResult(const TStepResult& result)
{
    for (const QString& message : result.Messages)
        qv::messageDlg(message, qv::mtError, qv::mbOK);
}

// ------------------------------------------------------------------ commands

void Ts_debug::StepOverClick()
{
    const qv::BusyGuard guard(this);
    if (!guard.acquired() || !m_debugger->CanRun())
        return;
    Pages->setCurrentWidget(DebugPage);
    setWindowTitle(BaseCaption() + QStringLiteral("(Running)"));
    const TStepResult result = m_debugger->StepOver();
    ShowState(false);
    ShowStepResult(result);
}

void Ts_debug::RunClick()
{
    RunSession(false);
}

void Ts_debug::RunToCursorClick()
{
    RunSession(true);
}

void Ts_debug::RunSession(bool toCursor)
{
    const qv::BusyGuard guard(this);
    if (!guard.acquired() || !m_debugger->CanRun())
        return;
    const int line = ProcText->CaretY() - 1;
    Pages->setCurrentWidget(DebugPage);
    m_inRun = true;
    ShowMarks();
    setWindowTitle(BaseCaption() + QStringLiteral("(Running)"));
    const TStepResult result = toCursor ? m_debugger->RunToLine(line) : m_debugger->Run();
    m_inRun = false;
    // Neither ended nor failed, yet idle: Reset stopped the run.
    ShowState(!m_debugger->Running() && !result.SessionEnded && !result.Failed);
    ShowStepResult(result);
    if (m_closeAfterRun)
        close();
}

void Ts_debug::ResetClick()
{
    if (!m_debugger->Running())
        return;
    if (qv::messageDlg(QStringLiteral("Debug Session in progress. Terminate?"), qv::mtConfirmation, qv::mbYesNo)
        == qv::mrNo)
        return;
    const QStringList messages = m_debugger->Reset();
    // A run that let this through stops at its next statement and shows the rest.
    if (!m_inRun)
        ShowState(true);
    for (const QString& message : messages)
        qv::messageDlg(message, qv::mtError, qv::mbOK);
}

void Ts_debug::ToggleBreakpointClick()
{
    ToggleBreakpoint(ProcText->CaretY() - 1);
}

void Ts_debug::ToggleBreakpoint(int line)
{
    if (m_debugger->ToggleBreakpoint(line) >= 0)
        ShowMarks();
}

void Ts_debug::ModifyValueClick()
{
    const int row = VarGrid->currentRow();
    const auto& vars = m_debugger->Vars().Items();
    if (row < 0 || row >= int(vars.size()))
        return;
    const QString name = vars[std::size_t(row)].Name;
    QString value;
    if (!qv::inputQuery(QStringLiteral("Modify value"), QStringLiteral("Enter new value for  ") + name, value))
        return;
    if (!m_debugger->ModifyValue(name, value))
        qv::messageDlg(VariableNotFoundText(name), qv::mtError, qv::mbOK);
    RefreshVarGrid();
    VarGrid->setCurrentCell(row, 0);
}

void Ts_debug::LoadInitialValues()
{
    m_debugger->Vars().SetAllNull();
    for (const auto& row : m_rows) {
        const bool isNull = row->IsNull();
        if (!m_debugger->Vars().SetVar(row->Name(), isNull ? QString() : row->ValueText(), isNull))
            qv::messageDlg(VariableNotFoundText(row->Name()), qv::mtError, qv::mbOK);
    }
}

void Ts_debug::SaveInitialValueClick()
{
    const QString database = DatabaseName();
    if (database.isEmpty() || m_objectName.isEmpty())
        return;
    std::vector<std::pair<QString, QString>> values;
    for (const auto& row : m_rows)
        values.emplace_back(row->Name(), row->StoredText());
    try {
        WriteInitialValues(database, m_objectName, values);
    } catch (const EQvRegistryError& error) {
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
    }
}

void Ts_debug::FontClick()
{
    QFont font = ProcText->Font();
    if (qv::runFontDialog(font))
        ProcText->SetFont(font);
}

// ------------------------------------------------------------------ keys and closing

bool Ts_debug::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers shifts = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_F2 && shifts == Qt::ControlModifier) {
        ResetClick();
        return true;
    }
    if (shifts != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_F9:
        RunClick();
        return true;
    case Qt::Key_F8:
        StepOverClick();
        return true;
    case Qt::Key_F4:
        RunToCursorClick();
        return true;
    case Qt::Key_F5:
        ToggleBreakpointClick();
        return true;
    case Qt::Key_Escape:
        if (m_debugger->Running())
            ResetClick();
        else
            close();
        return true;
    default:
        return false;
    }
}

bool Ts_debug::IsOwnKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers shifts = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_F2)
        return shifts == Qt::ControlModifier;
    return shifts == Qt::NoModifier
           && (key == Qt::Key_F9 || key == Qt::Key_F8 || key == Qt::Key_F4 || key == Qt::Key_F5
               || key == Qt::Key_Escape);
}

bool Ts_debug::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !IsFirstKeyDelivery(*this, *watched))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        // The main window's shortcuts (F5 refreshes the tree) must not take
        // the debugger's keys away while it has the focus.
        if (IsOwnKey(key->key(), key->modifiers()))
            key->accept();
        return false;
    }
    return FormKeyDown(key->key(), key->modifiers());
}

bool Ts_debug::FormCloseQuery()
{
    if (m_closeAfterRun)
        return !m_inRun;
    // A step is on the server: it cannot be stopped half-way.
    if (qv::BusyGuard::isBusy(this) && !m_inRun)
        return false;
    if (!m_debugger->Running())
        return true;
    if (!UserEndsSession())
        return false;
    if (m_inRun) {
        // The run stops after its statement; the window closes then.
        m_closeAfterRun = true;
        m_debugger->Reset();
        return false;
    }
    EndSession();
    return true;
}

bool Ts_debug::QueryClose()
{
    // A step or a run under way: the quit waits for it.
    if (qv::BusyGuard::isBusy(this) || m_inRun || m_closeAfterRun)
        return false;
    return !m_debugger->Running() || UserEndsSession();
}

bool Ts_debug::UserEndsSession() const
{
    return qv::messageDlg(QStringLiteral("Debug Session in progress. Terminate and close window?"),
                          qv::mtConfirmation, qv::mbYesNo)
        == qv::mrYes;
}

void Ts_debug::EndSession()
{
    for (const QString& message : m_debugger->Reset())
        qWarning("Ending the debug session: %s", qPrintable(message));
}

void Ts_debug::closeEvent(QCloseEvent* event)
{
    if (TakeAnswered()) {
        if (m_debugger->Running())
            EndSession();
        event->accept();
        return;
    }
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void Ts_debug::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_debugger->ClearTag();
}

// ------------------------------------------------------------------ opening

Ts_debug* OpenDebugger(const TDebugRequest& request)
{
    if (Ts_debug* open = Ts_debug::Find(request.DBId, request.ObjectName)) {
        BringForward(open);
        return open;
    }
    auto* window = new Ts_debug(request.DBId);
    if (request.Mode == dmTrigger && request.ReadTableColumns && !request.TableName.isEmpty()) {
        const int index = DBList ? DBList->IndexOfId(request.DBId) : -1;
        if (TQvDatabase* database = index >= 0 ? DBList->GetDatabase(index) : nullptr) {
            try {
                AddTriggerColumnVars(window->Vars(), *database, request.TableName);
            } catch (...) {
                delete window;
                throw;
            }
        }
    }
    for (const TSQLVar& var : request.Vars)
        window->AddVar(var.Name, var.Type, var.Kind);
    window->RefreshVarGrid();
    window->SetMode(request.Mode);
    window->SetObjectName(request.ObjectName);
    window->SetTableName(request.TableName);
    window->SetBodyLines(request.Lines);
    window->BuildInitialValuePage();
    window->ParseProcText();
    window->FormShow();
    if (MainForm)
        MainForm->AddChild(window);
    window->show();
    return window;
}

void InstallDebugger()
{
    TEditProc::DebuggerOpener() = [](TEditProc&, const TProcDebugData& data) {
        TDebugRequest request;
        request.DBId = data.DBId;
        request.Mode = dmProcedure;
        request.ObjectName = data.ObjectName;
        for (const TProcDebugVar& var : data.Vars)
            request.Vars.push_back({var.Name, var.Type, QString(), var.Kind, true});
        request.Lines = data.Lines;
        OpenDebugger(request);
    };
}
