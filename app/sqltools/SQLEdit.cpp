#include "app/sqltools/SQLEdit.h"

#include "access/QvDataSet.h"
#include "app/editors/ObjectLinks.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/EntryDatabase.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/Options.h"
#include "app/sqltools/ResultGrid.h"
#include "components/AlignLayout.h"
#include "components/FormPlacement.h"
#include "components/StrUtils.h"
#include "components/SpeedButton.h"
#include "components/Splitter.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/KeyDelivery.h"
#include "platform/WaitCursor.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DatabaseError.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kCaption = QStringLiteral("SQL Editor");
constexpr int kCaptionLength = 40;
constexpr int kMinimumStatement = 5;
// Rows asked of the dataset per step while fetching everything; the events
// get their turn about every 50 ms.
constexpr int kFetchStep = 1024;
constexpr qint64 kFetchSliceMs = 50;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);

QLabel* AddLabel(QWidget* parent, QBoxLayout* layout, const QString& text, const char* name = nullptr)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    layout->addWidget(label);
    return label;
}

// A small coloured square that explains a bar colour.
QWidget* LegendSquare(QWidget* parent, const QColor& color)
{
    auto* square = new QFrame(parent);
    square->setFixedSize(12, 12);
    square->setFrameShape(QFrame::Box);
    square->setAutoFillBackground(true);
    QPalette palette = square->palette();
    palette.setColor(QPalette::Window, color);
    square->setPalette(palette);
    return square;
}

// The axis step that gives at most about six integer ticks.
qint64 NiceStep(qint64 maximum)
{
    qint64 step = 1;
    while (maximum / step > 6) {
        if (maximum / (step * 2) <= 6)
            return step * 2;
        if (maximum / (step * 5) <= 6)
            return step * 5;
        step *= 10;
    }
    return step;
}

} // namespace

