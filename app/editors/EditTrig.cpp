#include "app/editors/EditTrig.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/DebugVars.h"
#include "app/editors/DebugWindow.h"
#include "app/editors/FormControls.h"
#include "app/editors/ObjectLinks.h"
#include "app/editors/OwnStatement.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/ParamGrid.h"
#include "app/editors/ParamList.h"
#include "app/editors/ProcSource.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/Options.h"
#include "app/shell/ProcPreview.h"
#include "components/FormPlacement.h"
#include "components/SpinEdit.h"
#include "components/TgGrid.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeEditList.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"
#include "platform/KeyDelivery.h"
#include "platform/db/DatabaseError.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

TEditTrig::TEditTrig(QWidget* parent)
    : TBaseMDI(parent)
{
    setObjectName(QStringLiteral("EditTrig"));
    setWindowTitle(QStringLiteral("Create/Edit trigger"));
    CreateControls();

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(kFormPlacementsKey);
    FormStorage1->SetStoredProps({QStringLiteral("LocalParams.Height")});
}

TEditTrig::~TEditTrig() = default;

void TEditTrig::CreateControls()
{
    OkBtn->setText(QStringLiteral("Save Changes (F2)"));
    ViewGenTextBtn = ToolBar1->addAction(QStringLiteral("View generated text (F9)"));
    ViewGenTextBtn->setObjectName(QStringLiteral("ViewGenTextBtn"));
    DebugBtn = ToolBar1->addAction(QStringLiteral("Debug trigger"));
    DebugBtn->setObjectName(QStringLiteral("DebugBtn"));
    connect(DebugBtn, &QAction::triggered, this, &TEditTrig::DebugBtnClick);
    connect(ViewGenTextBtn, &QAction::triggered, this, &TEditTrig::ViewGenTextBtnClick);

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("HeaderPanel"));
    auto* grid = new QGridLayout(header);
    grid->setContentsMargins(6, 6, 6, 2);
    TRNameL = new QLabel(QStringLiteral("Trigger &name:"), header);
    TRNameL->setObjectName(QStringLiteral("TRNameL"));
    TriggerName = new QLineEdit(header);
    TriggerName->setObjectName(QStringLiteral("TriggerName"));
    KeepUpperCase(TriggerName);
    TRNameL->setBuddy(TriggerName);
    TableListL = new QLabel(QStringLiteral("For &Table:"), header);
    TableListL->setObjectName(QStringLiteral("TableListL"));
    TableList = new QComboBox(header);
    TableList->setObjectName(QStringLiteral("TableList"));
    TableListL->setBuddy(TableList);
    StyleListL = new QLabel(QStringLiteral("Trigger &style:"), header);
    StyleListL->setObjectName(QStringLiteral("StyleListL"));
    StyleList = new QComboBox(header);
    StyleList->setObjectName(QStringLiteral("StyleList"));
    StyleList->addItems(TriggerStyleNames());
    StyleListL->setBuddy(StyleList);
    PositionL = new QLabel(QStringLiteral("&Position:"), header);
    PositionL->setObjectName(QStringLiteral("PositionL"));
    Position = new TQcSpinEdit(header);
    Position->setObjectName(QStringLiteral("Position"));
    PositionL->setBuddy(Position);
    IsActive = new QCheckBox(QStringLiteral("&Active"), header);
    IsActive->setObjectName(QStringLiteral("IsActive"));
    IsActive->setChecked(true);
    grid->addWidget(TRNameL, 0, 0);
    grid->addWidget(TriggerName, 0, 1);
    grid->addWidget(TableListL, 0, 2);
    grid->addWidget(TableList, 0, 3);
    grid->addWidget(StyleListL, 1, 0);
    grid->addWidget(StyleList, 1, 1);
    grid->addWidget(PositionL, 1, 2);
    grid->addWidget(Position, 1, 3);
    grid->addWidget(IsActive, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout()->addWidget(header);

    // Whatever changes what would be saved asks before the window goes.
    connect(IsActive, &QCheckBox::clicked, this, [this] { SetModified(); });
    connect(StyleList, &QComboBox::activated, this, [this] { SetModified(); });
    connect(TableList, &QComboBox::activated, this, [this] { SetModified(); });
    connect(TriggerName, &QLineEdit::textEdited, this, [this] { SetModified(); });
    Position->OnChange = [this](QObject*) { SetModified(); };

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter"));
    splitter->setChildrenCollapsible(false);
    LocalParams = new QGroupBox(QStringLiteral("&Local variables"), splitter);
    LocalParams->setObjectName(QStringLiteral("LocalParams"));
    CreateLocalList();
    splitter->addWidget(LocalParams);

    auto* bodyPanel = new QWidget(splitter);
    auto* bodyLayout = new QVBoxLayout(bodyPanel);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    Syntax = NewSQLSyntax(this, TDM::SQLKeywords());
    SQLText = new TqeCustomEdit(bodyPanel);
    SQLText->setObjectName(QStringLiteral("SQLText"));
    SQLText->SetHighLighter(Syntax);
    SQLText->SetGutterWidth(30);
    SQLText->OnHyperLinkClick = [this](TqeCustomEdit*, const QString& word) { ShowLinkedObject(m_dbId, word); };
    SQLText->OnChange = [this](QObject*) {
        if (!m_loading)
            SetModified();
    };
    bodyLayout->addWidget(SQLText);
    splitter->addWidget(bodyPanel);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({120, 280});
    layout()->addWidget(splitter);

    Status = new QStatusBar(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(Status);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(i == 3 ? 0 : 80);
        Status->addWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    m_panels[1]->setText(QStringLiteral("1:1"));
    m_panels[2]->setText(QStringLiteral("Insert"));
    layout()->addWidget(Status);
    resize(560, 460);
}

void TEditTrig::CreateLocalList()
{
    auto* box = new QHBoxLayout(LocalParams);
    LocalList = new TTypedGrid(LocalParams);
    LocalList->setObjectName(QStringLiteral("LocalList"));
    LocalParamsGrid = new TParamGrid(LocalList, QStringLiteral("Variable name"), ParamTypeItems(true), 10, this);
    LocalParamsGrid->SetKeys({.EnterMoves = false, .SwapRows = false});
    LocalParamsGrid->OnModified = [this] { SetModified(); };
    LocalParamsGrid->OnRemoveRequest = [this](int row) { RemoveRowAsked(row); };
    // Leaving a cell counts as a change, whether its check passed or not.
    LocalList->OnExitCell = [this, check = LocalList->OnExitCell](QObject* sender, int col, int row, bool& allow) {
        check(sender, col, row, allow);
        SetModified();
    };
    box->addWidget(LocalList, 1);

    auto* buttons = new QVBoxLayout;
    AddBtn = new QPushButton(QStringLiteral("Add variable"), LocalParams);
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    RemoveBtn = new QPushButton(QStringLiteral("Remove variable"), LocalParams);
    RemoveBtn->setObjectName(QStringLiteral("RemoveBtn"));
    SetDescription = new QPushButton(QStringLiteral("Set description"), LocalParams);
    SetDescription->setObjectName(QStringLiteral("SetDescription"));
    for (QPushButton* button : {AddBtn, RemoveBtn, SetDescription}) {
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    box->addLayout(buttons);
    connect(AddBtn, &QPushButton::clicked, this, &TEditTrig::AddbtnClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TEditTrig::RemoveBtnClick);
    connect(SetDescription, &QPushButton::clicked, this, &TEditTrig::SetDescriptionClick);
}

void TEditTrig::SetTriggerName(const QString& name)
{
    // A stored name stays exactly as it is: no upper-casing.
    TriggerName->setValidator(nullptr);
    TriggerName->setText(name);
}

// ---------------------------------------------------------------- database

int TEditTrig::DBNumber() const
{
    return DBList ? DBList->IndexOfId(m_dbId) + 1 : 0;
}

TQvDatabase* TEditTrig::Database() const
{
    const int number = DBNumber();
    TQvDatabase* database = number > 0 ? DBList->GetDatabase(number - 1) : nullptr;
    if (!database || !database->Connected())
        throw EDatabaseError(QStringLiteral("The database of this trigger is not connected."));
    return database;
}

// ---------------------------------------------------------------- loading

void TEditTrig::LoadTrigger()
{
    m_loading = true;
    struct Done
    {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_loading};

    StyleList->setCurrentIndex(0);
    const QString name = TriggerName->text();
    setWindowTitle(IsNew ? QStringLiteral("Create Tirgger") : QStringLiteral("Edit Trigger: ") + name);
    TQvDatabase* database = Database();
    m_dialect = database->SQLDialect();
    LocalList->GetColumn(ParamTypeCol).SetItems(ParamTypeItems(true, m_dialect));
    LocalParamsGrid->SetDialect(m_dialect);

    TableList->clear();
    TableList->addItems(TriggerTableNames(*database));

    if (IsNew) {
        SQLText->SetText(QString());
        TriggerName->setFocus();
    } else {
        LoadStoredTrigger(*database, name);
        SQLText->setFocus();
    }

    TableList->setEnabled(IsNew);
    TRNameL->setEnabled(IsNew);
    TableListL->setEnabled(IsNew);
    TriggerName->setReadOnly(!IsNew);
    SetObjectLinkWords(Syntax, m_dbId);
    ApplyEditorOptions(SQLText, Syntax);
    SetIdentity({m_dbId, catTriggers, IsNew ? QString() : name});
    OkBtn->setEnabled(false);
}

void TEditTrig::LoadStoredTrigger(TQvDatabase& database, const QString& name)
{
    const TTriggerRecord trigger = LoadTriggerRecord(database, name);
    // A trigger of a view is no table the list offers; the list is locked
    // while editing anyway and the debugger reads the columns from it.
    int table = TableList->findText(trigger.Relation, Qt::MatchExactly);
    if (table < 0 && !trigger.Relation.isEmpty()) {
        TableList->addItem(trigger.Relation);
        table = TableList->count() - 1;
    }
    TableList->setCurrentIndex(table);
    StyleList->setCurrentIndex(StyleIndexOfType(trigger.Type));
    IsActive->setChecked(!trigger.Inactive);
    Position->setValue(trigger.Sequence);
    LoadSource(trigger.SourceIsNull ? QString() : trigger.Source);
    const QString reason = TriggerNotEditableReason(trigger);
    if (!reason.isEmpty())
        SetReadOnly(reason);
}

void TEditTrig::LoadSource(const QString& source)
{
    QString rest;
    if (!StripTriggerAs(source, rest)) {
        // Shown as it is stored, for reading only.
        SQLText->SetText(source);
        return;
    }
    m_layout = TSourceLayout::Read(rest, false);
    if (!m_layout.Known()) {
        SQLText->SetText(rest);
        return;
    }
    m_asWord = source.left(source.size() - rest.size()).trimmed();
    LocalParamsGrid->SetRows(m_layout.Locals());
    SQLText->SetLines(m_layout.Body());
}

void TEditTrig::SetReadOnly(const QString& reason)
{
    m_readOnly = true;
    m_readOnlyReason = reason;
    SQLText->SetReadOnly(true);
    for (QWidget* control : std::initializer_list<QWidget*>{StyleList, Position, IsActive, AddBtn, RemoveBtn,
                                                            SetDescription})
        control->setEnabled(false);
    LocalList->SetOptions(LocalList->Options() & ~TGridOptions(goEditing));
    ViewGenTextBtn->setEnabled(false);
    DebugBtn->setEnabled(false);
    m_panels[3]->setText(QStringLiteral("Read-only"));
    qv::messageDlg(reason, qv::mtWarning, qv::mbOK);
}

// ---------------------------------------------------------------- text

QString TEditTrig::BuildTriggerText() const
{
    TTriggerDefinition definition;
    definition.IsNew = IsNew;
    // A new trigger's name as typed; a stored one's as the server keeps it.
    definition.Name = IsNew ? QvSql::NameFromTyped(TriggerName->text(), m_dialect) : TriggerName->text();
    definition.Table = TableList->currentText();
    definition.StyleIndex = StyleList->currentIndex();
    definition.Position = Position->AsInteger();
    definition.Active = IsActive->isChecked();
    definition.Locals = LocalVariablesText(LocalParamsGrid->Rows(), m_dialect);
    definition.Body = SQLText->Text();
    definition.Dialect = m_dialect;
    if (!IsNew && m_layout.Known())
        definition.Source = m_asWord + m_layout.Text(LocalParamsGrid->Rows(), SQLText->Lines()->ToStringList(), m_dialect);
    return ::BuildTriggerText(definition);
}

TParamRows TEditTrig::Locals() const
{
    return LocalParamsGrid->Rows();
}

void TEditTrig::GatherDebugVars(TInOutVar& vars) const
{
    GatherTriggerDebugVars(vars, *Database(), TableList->currentText(), Locals());
}

void TEditTrig::DebugBtnClick()
{
    TInOutVar vars;
    GatherDebugVars(vars);
    TDebugRequest request;
    request.DBId = m_dbId;
    request.Mode = dmTrigger;
    request.ObjectName = TriggerName->text();
    request.TableName = TableList->currentText();
    request.ReadTableColumns = false;
    request.Vars = vars.Items();
    request.Lines = SQLText->Lines()->ToStringList();
    OpenDebugger(request);
}

// ---------------------------------------------------------------- saving

bool TEditTrig::OkBtnClick()
{
    if (m_readOnly) {
        qv::messageDlg(m_readOnlyReason, qv::mtError, qv::mbOK);
        return false;
    }
    const QString name = TriggerName->text();
    // A stored trigger keeps the name it has, whatever the dialect allows
    // to be typed.
    QString refusal;
    if (IsNew)
        refusal = NewNameRefusal(name, m_dialect, QStringLiteral(" is not valid trigger name"));
    else if (!QvSql::CanName(name, m_dialect))
        refusal = QLatin1Char('"') + name + QStringLiteral("\" is not valid trigger name");
    if (!refusal.isEmpty()) {
        qv::messageDlg(refusal, qv::mtError, qv::mbOK);
        TriggerName->setFocus();
        return false;
    }
    if (IsNew && (TableList->currentIndex() < 0 || !QvSql::CanName(TableList->currentText(), m_dialect))) {
        qv::messageDlg(QStringLiteral("Choose the table the trigger is for."), qv::mtError, qv::mbOK);
        TableList->setFocus();
        return false;
    }
    if (!CheckLocalList())
        return false;
    TQvDatabase* database = Database();
    if (!ExecuteDDL(*database, BuildTriggerText()))
        return false;
    if (IsNew) {
        // What the server stores for the name typed.
        const QString stored = QvSql::NameFromTyped(name, m_dialect);
        AddTreeNode(stored);
        IsNew = false;
        SetIdentity({m_dbId, catTriggers, stored});
    }
    // A successful save closes the window, once the save has finished.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return true;
}

bool TEditTrig::CheckLocalList()
{
    // Every name and type again: a cell still being edited was never left.
    return LocalParamsGrid->CheckEmptyCells() && LocalParamsGrid->CheckAllCells();
}

bool TEditTrig::ExecuteDDL(TQvDatabase& database, const QString& text)
{
    TOwnStatement statement(database);
    statement.query.SetSQLDialect(m_dialect);
    try {
        TQvTransactionScope scope(statement.transaction);
        statement.query.SetSQLText(text);
        statement.query.ExecQuery();
        scope.Commit();
    } catch (const std::exception& error) {
        // The window keeps everything typed.
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        return false;
    }
    return true;
}

void TEditTrig::AddTreeNode(const QString& name)
{
    if (!MainTree)
        return;
    if (QTreeWidgetItem* category = MainTree->CategoryNodeOf(m_dbId, catTriggers))
        TMainTree::AddObjectNode(category, name);
}

// ---------------------------------------------------------------- state

void TEditTrig::SetModified()
{
    if (m_loading || m_readOnly)
        return;
    MarkModified();
    m_panels[0]->setText(QStringLiteral("Modified"));
}

void TEditTrig::ShowCaretPos()
{
    m_panels[1]->setText(QStringLiteral("%1:%2").arg(SQLText->CaretY()).arg(SQLText->CaretX()));
}

QString TEditTrig::StatusPanel(int index) const
{
    return index >= 0 && index < 4 ? m_panels[index]->text() : QString();
}

void TEditTrig::ViewGenTextBtnClick()
{
    auto preview = std::make_unique<TProcPreview>(this);
    ProcPreview = preview.get();
    preview->Memo()->SetText(BuildTriggerText());
    qv::showModal(*preview);
}

// ---------------------------------------------------------------- keys

bool TEditTrig::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !IsFirstKeyDelivery(*this, *watched))
        return TBaseMDI::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        // The window's own Alt keys win over the labels' mnemonics.
        if (key->modifiers() == Qt::AltModifier) {
            static const QList<int> own{Qt::Key_P, Qt::Key_N, Qt::Key_T, Qt::Key_S, Qt::Key_A, Qt::Key_L};
            if (own.contains(key->key()))
                event->accept();
        }
        return false;
    }
    if (FormKeyDownTrig(key->key(), key->modifiers()))
        return true;
    if (QApplication::focusWidget() == SQLText && SQLTextKeyDown(key->key(), key->modifiers()))
        return true;
    return TBaseMDI::eventFilter(watched, event);
}

