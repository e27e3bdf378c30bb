#include "app/sqltools/DataView.h"

#include "access/QvDataSet.h"
#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/DBListObject.h"
#include "app/shell/EntryDatabase.h"
#include "app/shell/Main.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/Options.h"
#include "app/sqltools/FormSort.h"
#include "components/DBControls.h"
#include "components/DBGrid.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/KeyDelivery.h"
#include "platform/WaitCursor.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QAction* MakeAction(QToolBar* bar, const char* name, QStyle::StandardPixmap icon, const QString& hint)
{
    QAction* action = bar->addAction(bar->style()->standardIcon(icon), hint);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    return action;
}

} // namespace

TFDataView::TFDataView(quint64 dbId, const QString& tableName, QWidget* parent)
    : QWidget(parent)
    , TableName(tableName)
    , DBId(dbId)
{
    setObjectName(QStringLiteral("FDataView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Data view"));
    CreateControls();
    SetWindowIdentity(this, TWindowIdentity{dbId, wkDataView, tableName});
    m_connection = new TEntryConnection(dbId, this);
    // The rows and the transaction went with the attachment; Refresh brings them back.
    connect(m_connection, &TEntryConnection::Dropped, this, [this] {
        m_transactionLost = true;
        m_changesLost = m_changesLost || CommitBtn->isEnabled();
        EnableTransactionButtons(false);
        UpdateNavigator();
    });
    // What the grid's own keys and reads find of a lost connection is the
    // loss, said once like a command's; found in a paint, it is said after it.
    TableViewGrid->SetErrorTaker([this](const std::exception& error) {
        if (!dynamic_cast<const EQvConnectionLost*>(&error))
            return false;
        // Every row a paint could not read finds it: one is enough.
        if (!std::exchange(m_lossQueued, true))
            QMetaObject::invokeMethod(this, [this] { GridFoundLoss(); }, Qt::QueuedConnection);
        return true;
    });

    DS->BeforeOpen = [this](TDataSet&) { DSBeforeOpen(); };
    DS->AfterOpen = [this](TDataSet&) {
        // What the server computes is shown but cannot be typed over.
        for (const TDataViewColumn& column : m_columns)
            if (TField* field = column.Writable ? nullptr : DS->FindField(column.Name))
                field->SetReadOnly(true);
        EnableSaveToFile(true);
        EnableTransactionButtons(false);
        UpdateNavigator();
    };
    const auto changed = [this](TDataSet&) { EnableTransactionButtons(true); };
    DS->AfterEdit = changed;
    DS->AfterInsert = changed;
    DS->AfterDelete = changed;
    DS->AfterPost = changed;
    DS->AfterClose = [this](TDataSet&) { UpdateNavigator(); };
    // Shown once here; the dataset stays on the record, which is still there.
    DS->OnDeleteError = [](TDataSet&, EDatabaseError& error, TDataAction& action) {
        qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        action = daAbort;
    };
    DSrc->OnStateChange = [this](TDataSource&) {
        if (DS->Active())
            EnableTransactionButtons(true);
        UpdateNavigator();
    };
    DSrc->OnDataChange = [this](TDataSource&, TField*) {
        UpdateNavigator();
        // Where the user is, to be found again in the rows read anew.
        try {
            if (DS->Active() && DS->State() == dsBrowse)
                m_recNo = DS->RecNo();
        } catch (const std::exception&) {
        }
    };

    qApp->installEventFilter(this);
}

TFDataView::~TFDataView()
{
    qApp->removeEventFilter(this);
    DSrc->OnStateChange = nullptr;
    DSrc->OnDataChange = nullptr;
    try {
        DS->Close();
        if (Tran->Active())
            Tran->Rollback();
    } catch (const std::exception& error) {
        qWarning("Data view: closing: %s", qPrintable(ErrorText(error)));
    }
}