TSQLEditor::TSQLEditor(quint64 dbId, QWidget* parent)
    : QWidget(parent)
    , m_dbId(dbId)
{
    setObjectName(QStringLiteral("SQLEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(640, 480);

    m_connection = new TEntryConnection(dbId, this);
    RunT = new TQvTransaction(this);
    RunT->setObjectName(QStringLiteral("RunT"));
    RunT->SetTimeoutAction(TARollback);
    RunQ = new TQvQuery(this);
    RunQ->setObjectName(QStringLiteral("RunQ"));
    RunQ->SetParamCheck(false);
    RunQ->SetTransaction(RunT);
    DS = new TQvDataSet(this);
    DS->setObjectName(QStringLiteral("DS"));
    DS->SetTransaction(RunT);
    DS->SetBufferChunks(32);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetDataSet(DS);
    DataSource1->SetAutoEdit(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    layout->addWidget(ToolBar1);
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    Pages->setTabPosition(QTabWidget::South);
    layout->addWidget(Pages, 1);
    CreateSQLPage();
    CreateResultPage();
    CreateStatisticsPage();
    connect(Pages, &QTabWidget::currentChanged, this, &TSQLEditor::PagesChange);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(kFormPlacementsKey);
    FormStorage1->SetStoredProps({QStringLiteral("SelectChart.Width"), QStringLiteral("PanelStat1.Height"),
                                  QStringLiteral("UpdateChart.Width")});

    DS->BeforeOpen = [this](TDataSet&) { TakeStatisticsBefore(DS->Database()); };
    DS->AfterOpen = [this](TDataSet&) {
        TakeStatisticsAfter(DS->Database());
        ShowRecordCount();
    };
    DS->AfterScroll = [this](TDataSet&) { ShowRecordCount(); };

    // The window sees every key first; the focused control still gets it.
    qApp->installEventFilter(this);

    BindDatabase();
}

TSQLEditor::~TSQLEditor()
{
    qApp->removeEventFilter(this);
    EnableSaveToFile(false);
    // A lost connection has nothing left to keep: it is dropped, never committed.
    if (m_database)
        m_database->DropLostConnection();
    // Nothing left open on the server: a transaction nobody was asked about is kept.
    try {
        if (DS->Active())
            DS->Close();
        if (RunT->Active())
            RunT->Commit();
    } catch (const std::exception& error) {
        qWarning("SQL editor: ending its transaction: %s", qPrintable(ErrorText(error)));
    }
}

// ------------------------------------------------------------------ building

void TSQLEditor::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QStyle* style = this->style();
    auto add = [this](const char* name, const QIcon& icon, const QString& text, const QString& hint) {
        QAction* action = ToolBar1->addAction(icon, text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        return action;
    };
    RunBtn = add("RunBtn", style->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Run"),
                 QStringLiteral("Execute Query (Ctrl-R)"));
    ToolBar1->addSeparator();
    CutBtn = add("CutBtn", QIcon::fromTheme(QStringLiteral("edit-cut")), QStringLiteral("Cut"), QStringLiteral("Cut"));
    CopyBtn = add("CopyBtn", QIcon::fromTheme(QStringLiteral("edit-copy")), QStringLiteral("Copy"),
                  QStringLiteral("Copy"));
    PasteBtn = add("PasteBtn", QIcon::fromTheme(QStringLiteral("edit-paste")), QStringLiteral("Paste"),
                   QStringLiteral("Paste"));
    ToolBar1->addSeparator();
    ShowPlanBtn = add("ShowPlanBtn", style->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Plan"),
                      QStringLiteral("Show Plan"));
    ShowPlanBtn->setCheckable(true);
    ToolBar1->addSeparator();
    PrevQueryBtn = add("PrevQueryBtn", style->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Previous"),
                       QStringLiteral("Previous query (Ctrl + P)"));
    NextQueryBtn = add("NextQueryBtn", style->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Next"),
                       QStringLiteral("Next query (Ctrl + N)"));
    SQLFavBtn = add("SQLFavBtn", style->standardIcon(QStyle::SP_DirIcon), QStringLiteral("Favorites"),
                    QStringLiteral("SQL Favorites (Ctrl - F)"));
    AddToFavorites = add("AddToFavorites", style->standardIcon(QStyle::SP_FileDialogNewFolder),
                         QStringLiteral("Add"), QStringLiteral("Add To SQL Favorites (Ctrl - A)"));
    ToolBar1->addSeparator();
    // Buttons without a picture show their text instead of an empty square.
    for (QAction* action : ToolBar1->actions()) {
        if (action->isSeparator())
            continue;
        if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(action))) {
            button->setObjectName(action->objectName() + QStringLiteral("Button"));
            button->setMinimumWidth(25);
            if (action->icon().isNull())
                button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
    }

    auto speedButton = [this](const char* name, const QString& caption, const QString& hint) {
        auto* button = new TQcSpeedButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(name));
        button->setCaption(caption);
        button->setToolTip(hint);
        button->setFlat(true);
        button->setFixedSize(70, 24);
        button->setEnabled(false);
        ToolBar1->addWidget(button);
        return button;
    };
    CommitBtn = speedButton("CommitBtn", QStringLiteral("&Commit"), QStringLiteral("Commit work"));
    RollbackBtn = speedButton("RollbackBtn", QStringLiteral("&Rollback"), QStringLiteral("Rollback work"));

    connect(RunBtn, &QAction::triggered, this, &TSQLEditor::RunBtnClick);
    connect(CutBtn, &QAction::triggered, this, &TSQLEditor::CutBtnClick);
    connect(CopyBtn, &QAction::triggered, this, &TSQLEditor::CopyBtnClick);
    connect(PasteBtn, &QAction::triggered, this, &TSQLEditor::PasteBtnClick);
    connect(ShowPlanBtn, &QAction::triggered, this, &TSQLEditor::ShowPlanBtnClick);
    connect(PrevQueryBtn, &QAction::triggered, this, &TSQLEditor::PrevQueryBtnClick);
    connect(NextQueryBtn, &QAction::triggered, this, &TSQLEditor::NextQueryBtnClick);
    CommitBtn->OnClick = [this](QObject*) { CommitBtnClick(); };
    RollbackBtn->OnClick = [this](QObject*) { RollbackBtnClick(); };
}

void TSQLEditor::CreateSQLPage()
{
    TabSQL = new QWidget(Pages);
    TabSQL->setObjectName(QStringLiteral("TabSQL"));
    Pages->addTab(TabSQL, QStringLiteral("SQL Editor page  (Ctrl - 1)"));
    auto* align = new AlignLayout(TabSQL);

    Syntax = NewSQLSyntax(this, TDM::SQLKeywords());

    PlanView = new QPlainTextEdit(TabSQL);
    PlanView->setObjectName(QStringLiteral("PlanView"));
    PlanView->setReadOnly(true);
    PlanView->setFixedHeight(70);
    PlanView->setMinimumHeight(0);
    PlanView->setMaximumHeight(QWIDGETSIZE_MAX);
    PlanView->resize(PlanView->width(), 70);
    PlanView->hide();
    align->addWidget(PlanView, TAlign::alBottom);

    Split1 = new TQcSplitter(TabSQL);
    Split1->setObjectName(QStringLiteral("Split1"));
    align->addWidget(Split1, TAlign::alBottom);
    Split1->setFixedHeight(3);
    Split1->setMinimumHeight(3);
    Split1->setControlFirst(PlanView);
    Split1->hide();

    SQLText = new TqeCustomEdit(TabSQL);
    SQLText->setObjectName(QStringLiteral("SQLText"));
    SQLText->SetHighLighter(Syntax);
    SQLText->SetGutterWidth(30);
    SQLText->SetMaxUndo(50);
    SQLText->SetTabSpace(4);
    SQLText->SetAllowCodeTemplates(false);
    SQLText->OnHyperLinkClick = [this](TqeCustomEdit*, const QString& word) { SQLTextHyperLinkClick(word); };
    align->addWidget(SQLText, TAlign::alClient);
    setFocusProxy(SQLText);
}

void TSQLEditor::CreateResultPage()
{
    TabResult = new QWidget(Pages);
    TabResult->setObjectName(QStringLiteral("TabResult"));
    Pages->addTab(TabResult, QStringLiteral("Result page  (Ctrl - 2)"));
    auto* layout = new QVBoxLayout(TabResult);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    ResultModel = new TDataSetModel(this);
    ResultModel->setObjectName(QStringLiteral("ResultModel"));
    ResultModel->setDataSource(DataSource1);
    ResultGrid = new TResultGrid(TabResult);
    ResultGrid->setObjectName(QStringLiteral("ResultGrid"));
    ResultGrid->setResultModel(ResultModel);
    ResultGrid->OnFirst = [this] { FirstRow(); };
    ResultGrid->OnLast = [this] { FetchAllRows(); };
    layout->addWidget(ResultGrid, 1);
    // A row fetched by scrolling counts as fetched too.
    connect(ResultModel, &QAbstractItemModel::rowsInserted, this, &TSQLEditor::ShowRecordCount);
    connect(ResultModel, &TDataSetModel::errorOccurred, this,
            [](const QString& message) { qv::messageDlg(message, qv::mtError, qv::mbOK); });

    auto* panel = new QWidget(TabResult);
    panel->setObjectName(QStringLiteral("PanelResult"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    AddLabel(panel, row, QStringLiteral("Number of fetched records:"));
    Numrec = AddLabel(panel, row, QString(), "Numrec");
    row->addStretch(1);
    layout->addWidget(panel);
}

QChartView* TSQLEditor::CreateChart(const char* name, int number, const QString& title, QWidget* parent)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* series = new QHorizontalBarSeries;
    series->setObjectName(QStringLiteral("Series") + QString::number(number));
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setBarWidth(0.6);
    auto* set = new QBarSet(QString());
    set->setColor(number == 1 ? kRed : kGreen);
    set->setBorderColor(Qt::black);
    set->setSelectedColor(kBlue);
    set->setLabelColor(Qt::black);
    series->append(set);
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%d"));
    values->setRange(0, 1);
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(1);
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);

    auto* view = new QChartView(chart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(40, 40);
    return view;
}

void TSQLEditor::CreateStatisticsPage()
{
    TabStat = new QWidget(Pages);
    TabStat->setObjectName(QStringLiteral("TabStat"));
    Pages->addTab(TabStat, QStringLiteral("Statistic page  (Ctrl - 3)"));
    auto* align = new AlignLayout(TabStat);

    // The counters along the bottom.
    auto* counters = new QWidget(TabStat);
    counters->setObjectName(QStringLiteral("PanelCounters"));
    auto* rows = new QVBoxLayout(counters);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(2);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    AddLabel(counters, first, QStringLiteral("ExecutionTime:"));
    ExTime = AddLabel(counters, first, QString(), "ExTime");
    first->addSpacing(16);
    AddLabel(counters, first, QStringLiteral("Page reads:"));
    PageReads = AddLabel(counters, first, QStringLiteral("0"), "PageReads");
    first->addSpacing(16);
    AddLabel(counters, first, QStringLiteral("Page Writes:"));
    PageWrites = AddLabel(counters, first, QStringLiteral("0"), "PageWrites");
    first->addStretch(1);
    first->addWidget(LegendSquare(counters, kRed));
    AddLabel(counters, first, QStringLiteral("Non-indexed reads"));
    AddLabel(counters, second, QStringLiteral("Memory buffer reads:"));
    MemReads = AddLabel(counters, second, QStringLiteral("0"), "MemReads");
    second->addSpacing(16);
    AddLabel(counters, second, QStringLiteral("Memory buffer writes:"));
    MemWrites = AddLabel(counters, second, QStringLiteral("0"), "MemWrites");
    second->addStretch(1);
    second->addWidget(LegendSquare(counters, kBlue));
    AddLabel(counters, second, QStringLiteral("Indexed reads"));
    counters->setFixedHeight(counters->sizeHint().height());
    align->addWidget(counters, TAlign::alBottom);

    PanelStat1 = new QWidget(TabStat);
    PanelStat1->setObjectName(QStringLiteral("PanelStat1"));
    PanelStat1->resize(600, 200);
    align->addWidget(PanelStat1, TAlign::alTop);
    auto* splitRows = new TQcSplitter(TabStat);
    splitRows->setObjectName(QStringLiteral("SplitStat1"));
    align->addWidget(splitRows, TAlign::alTop);
    splitRows->resize(splitRows->width(), 3);
    splitRows->setControlFirst(PanelStat1);
    auto* panelStat2 = new QWidget(TabStat);
    panelStat2->setObjectName(QStringLiteral("PanelStat2"));
    align->addWidget(panelStat2, TAlign::alClient);

    auto* upper = new AlignLayout(PanelStat1);
    SelectChart = CreateChart("SelectChart", 1, QStringLiteral("Select staistic"), PanelStat1);
    SelectChart->resize(320, SelectChart->height());
    upper->addWidget(SelectChart, TAlign::alLeft);
    auto* splitUpper = new TQcSplitter(PanelStat1);
    splitUpper->setObjectName(QStringLiteral("SplitStat2"));
    upper->addWidget(splitUpper, TAlign::alLeft);
    splitUpper->resize(3, splitUpper->height());
    splitUpper->setControlFirst(SelectChart);
    InsertChart = CreateChart("InsertChart", 2, QStringLiteral("Insert statistic"), PanelStat1);
    upper->addWidget(InsertChart, TAlign::alClient);

    auto* lower = new AlignLayout(panelStat2);
    UpdateChart = CreateChart("UpdateChart", 3, QStringLiteral("Update statistic"), panelStat2);
    UpdateChart->resize(320, UpdateChart->height());
    lower->addWidget(UpdateChart, TAlign::alLeft);
    auto* splitLower = new TQcSplitter(panelStat2);
    splitLower->setObjectName(QStringLiteral("SplitStat3"));
    lower->addWidget(splitLower, TAlign::alLeft);
    splitLower->resize(3, splitLower->height());
    splitLower->setControlFirst(UpdateChart);
    DeleteChart = CreateChart("DeleteChart", 4, QStringLiteral("Delete statistic"), panelStat2);
    lower->addWidget(DeleteChart, TAlign::alClient);
}

// ------------------------------------------------------------------ database

void TSQLEditor::BindDatabase()
{
    PrevQueryBtn->setEnabled(false);
    NextQueryBtn->setEnabled(false);
    SQLText->SetText(QString());
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    if (index < 0)
        return;
    m_database = DBList->GetDatabase(index);
    if (!m_database)
        return;
    RunQ->SetDatabase(m_database);
    DS->SetDatabase(m_database);
    RunT->AddDatabase(m_database);
    m_connection->Watch(m_database);
    // The server dropped the attachment: the transaction and result went with it.
    connect(m_connection, &TEntryConnection::Dropped, this, [this] {
        UpdateTransactionButtons();
        ShowRecordCount();
        PagesChange();
    });
    SetObjectLinkWords(Syntax, m_dbId);
    // q'...' literals are painted as the connection's character set reads them.
    Syntax->SetMultiByteText(m_database->TextCodec().multiByte());
}

int TSQLEditor::DBNumber() const
{
    return DBList ? DBList->IndexOfId(m_dbId) + 1 : 0;
}

bool TSQLEditor::DatabaseAvailable() const
{
    // The registration, the connection object and the attachment must all
    // still be the ones the window was made for.
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    return index >= 0 && m_database && DBList->GetDatabase(index) == m_database && RunQ->Database() == m_database
           && m_database->Connected();
}

// ------------------------------------------------------------------ showing

void TSQLEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TSQLEditor::FormShow()
{
    Pages->setCurrentWidget(TabSQL);
    ResultGrid->setFont(ReadOptions().DataFont);
    ApplyEditorOptions(SQLText, Syntax);
    // The editor itself is reached by LoadOptions; the grid follows the data font here.
    connect(OptionsNotifier(), &TOptionsNotifier::OptionsChanged, this,
            [this] { ResultGrid->setFont(Options().DataFont); });
    SQLFavBtn->setVisible(false);
    AddToFavorites->setVisible(false);
    // FormActivate / FormDeactivate: the frame tells which child is active.
    if (MainForm && MdiSubWindowOf(this))
        connect(MainForm->MdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
            const bool active = sub && sub->widget() == this;
            if (active == m_active)
                return;
            m_active = active;
            // The window losing the activation may hear of it after this
            // one: the item is set once every handler of the change has run.
            if (active)
                QMetaObject::invokeMethod(
                    this, [this] {
                        if (m_active)
                            PagesChange();
                    },
                    Qt::QueuedConnection);
            else
                EnableSaveToFile(false);
        });
}

QString TSQLEditor::StatementText() const
{
    QString text = SQLText->Text();
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    return text;
}

QString TSQLEditor::CaptionFor(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String(" "));
    // Blanks the editor put before the first word (a click past a line's
    // end, then typing) say nothing of the statement.
    shown = shown.trimmed();
    const bool cut = shown.size() >= kCaptionLength;
    shown = StrLeftWhole(shown, kCaptionLength);
    if (cut)
        shown += QLatin1String("...");
    return kCaption + QStringLiteral(" - (") + shown + QLatin1Char(')');
}