bool TEditTrig::FormKeyDownTrig(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers == Qt::NoModifier && key == Qt::Key_F9) {
        if (ViewGenTextBtn->isEnabled())
            ViewGenTextBtnClick();
        return true;
    }
    if (modifiers != Qt::AltModifier)
        return false;
    QWidget* target = nullptr;
    switch (key) {
    case Qt::Key_P: target = Position; break;
    case Qt::Key_N: target = TriggerName; break;
    case Qt::Key_T: target = TableList; break;
    case Qt::Key_S: target = StyleList; break;
    case Qt::Key_A: target = IsActive; break;
    case Qt::Key_L: target = LocalList; break;
    default: return false;
    }
    if (target->isEnabled())
        target->setFocus(Qt::ShortcutFocusReason);
    return true;
}

bool TEditTrig::SQLTextKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (BodyEditorKey(key, modifiers, *SQLText, *m_panels[2], [this] { ShowParamList(); }))
        return true;
    // The position shown is the one after the key took effect.
    QMetaObject::invokeMethod(this, &TEditTrig::ShowCaretPos, Qt::QueuedConnection);
    return false;
}

// ---------------------------------------------------------------- grid

void TEditTrig::AddbtnClick()
{
    if (!m_readOnly)
        LocalParamsGrid->AddRow();
}