void TFDataView::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(2, 2, 2, 2);
    DBNavigator1 = new QToolBar(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setIconSize(QSize(16, 16));
    NavFirst = MakeAction(DBNavigator1, "NavFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("First"));
    NavPrior = MakeAction(DBNavigator1, "NavPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Previous"));
    NavNext = MakeAction(DBNavigator1, "NavNext", QStyle::SP_MediaSeekForward, QStringLiteral("Next"));
    NavLast = MakeAction(DBNavigator1, "NavLast", QStyle::SP_MediaSkipForward, QStringLiteral("Last"));
    NavInsert = MakeAction(DBNavigator1, "NavInsert", QStyle::SP_FileDialogNewFolder, QStringLiteral("Insert record"));
    NavDelete = MakeAction(DBNavigator1, "NavDelete", QStyle::SP_TrashIcon, QStringLiteral("Delete record"));
    NavEdit = MakeAction(DBNavigator1, "NavEdit", QStyle::SP_FileDialogDetailedView, QStringLiteral("Edit record"));
    NavPost = MakeAction(DBNavigator1, "NavPost", QStyle::SP_DialogApplyButton, QStringLiteral("Post edit"));
    NavCancel = MakeAction(DBNavigator1, "NavCancel", QStyle::SP_DialogCancelButton, QStringLiteral("Cancel edit"));
    NavRefresh = MakeAction(DBNavigator1, "NavRefresh", QStyle::SP_BrowserReload, QStringLiteral("Refresh data"));
    connect(DBNavigator1, &QToolBar::actionTriggered, this, &TFDataView::NavigatorClick);
    CommitBtn = MakeButton(Panel1, "CommitBtn", QStringLiteral("Commit"));
    RollbackBtn = MakeButton(Panel1, "RollbackBtn", QStringLiteral("Rollback"));
    CommitBtn->setEnabled(false);
    RollbackBtn->setEnabled(false);
    top->addWidget(DBNavigator1);
    top->addSpacing(12);
    top->addWidget(CommitBtn);
    top->addWidget(RollbackBtn);
    top->addStretch(1);
    layout->addWidget(Panel1);

    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    Pages->setTabPosition(QTabWidget::South);
    TablePage = new QWidget(Pages);
    TablePage->setObjectName(QStringLiteral("TablePage"));
    FormSheet = new QWidget(Pages);
    FormSheet->setObjectName(QStringLiteral("FormSheet"));
    Pages->addTab(TablePage, QStringLiteral("Table view (Ctrl - 1)"));
    Pages->addTab(FormSheet, QStringLiteral("Form view (Ctrl - 2)"));
    layout->addWidget(Pages, 1);

    auto* table = new QVBoxLayout(TablePage);
    table->setContentsMargins(0, 0, 0, 0);
    table->setSpacing(0);
    TableViewGrid = new TQcDBGrid(TablePage);
    TableViewGrid->setObjectName(QStringLiteral("TableViewGrid"));
    TableViewGrid->setContextMenuPolicy(Qt::NoContextMenu);
    TableViewGrid->viewport()->installEventFilter(this);
    table->addWidget(TableViewGrid, 1);

    Panel5 = new QWidget(TablePage);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto* bottomRows = new QVBoxLayout(Panel5);
    bottomRows->setContentsMargins(2, 2, 2, 2);
    auto* bottom = new QHBoxLayout;
    RecCountBtn = MakeButton(Panel5, "RecCountBtn", QStringLiteral("Record count (F4):"));
    RCount = new QLabel(Panel5);
    RCount->setObjectName(QStringLiteral("RCount"));
    RCount->setMinimumWidth(60);
    SortBtn = MakeButton(Panel5, "SortBtn", QStringLiteral("Sort Order... (F3)"));
    NoSortBtn = MakeButton(Panel5, "NoSortBtn", QStringLiteral("No Sort (Ctrl-C)"));
    Orderby = new QLabel(QStringLiteral("ORDER BY:"), Panel5);
    Orderby->setObjectName(QStringLiteral("Orderby"));
    // The order grows with every column sorted on: the whole width under the
    // buttons, wrapped at blanks, so that it is read whole.
    Orderby->setWordWrap(true);
    TempE = new QLineEdit(Panel5);
    TempE->setObjectName(QStringLiteral("TempE"));
    TempE->hide();
    bottom->addWidget(RecCountBtn);
    bottom->addWidget(RCount);
    bottom->addWidget(SortBtn);
    bottom->addWidget(NoSortBtn);
    bottom->addStretch(1);
    bottomRows->addLayout(bottom);
    bottomRows->addWidget(Orderby);
    table->addWidget(Panel5);

    auto* form = new QVBoxLayout(FormSheet);
    form->setContentsMargins(0, 0, 0, 0);
    SB1 = new QScrollArea(FormSheet);
    SB1->setObjectName(QStringLiteral("SB1"));
    SB1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SB1->setWidgetResizable(false);
    SB1->setWidget(new QWidget);
    form->addWidget(SB1);

    DS = new TQvDataSet(this);
    DS->setObjectName(QStringLiteral("DS"));
    Tran = new TQvTransaction(this);
    Tran->setObjectName(QStringLiteral("Tran"));
    Tran->SetTimeoutAction(TARollback);
    DS->SetTransaction(Tran);
    DS->SetBufferChunks(32);
    DS->SetSingleRowChanges(true);
    DSrc = new TDataSource(this);
    DSrc->setObjectName(QStringLiteral("DSrc"));
    DSrc->SetDataSet(DS);
    TableViewGrid->SetDataSource(DSrc);

    Popup1 = new QMenu(this);
    Popup1->setObjectName(QStringLiteral("Popup1"));
    NoSortMenu = Popup1->addAction(QStringLiteral("No Sort"));
    NoSortMenu->setObjectName(QStringLiteral("NoSortMenu"));
    AscSortMenu = Popup1->addAction(QStringLiteral("Ascending Sort"));
    AscSortMenu->setObjectName(QStringLiteral("AscSortMenu"));
    DescSortMenu = Popup1->addAction(QStringLiteral("Descending Sort"));
    DescSortMenu->setObjectName(QStringLiteral("DescSortMenu"));
    for (QAction* item : {NoSortMenu, AscSortMenu, DescSortMenu})
        item->setCheckable(true);
    connect(NoSortMenu, &QAction::triggered, this, [this] { NoSortMenuClick(); });
    connect(AscSortMenu, &QAction::triggered, this, [this] { SortMenuClick(true); });
    connect(DescSortMenu, &QAction::triggered, this, [this] { SortMenuClick(false); });

    connect(CommitBtn, &QPushButton::clicked, this, [this] { CommitBtnClick(); });
    connect(RollbackBtn, &QPushButton::clicked, this, [this] { RollbackBtnClick(); });
    connect(RecCountBtn, &QPushButton::clicked, this, [this] { RecCountBtnClick(); });
    connect(SortBtn, &QPushButton::clicked, this, [this] { SortBtnClick(); });
    connect(NoSortBtn, &QPushButton::clicked, this, [this] { NoSortBtnClick(); });
    connect(Pages, &QTabWidget::currentChanged, this, [this] { PagesChange(); });
    UpdateNavigator();
    resize(600, 400);
}