bool TSQLEditor::Busy() const
{
    return qv::BusyGuard::isBusy(this);
}

// ------------------------------------------------------------------ running

void TSQLEditor::RunBtnClick()
{
    const qv::BusyGuard busy(this);
    if (!busy.acquired())
        return;
    const QString text = StatementText();
    if (text.size() < kMinimumStatement)
        return;
    // A connection the server dropped is said once and connected again.
    if (!m_connection->Ready() && m_connection->Lost())
        return;
    if (!DatabaseAvailable()) {
        qv::messageDlg(QStringLiteral("Database closed !"), qv::mtError, qv::mbOK);
        return;
    }
    setWindowTitle(CaptionFor(text));
    try {
        RunQ->SetSQLText(text);
        if (!RunT->Active())
            RunT->StartTransaction();
    } catch (const std::exception& error) {
        UpdateTransactionButtons();
        RunFailed(error);
        return;
    }
    UpdateTransactionButtons();
    try {
        RunQ->Prepare();
    } catch (const std::exception& error) {
        try {
            RunQ->FreeHandle();
        } catch (const std::exception&) {
        }
        RunFailed(error);
        AddToHistory(text);
        return;
    }
    const int type = RunQ->SQLType();
    if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd)
        RunSelect(text);
    else
        RunStatement(text);
    UpdateTransactionButtons();
}