void TEditTrig::RemoveBtnClick()
{
    RemoveRowAsked(LocalList->Row());
}

void TEditTrig::RemoveRowAsked(int row)
{
    if (m_readOnly)
        return;
    if (qv::messageDlg(QStringLiteral("Delete variable ?"), qv::mtWarning, qv::mbYesNo) != qv::mrYes)
        return;
    LocalParamsGrid->RemoveRow(row);
    SetModified();
}

void TEditTrig::SetDescriptionClick()
{
    if (m_readOnly)
        return;
    LocalParamsGrid->CommitEditor();
    TParamRows rows = LocalParamsGrid->Rows();
    if (!EditParamDescriptions(this, rows, QStringLiteral("Local variables descriptions")))
        return;
    LocalParamsGrid->SetRows(rows);
    SetModified();
}

// ---------------------------------------------------------------- F4

void TEditTrig::ShowParamList()
{
    if (m_readOnly)
        return;
    const QList<TPickEntry> entries = PickListEntries({}, {}, LocalParamsGrid->Rows());
    if (entries.isEmpty())
        return;
    TParamList list(this);
    list.Fill(entries);
    const QScreen* screen = SQLText->screen();
    const QFontMetrics metrics(list.font());
    list.setGeometry(ParamListGeometry(SQLText->mapToGlobal(QPoint(0, 0)), SQLText->TextOrigin(),
                                       SQLText->CharWidth(), SQLText->LineHeight(), SQLText->CaretX(),
                                       SQLText->CaretY(), SQLText->TopLine(), int(entries.size()),
                                       metrics.height() + 4, list.width(),
                                       screen ? screen->geometry() : QRect(0, 0, 1024, 768)));
    if (qv::showModal(list) != qv::mrOk)
        return;
    const QString name = list.CurrentName();
    if (name.isEmpty() || IsSeparatorEntry(name))
        return;
    // A caret beyond the end of its line gets the name at the line's end.
    TqeEditList* lines = SQLText->Lines();
    const int index = SQLText->CaretY() - 1;
    const QString text = lines->LineOrEmpty(index);
    const int column = std::min(SQLText->CaretX(), int(text.size()) + 1);
    while (lines->Count() <= index)
        lines->Add(QString());
    lines->Put(index, InsertNameAt(text, column, name, false));
    SQLText->SetCaretX(column + int(name.size()));
    SetModified();
}

// ---------------------------------------------------------------- opening

namespace {

void OpenTriggerEditor(const TObjectRef& ref, bool isNew)
{
    if (!MainForm)
        return;
    auto window = std::make_unique<TEditTrig>();
    window->IsNew = isNew;
    window->SetDatabaseEntry(ref.DBId);
    if (!isNew)
        window->SetTriggerName(ref.Name);
    window->LoadTrigger();
    TEditTrig* shown = window.release();
    MainForm->AddChild(shown);
    shown->show();
}

} // namespace

void InstallTriggerEditor()
{
    TObjectOpeners::Instance().SetNew(catTriggers, [](const TObjectRef& ref) { OpenTriggerEditor(ref, true); });
    TObjectOpeners::Instance().SetEdit(catTriggers, [](const TObjectRef& ref) { OpenTriggerEditor(ref, false); });
}