// ---------------------------------------------------------------- opening

bool TFDataView::OpenOn(TQvDatabase* database)
{
    m_database = database;
    m_connection->Watch(database);
    DS->SetDatabase(database);
    Tran->AddDatabase(database);
    DS->SetSelectSQLText(QStringLiteral("select * from ") + QvSql::Identifier(TableName, database->SQLDialect()));
    Tran->StartTransaction();
    setWindowTitle(QStringLiteral("Data View on ") + TableName);
    try {
        DS->Open();
        return true;
    } catch (const std::exception&) {
        ReadOnlyView = true;
    }
    try {
        DS->Open();
        return true;
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        try {
            Tran->Rollback();
        } catch (const std::exception& rollback) {
            qWarning("Data view: rolling back: %s", qPrintable(ErrorText(rollback)));
        }
        return false;
    }
}

void TFDataView::DSBeforeOpen()
{
    TQvDatabase* database = DS->Database();
    const int dialect = database->SQLDialect();
    QList<TDataViewColumn>& columns = m_columns;
    {
        TQvTransaction scratch;
        scratch.AddDatabase(database);
        TQvTransactionScope scope(scratch);
        columns = DescribeDataViewColumns(database, &scratch, TableName, DS->SelectSQL().join(QLatin1Char('\n')));
        scope.Commit();
    }
    // Rows that have no column but what the server computes are only browsed.
    const bool anyWritable =
        std::any_of(columns.begin(), columns.end(), [](const TDataViewColumn& column) { return column.Writable; });
    if (!ReadOnlyView && !anyWritable)
        ReadOnlyView = true;
    const TDataViewStatements statements = DataViewStatements(TableName, columns, OrderFields, ReadOnlyView, dialect);
    DS->SetInsertSQLText(statements.Insert);
    DS->SetUpdateSQLText(statements.Update);
    DS->SetDeleteSQLText(statements.Delete);
    DS->SetRefreshSQLText(statements.Refresh);
    DS->SetParamSources(TQvModifyStatement::Insert, statements.InsertSources);
    DS->SetParamSources(TQvModifyStatement::Update, statements.UpdateSources);
    DS->SetParamSources(TQvModifyStatement::Delete, statements.DeleteSources);
    DS->SetParamSources(TQvModifyStatement::Refresh, statements.RefreshSources);
    if (ReadOnlyView && !windowTitle().contains(QLatin1String("(Read-Only)")))
        setWindowTitle(windowTitle() + QStringLiteral(" (Read-Only)"));
    TableViewGrid->SetReadOnly(ReadOnlyView);
    Orderby->setText(DataViewOrderLabel(statements.OrderText));
    DS->SetSelectSQLText(statements.Select);
}