void TSQLEditor::RunSelect(const QString& text)
{
    try {
        PlanView->setPlainText(RunQ->Plan());
        RunQ->FreeHandle();
        if (DS->Active())
            DS->Close();
        DS->SetSelectSQLText(text);
        {
            const qv::WaitCursor wait;
            // Prepared first: the snapshots around the open measure the
            // statement, not the server reading its metadata again.
            DS->Prepare();
            DS->Open();
        }
        ShowStatistics(DS->Database());
    } catch (const std::exception& error) {
        RunFailed(error);
        return;
    }
    AddToHistory(text);
    ClearErrorStatus();
    Pages->setCurrentWidget(TabResult);
    EnableSaveToFile(true);
}

void TSQLEditor::RunStatement(const QString& text)
{
    bool inHistory = false;
    try {
        TQvDatabase* database = RunQ->Database();
        TakeStatisticsBefore(database);
        {
            const qv::WaitCursor wait;
            RunQ->ExecQuery();
            TakeStatisticsAfter(database);
        }
        AddToHistory(text);
        inHistory = true;
        ShowStatistics(database);
    } catch (const std::exception& error) {
        RunFailed(error);
        if (!inHistory)
            AddToHistory(text);
        return;
    }
    SetStatus(QStringLiteral("Query executed successfully !"));
    PlanView->clear();
    const int lastLine = SQLText->LineCount();
    SQLText->SetBlockBegin(QPoint(1, 1));
    SQLText->SetBlockEnd(QPoint(lastLine > 0 ? SQLText->Lines()->Strings(lastLine - 1).size() + 1 : 1,
                                qMax(lastLine, 1)));
}

void TSQLEditor::RunFailed(const std::exception& error)
{
    // Nothing of the run is on the stack any more: a lost connection goes
    // now, and the next run connects again.
    const bool lost = dynamic_cast<const EQvConnectionLost*>(&error) != nullptr;
    if (lost)
        m_connection->ActionLost();
    UpdateTransactionButtons();
    SetStatus(QStringLiteral("Error in query !"));
    if (!lost)
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
}

// ------------------------------------------------------------------ statistics

void TSQLEditor::TakeStatisticsBefore(TQvDatabase* database)
{
    if (!database)
        QvError(qveDatabaseNotAssigned);
    m_statistics.TakeBefore(*database);
}

void TSQLEditor::TakeStatisticsAfter(TQvDatabase* database)
{
    if (!database)
        QvError(qveDatabaseNotAssigned);
    m_statistics.TakeAfter(*database);
}

QHorizontalBarSeries* TSQLEditor::SeriesOf(const QChartView* chart)
{
    const auto series = chart->chart()->series();
    return series.isEmpty() ? nullptr : qobject_cast<QHorizontalBarSeries*>(series.first());
}

void TSQLEditor::ClearCharts()
{
    for (QChartView* view : {SelectChart, InsertChart, UpdateChart, DeleteChart}) {
        QHorizontalBarSeries* series = SeriesOf(view);
        QBarSet* set = series->barSets().first();
        set->deselectAllBars();
        set->remove(0, set->count());
        for (QAbstractAxis* axis : view->chart()->axes(Qt::Vertical))
            if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
                categories->clear();
        for (QAbstractAxis* axis : view->chart()->axes(Qt::Horizontal))
            if (auto* values = qobject_cast<QValueAxis*>(axis)) {
                values->setRange(0, 1);
                values->setTickInterval(1);
            }
    }
}