TDataSet* TFDataView::ResultDataSet() const
{
    return DS->Active() ? DS : nullptr;
}

void TFDataView::EnableTransactionButtons(bool enabled)
{
    CommitBtn->setEnabled(enabled);
    RollbackBtn->setEnabled(enabled);
}

void TFDataView::ShowError(const std::exception& error)
{
    qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
}

// ---------------------------------------------------------------- navigator

void TFDataView::UpdateNavigator()
{
    const bool active = DS->Active();
    const TDataSetState state = DS->State();
    const bool browsing = active && state == dsBrowse;
    const bool editing = state == dsEdit || state == dsInsert;
    bool canModify = false;
    if (active && !ReadOnlyView) {
        try {
            canModify = DS->CanModify();
        } catch (const std::exception&) {
        }
    }
    NavFirst->setEnabled(browsing && !DS->Bof());
    NavPrior->setEnabled(browsing && !DS->Bof());
    NavNext->setEnabled(browsing && !DS->Eof());
    NavLast->setEnabled(browsing && !DS->Eof());
    NavInsert->setEnabled(canModify && browsing);
    NavDelete->setEnabled(canModify && browsing && !DS->IsEmpty());
    NavEdit->setEnabled(canModify && browsing && !DS->IsEmpty());
    NavPost->setEnabled(canModify && editing);
    NavCancel->setEnabled(canModify && editing);
    // Also when the rows are gone with a lost connection: it opens them again.
    NavRefresh->setEnabled(browsing || !active);
}

void TFDataView::NavigatorClick(QAction* action)
{
    // Moving is done again on a new connection; a change is not: what it
    // worked on went with the old one.
    if (action == NavFirst)
        ServerCommand([this] { DS->First(); }, true);
    else if (action == NavPrior)
        ServerCommand([this] { DS->Prior(); }, true);
    else if (action == NavNext)
        ServerCommand([this] { DS->Next(); }, true);
    else if (action == NavLast)
        ServerCommand([this] { DS->Last(); }, true);
    else if (action == NavInsert)
        ServerCommand([this] { DS->Insert(); }, false);
    else if (action == NavDelete)
        ServerCommand([this] { TableViewGrid->DeleteCurrentRecord(); }, false);
    else if (action == NavEdit)
        ServerCommand([this] { DS->Edit(); }, false);
    else if (action == NavPost)
        ServerCommand(
            [this] {
                // A record being typed went with a lost connection: nothing to post.
                if (DS->State() != dsEdit && DS->State() != dsInsert)
                    return;
                // The text still in a cell's editor is part of the record posted.
                TableViewGrid->CommitEdit();
                DS->Post();
            },
            false);
    else if (action == NavCancel)
        ServerCommand([this] { DS->Cancel(); }, false);
    else if (action == NavRefresh)
        RefreshData();
    UpdateNavigator();
}