void TSQLEditor::ShowStatistics(TQvDatabase* database)
{
    if (!database)
        QvError(qveDatabaseNotAssigned);
    ExTime->setText(QString::number(m_statistics.ElapsedMs()) + QStringLiteral(" ms."));
    ClearCharts();

    const QList<TStatBar> bars = m_statistics.Bars();
    QHash<int, QString> names;
    QList<TStatBar> chartBars[4];
    QStringList chartNames[4];
    for (const TStatBar& bar : bars) {
        auto name = names.constFind(bar.RelationId);
        if (name == names.constEnd())
            name = names.insert(bar.RelationId, RelationName(*database, bar.RelationId));
        const int chart = bar.Kind <= skIdxReads ? 0 : bar.Kind - 1;
        chartBars[chart].append(bar);
        chartNames[chart].append(name.value());
    }
    const QChartView* views[4] = {SelectChart, InsertChart, UpdateChart, DeleteChart};
    for (int c = 0; c < 4; ++c) {
        if (chartBars[c].isEmpty())
            continue;
        QChart* chart = views[c]->chart();
        QBarSet* set = SeriesOf(views[c])->barSets().first();
        qint64 maximum = 1;
        for (const TStatBar& bar : chartBars[c]) {
            set->append(double(bar.Value));
            maximum = qMax(maximum, bar.Value);
        }
        for (int i = 0; i < chartBars[c].size(); ++i)
            if (chartBars[c].at(i).Kind == skIdxReads)
                set->selectBar(i);
        for (QAbstractAxis* axis : chart->axes(Qt::Vertical))
            if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
                categories->append(UniqueBarLabels(chartBars[c], chartNames[c]));
        for (QAbstractAxis* axis : chart->axes(Qt::Horizontal))
            if (auto* values = qobject_cast<QValueAxis*>(axis)) {
                // Room for the value written after the longest bar.
                const qint64 room = maximum + qMax<qint64>(1, maximum / 5);
                const qint64 step = NiceStep(room);
                values->setTickInterval(double(step));
                values->setRange(0, double((room + step - 1) / step * step));
            }
    }

    PageReads->setText(QString::number(m_statistics.PageReads()));
    PageWrites->setText(QString::number(m_statistics.PageWrites()));
    MemReads->setText(QString::number(m_statistics.MemReads()));
    MemWrites->setText(QString::number(m_statistics.MemWrites()));
}

// ------------------------------------------------------------------ result set

void TSQLEditor::ShowRecordCount()
{
    Numrec->setText(DS->Active() ? QString::number(DS->RecordCount()) : QString());
}

void TSQLEditor::FetchAllRows()
{
    const qv::BusyGuard busy(this);
    if (!busy.acquired() || !DS->Active())
        return;
    const QPointer<TSQLEditor> alive(this);
    const quint64 openSerial = DS->OpenSerial();
    const int chunk = ResultModel->fetchChunk();
    try {
        const qv::WaitCursor wait;
        ResultModel->setFetchChunk(kFetchStep);
        QElapsedTimer slice;
        slice.start();
        bool first = true;
        while (DS->Active() && DS->OpenSerial() == openSerial && ResultModel->canFetchMore(QModelIndex())) {
            ResultModel->fetchMore(QModelIndex());
            // Once right away, so the cursor and the first rows show, then every slice.
            if (first || slice.elapsed() >= kFetchSliceMs) {
                first = false;
                qv::processMessages();
                // The guard keeps the window, but the connection may have gone.
                if (!alive)
                    return;
                slice.restart();
            }
        }
        ResultModel->setFetchChunk(chunk);
        if (DS->Active() && DS->OpenSerial() == openSerial)
            DS->Last();
    } catch (const std::exception& error) {
        if (alive)
            ResultModel->setFetchChunk(chunk);
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
    }
}

void TSQLEditor::FirstRow()
{
    const qv::BusyGuard busy(this);
    if (!busy.acquired() || !DS->Active())
        return;
    try {
        DS->First();
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
    }
}

// ------------------------------------------------------------------ history

void TSQLEditor::AddToHistory(const QString& text)
{
    m_history.append(text);
    m_historyIndex = int(m_history.size()) - 1;
    NextQueryBtn->setEnabled(false);
    PrevQueryBtn->setEnabled(true);
}

void TSQLEditor::ShowHistoryEntry()
{
    SQLText->SetText(m_history.at(m_historyIndex));
}

void TSQLEditor::PrevQueryBtnClick()
{
    if (m_historyIndex >= 1) {
        --m_historyIndex;
        ShowHistoryEntry();
        PrevQueryBtn->setEnabled(m_historyIndex != 0);
        NextQueryBtn->setEnabled(true);
    } else {
        PrevQueryBtn->setEnabled(false);
    }
}

void TSQLEditor::NextQueryBtnClick()
{
    if (m_historyIndex < int(m_history.size()) - 1) {
        ++m_historyIndex;
        ShowHistoryEntry();
        NextQueryBtn->setEnabled(m_historyIndex != int(m_history.size()) - 1);
        PrevQueryBtn->setEnabled(true);
    } else {
        NextQueryBtn->setEnabled(false);
    }
}

// ------------------------------------------------------------------ commands

void TSQLEditor::ShowPlanBtnClick()
{
    const bool shown = ShowPlanBtn->isChecked();
    // The splitter sits between the text and the plan, so the plan goes first.
    if (shown) {
        PlanView->show();
        Split1->show();
    } else {
        Split1->hide();
        PlanView->hide();
    }
    if (AlignLayout* layout = AlignLayout::of(TabSQL))
        layout->realign();
}

void TSQLEditor::UpdateTransactionButtons()
{
    const bool active = RunT->Active();
    CommitBtn->setEnabled(active);
    RollbackBtn->setEnabled(active);
}

void TSQLEditor::CommitBtnClick()
{
    EndTransaction(true);
}

void TSQLEditor::RollbackBtnClick()
{
    EndTransaction(false);
}

void TSQLEditor::EndTransaction(bool commit)
{
    const qv::BusyGuard busy(this);
    if (!busy.acquired())
        return;
    try {
        if (RunT->Active()) {
            if (commit)
                RunT->Commit();
            else
                RunT->Rollback();
        }
    } catch (const EQvConnectionLost&) {
        m_connection->ActionLost();
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
    }
    UpdateTransactionButtons();
    PagesChange();
}

void TSQLEditor::CutBtnClick()
{
    if (!SQLText->SelAvail())
        return;
    QGuiApplication::clipboard()->setText(SQLText->SelText());
    SQLText->SetSelText(QString());
}

void TSQLEditor::CopyBtnClick()
{
    if (SQLText->SelAvail())
        QGuiApplication::clipboard()->setText(SQLText->SelText());
}

void TSQLEditor::PasteBtnClick()
{
    SQLText->SetSelText(QGuiApplication::clipboard()->text());
}

void TSQLEditor::SQLTextHyperLinkClick(const QString& word)
{
    // The window's own registration: never another database's object of the same name.
    ShowLinkedObject(m_dbId, word);
}

TDataSet* TSQLEditor::ResultDataSet() const
{
    // Not under a fetch that still moves the dataset.
    return DS->Active() && !Busy() ? DS : nullptr;
}