void TFDataView::GridFoundLoss()
{
    m_lossQueued = false;
    // A command already said it and connected again.
    if (m_database && m_database->Connected() && !m_database->ConnectionLost())
        return;
    m_connection->ActionLost();
}

bool TFDataView::Connected()
{
    TQvDatabase* database = m_connection->Ready();
    if (!database)
        return false;
    if (std::exchange(m_transactionLost, false) || m_database != database) {
        // The loss was said on the way here.
        m_changesLost = false;
        m_database = database;
        DS->SetDatabase(database);
        if (Tran->FindDatabase(database) < 0)
            Tran->AddDatabase(database);
        if (!Tran->Active())
            Tran->StartTransaction();
        if (!DS->Active()) {
            const int recNo = m_recNo;
            DS->Open();
            if (recNo > 1)
                DS->SetRecNo(recNo);
        }
    }
    return true;
}

void TFDataView::ServerCommand(const std::function<void()>& command, bool retryAfterLoss)
{
    for (int attempt = 0; attempt < (retryAfterLoss ? 2 : 1); ++attempt) {
        try {
            if (Connected())
                command();
            return;
        } catch (const EQvConnectionLost&) {
            m_connection->ActionLost();
        } catch (const std::exception& error) {
            ShowError(error);
            return;
        }
    }
}

void TFDataView::RefreshData()
{
    ServerCommand(
        [this] {
            if (DS->Active())
                DS->Refresh();
            else
                DS->Open();
        },
        true);
}

// ---------------------------------------------------------------- transaction

void TFDataView::CommitBtnClick()
{
    // A commit on a lost connection did not happen: said once, never tried
    // again on the next one, where the work is not.
    ServerCommand(
        [this] {
            // A change still being typed is part of what the user commits.
            DS->CheckBrowseMode();
            Tran->Commit();
            Tran->StartTransaction();
            DS->Close();
            DS->Open();
            EnableTransactionButtons(false);
        },
        false);
}

void TFDataView::RollbackBtnClick()
{
    // What a lost connection took is rolled back all the same: the rows are
    // read anew on the next one.
    ServerCommand(
        [this] {
            DS->Cancel();
            if (Tran->Active())
                Tran->Rollback();
            Tran->StartTransaction();
            DS->Close();
            DS->Open();
            EnableTransactionButtons(false);
        },
        true);
}

void TFDataView::RecCountBtnClick()
{
    if (!Tran->Active() && !m_transactionLost)
        return;
    ServerCommand(
        [this] {
            QString count;
            {
                qv::processMessages();
                const qv::WaitCursor wait;
                TQvQuery query;
                query.SetDatabase(DS->Database());
                query.SetTransaction(Tran);
                query.SetSQLText(QStringLiteral("select count(*) from ")
                                 + QvSql::Identifier(TableName, DS->Database()->SQLDialect()));
                query.ExecQuery();
                count = query.Fields(0).AsString();
                query.Close();
            }
            RCount->setText(count);
            qv::processMessages();
        },
        true);
}

// ---------------------------------------------------------------- sorting

void TFDataView::Reopen(const std::function<void()>& changeOrder)
{
    bool changed = false;
    ServerCommand(
        [&] {
            // Closing drops a change in progress: it is posted first (and a
            // refused one keeps the rows as they are).
            if (DS->Active())
                DS->CheckBrowseMode();
            DS->Close();
            if (!std::exchange(changed, true))
                changeOrder();
            DS->Open();
        },
        true);
}

void TFDataView::UpdatePopupChecks()
{
    for (QAction* item : {NoSortMenu, AscSortMenu, DescSortMenu})
        item->setChecked(false);
    const TField* field = TableViewGrid->SelectedField();
    if (field && !SortField.isEmpty() && field->FieldName() == SortField)
        (SortAscending ? AscSortMenu : DescSortMenu)->setChecked(true);
    else
        NoSortMenu->setChecked(true);
}

void TFDataView::SortMenuClick(bool ascending)
{
    const TField* field = TableViewGrid->SelectedField();
    if (!field)
        return;
    const QString name = field->FieldName();
    Reopen([&] {
        SortField = name;
        OrderFields.append({SortField, !ascending});
        SortAscending = ascending;
    });
}