void TSQLEditor::PagesChange()
{
    EnableSaveToFile(Pages->currentWidget() == TabResult && DS->Active());
}

void TSQLEditor::SetStatus(const QString& text)
{
    m_statusText = text;
    if (MainForm)
        MainForm->SetStatusPanel(0, text);
}

void TSQLEditor::ClearErrorStatus()
{
    // Only this window's own error text: the line may say something else by now.
    if (MainForm && MainForm->StatusPanel(0) == QLatin1String("Error in query !"))
        SetStatus(QString());
}

// ------------------------------------------------------------------ keys and closing

bool TSQLEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        if (IsFirstKeyDelivery(*this, *watched)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Acted on once the key has been delivered: a command that shows
            // a message box moves the focus, and the key still on its way up
            // through the parents would look like a first delivery again.
            QMetaObject::invokeMethod(
                this, [this, code = key->key(), modifiers = key->modifiers()] { FormKeyDown(code, modifiers); },
                Qt::QueuedConnection);
        }
    }
    return false;
}

void TSQLEditor::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ControlModifier))
        return;
    switch (key) {
    case Qt::Key_R:
        RunBtn->trigger();
        break;
    case Qt::Key_P:
        PrevQueryBtnClick();
        break;
    case Qt::Key_N:
        NextQueryBtnClick();
        break;
    case Qt::Key_1:
        Pages->setCurrentWidget(TabSQL);
        break;
    case Qt::Key_2:
        Pages->setCurrentWidget(TabResult);
        break;
    case Qt::Key_3:
        Pages->setCurrentWidget(TabStat);
        break;
    default:
        break;
    }
}

bool TSQLEditor::QueryClose()
{
    // Never under a running statement or fetch.
    return !Busy() && AskCommit();
}

bool TSQLEditor::AskCommit()
{
    m_closeAnswer = qv::mrNone;
    if (!RunT->Active())
        return true;
    const qv::ModalResult answer =
        qv::messageDlg(QStringLiteral("Commit Work ?"), qv::mtConfirmation, qv::mbYesNoCancel);
    if (answer != qv::mrYes && answer != qv::mrNo)
        return false;
    m_closeAnswer = answer;
    return true;
}

bool TSQLEditor::FormCloseQuery()
{
    const bool answered = TakeAnswered() && (m_closeAnswer != qv::mrNone || !RunT->Active());
    if (!answered && !AskCommit())
        return false;
    if (!RunT->Active())
        return true;
    const qv::ModalResult answer = std::exchange(m_closeAnswer, qv::mrNone);
    try {
        if (answer == qv::mrYes)
            RunT->Commit();
        else
            RunT->Rollback();
    } catch (const EQvConnectionLost& error) {
        // The server dropped the work with the attachment. A rollback asked
        // for is what happened; a commit asked for did not happen, which the
        // user must hear of, once: the text stays, the next close goes.
        if (m_database)
            m_database->DropLostConnection();
        UpdateTransactionButtons();
        if (answer == qv::mrYes) {
            qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
            return false;
        }
        return true;
    } catch (const std::exception& error) {
        // The work is still there: the window stays so the user can decide again.
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        UpdateTransactionButtons();
        return false;
    }
    UpdateTransactionButtons();
    return true;
}

void TSQLEditor::closeEvent(QCloseEvent* event)
{
    // Never under a running statement or fetch: that code still uses the window.
    if (Busy()) {
        event->ignore();
        return;
    }
    const qv::BusyGuard busy(this);
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    try {
        if (DS->Active())
            DS->Close();
        if (RunT->Active())
            RunT->Commit();
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        event->ignore();
        return;
    }
    EnableSaveToFile(false);
    event->accept();
}

// ------------------------------------------------------------------ opening

TSQLEditor* ExecuteSQLBtnClick()
{
    if (!MainTree || !MainForm || !DBList)
        return nullptr;
    QTreeWidgetItem* node = MainTree->Tree()->currentItem();
    if (!node || TMainTree::NodeLevel(node) == 0)
        return nullptr;
    const quint64 id = MainTree->GetNodeDBId(node);
    if (id == 0 || !ConnectedEntryDatabase(id))
        return nullptr;
    auto* editor = new TSQLEditor(id);
    MainForm->AddChild(editor);
    editor->show();
    return editor;
}

void InstallSQLEditorCommand()
{
    TObjectOpeners::Instance().SetTool(TToolCommand::SQLEditor, [](const TObjectRef&) { ExecuteSQLBtnClick(); });
}