void TFDataView::NoSortMenuClick()
{
    Reopen([this] {
        SortField.clear();
        OrderFields.clear();
    });
}

void TFDataView::NoSortBtnClick()
{
    Reopen([this] { OrderFields.clear(); });
}

void TFDataView::SortBtnClick()
{
    // The rows a lost connection took are read again for the dialog's columns.
    if (!DS->Active() && m_transactionLost)
        ServerCommand([] {}, true);
    if (!DS->Active())
        return;
    TFormSort dialog(*DS, OrderFields, this);
    if (qv::showModal(dialog) != qv::mrOk)
        return;
    const QList<TDataViewSortField> fields = dialog.SortFields();
    Reopen([&] { OrderFields = fields; });
}

void TFDataView::CopyCellText()
{
    const QModelIndex cell = TableViewGrid->currentIndex();
    const TField* field = TableViewGrid->SelectedField();
    if (!cell.isValid() || !field)
        return;
    // The selected cell's text as shown, whatever the dataset's record is.
    TempE->setText(TableViewGrid->model()->data(cell, Qt::EditRole).toString());
    TempE->selectAll();
    QApplication::clipboard()->setText(TempE->text());
}

// ---------------------------------------------------------------- form view

void TFDataView::PagesChange()
{
    if (Pages->currentWidget() == FormSheet && FormViewPending)
        BuildFormView();
}

void TFDataView::BuildFormView()
{
    FormViewPending = false;
    auto* host = new QWidget;
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int i = 0; i < DS->FieldCount(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(DS->Fields(i).FieldName()));
    const int letter = metrics.horizontalAdvance(QLatin1Char('A'));
    int y = 5;
    int right = 0;
    for (int i = 0; i < DS->FieldCount(); ++i) {
        const TField& field = DS->Fields(i);
        auto* label = new QLabel(field.FieldName() + QLatin1Char(':'), host);
        label->setObjectName(QStringLiteral("FormLabel%1").arg(i));
        label->move(5, y);
        const QString name = QStringLiteral("FormEdit%1").arg(i);
        const TFieldType type = field.DataType();
        const bool memoOrBlob = type == ftMemo || type == ftBlob || type == ftFmtMemo;
        QWidget* control = nullptr;
        if (field.DisplayWidth() < 200 && !memoOrBlob) {
            auto* edit = new TQcDBEdit(host);
            edit->SetDataSource(DSrc);
            edit->SetDataField(field.FieldName());
            edit->resize(field.DisplayWidth() * letter + 1, edit->sizeHint().height());
            control = edit;
            control->move(widest + 15, y);
            y += 25;
        } else if (type == ftString || memoOrBlob) {
            auto* memo = new TQcDBMemo(host);
            memo->SetDataSource(DSrc);
            memo->SetDataField(field.FieldName());
            memo->resize(400, 50);
            control = memo;
            control->move(widest + 15, y);
            y += 55;
        } else {
            auto* image = new TQcDBImage(host);
            image->SetDataSource(DSrc);
            image->SetDataField(field.FieldName());
            control = image;
            control->move(widest + 15, y);
            qv::processMessages();
            y += image->height() + 10;
        }
        control->setObjectName(name);
        right = std::max(right, control->geometry().right());
    }
    host->resize(std::max(right + 10, SB1->viewport()->width()), y + 5);
    delete SB1->takeWidget();
    SB1->setWidget(host);
}

// ---------------------------------------------------------------- keys, showing, closing

bool TFDataView::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers == Qt::ControlModifier;
    try {
        if (ctrl && key == Qt::Key_1) {
            Pages->setCurrentWidget(TablePage);
            return true;
        }
        if (ctrl && key == Qt::Key_2) {
            Pages->setCurrentWidget(FormSheet);
            if (FormViewPending)
                BuildFormView();
            return true;
        }
        if (Pages->currentWidget() == FormSheet && modifiers == Qt::NoModifier
            && (key == Qt::Key_PageDown || key == Qt::Key_PageUp)) {
            QScrollBar* bar = SB1->verticalScrollBar();
            const int step = SB1->viewport()->height() - 30;
            const int range = bar->maximum() + SB1->viewport()->height();
            if (key == Qt::Key_PageDown && range - SB1->viewport()->height() - 30 > bar->value())
                bar->setValue(bar->value() + step);
            else if (key == Qt::Key_PageUp && bar->value() > 0)
                bar->setValue(bar->value() - step);
            return true;
        }
        if (ctrl && key == Qt::Key_Right) {
            ServerCommand([this] { DS->Next(); }, true);
            return true;
        }
        if (ctrl && key == Qt::Key_Left) {
            ServerCommand([this] { DS->Prior(); }, true);
            return true;
        }
        if (ctrl && key == Qt::Key_Delete && Pages->currentWidget() == TablePage) {
            ServerCommand([this] { TableViewGrid->DeleteCurrentRecord(); }, false);
            return true;
        }
        if (modifiers == Qt::NoModifier && key == Qt::Key_F4) {
            RecCountBtnClick();
            return true;
        }
        if (modifiers == Qt::NoModifier && key == Qt::Key_F3) {
            SortBtnClick();
            return true;
        }
        if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
            // The cell's text is taken before the rows are reopened.
            if (TableViewGrid->hasFocus())
                CopyCellText();
            if (key == Qt::Key_C)
                NoSortBtnClick();
            return true;
        }
    } catch (const std::exception& error) {
        ShowError(error);
        return true;
    }
    return false;
}

bool TFDataView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TableViewGrid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const QModelIndex cell = TableViewGrid->indexAt(mouse->position().toPoint());
            if (cell.isValid())
                TableViewGrid->setCurrentIndex(cell);
            UpdatePopupChecks();
            Popup1->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (IsFirstKeyDelivery(*this, *widget)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // A text control (a cell being edited, the form's edits) copies
            // its own selection with Ctrl+C and Ctrl+Insert: dropping the
            // sort order there would reopen the rows under the user's typing.
            const bool textControl = qobject_cast<QLineEdit*>(widget) || widget->inherits("QPlainTextEdit");
            const bool ownKey = key->modifiers() == Qt::ControlModifier
                                && (key->key() == Qt::Key_C || key->key() == Qt::Key_Insert);
            if (!(textControl && ownKey) && FormKeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFDataView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    FormViewPending = true;
    SortField.clear();
    TableViewGrid->setFont(DataFont());
}

bool TFDataView::QueryClose()
{
    return !qv::BusyGuard::isBusy(this);
}

void TFDataView::closeEvent(QCloseEvent* event)
{
    if (!QueryClose()) {
        event->ignore();
        return;
    }
    try {
        if (DS->Active())
            DS->CheckBrowseMode();
        if (Tran->Active())
            Tran->Commit();
        else if (m_transactionLost && m_changesLost)
            m_connection->ActionLost();
    } catch (const EQvConnectionLost&) {
        // The change went with the attachment, and there is nothing left in
        // the window to keep: said once, and the window goes.
        m_connection->ActionLost();
    } catch (const std::exception& error) {
        // The change is still in the window; nothing is lost by staying.
        ShowError(error);
        event->ignore();
        return;
    }
    EnableSaveToFile(false);
    event->accept();
}

// ---------------------------------------------------------------- opening from the tree

TFDataView* OpenDataView(quint64 dbId, const QString& tableName)
{
    if (QWidget* open = FindObjectWindow(dbId, wkDataView, tableName)) {
        BringForward(open);
        return qobject_cast<TFDataView*>(open);
    }
    if (!DBList || !MainForm)
        return nullptr;
    TQvDatabase* database = ConnectedEntryDatabase(dbId);
    if (!database)
        return nullptr;
    auto* view = new TFDataView(dbId, tableName);
    MainForm->AddChild(view);
    if (!view->OpenOn(database)) {
        view->close();
        return nullptr;
    }
    qv::processMessages();
    view->show();
    return view;
}

void InstallDataView()
{
    TObjectOpeners::Instance().SetTool(TToolCommand::DataView, [](const TObjectRef& ref) {
        if (!ref.Name.isEmpty())
            OpenDataView(ref.DBId, ref.Name);
    });
}
