#include "app/editors/EditProc.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/FormControls.h"
#include "app/editors/ObjectLinks.h"
#include "app/editors/OwnStatement.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/ParamGrid.h"
#include "app/editors/ParamList.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/CatalogTypes.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/Options.h"
#include "app/shell/ProcPreview.h"
#include "app/shell/ShellImages.h"
#include "components/FormPlacement.h"
#include "components/StrUtils.h"
#include "components/TgGrid.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "editor/qeKeyMap.h"
#include "platform/Dialogs.h"
#include "platform/db/DatabaseError.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

std::function<void(TEditProc&, const TProcDebugData&)>& TEditProc::DebuggerOpener()
{
    static std::function<void(TEditProc&, const TProcDebugData&)> opener;
    return opener;
}

TEditProc::TEditProc(quint64 dbId, QWidget* parent)
    : TBaseMDI(parent)
    , m_dbId(dbId)
{
    setObjectName(QStringLiteral("EditProc"));
    setWindowTitle(QStringLiteral("Create/Edit stored procedure"));
    resize(640, 560);

    // The base's tool bar carries the window's commands.
    OkBtn->setText(QStringLiteral("Save Changes (F2)"));
    disconnect(OkBtn, &QAction::triggered, nullptr, nullptr);
    connect(OkBtn, &QAction::triggered, this, &TEditProc::SaveAndClose);
    ToolBar1->removeAction(CancelBtn);
    CompileBtn = ToolBar1->addAction(CommandIcon(ciSave), QStringLiteral("Compile"));
    CompileBtn->setObjectName(QStringLiteral("CompileBtn"));
    connect(CompileBtn, &QAction::triggered, this, &TEditProc::CompileBtnClick);
    ToolBar1->addAction(CancelBtn);
    ViewGenTextBtn = ToolBar1->addAction(QStringLiteral("View text (F9)"));
    ViewGenTextBtn->setObjectName(QStringLiteral("ViewGenTextBtn"));
    connect(ViewGenTextBtn, &QAction::triggered, this, &TEditProc::ViewGenTextBtnClick);
    DebugProcBtn = ToolBar1->addAction(QStringLiteral("Debug procedure"));
    DebugProcBtn->setObjectName(QStringLiteral("DebugProcBtn"));
    DebugProcBtn->setEnabled(bool(DebuggerOpener()));
    connect(DebugProcBtn, &QAction::triggered, this, &TEditProc::DebugProcBtnClick);

    auto* content = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(4, 4, 4, 0);
    layout()->addWidget(content);

    auto* nameRow = new QHBoxLayout;
    ProcNameLabel = new QLabel(QStringLiteral("&Procedure name:"), content);
    ProcName = new QLineEdit(content);
    ProcName->setObjectName(QStringLiteral("ProcName"));
    ProcName->setMaxLength(NameEditMaxLength);
    ProcNameLabel->setBuddy(ProcName);
    KeepUpperCase(ProcName);
    connect(ProcName, &QLineEdit::textEdited, this, [this] { SetModified(); });
    nameRow->addWidget(ProcNameLabel);
    nameRow->addWidget(ProcName, 1);
    contentLayout->addLayout(nameRow);

    auto* split = new QSplitter(Qt::Vertical, content);
    split->setObjectName(QStringLiteral("Splitter1"));
    contentLayout->addWidget(split, 1);
    auto* grids = new QWidget(split);
    auto* gridsLayout = new QHBoxLayout(grids);
    gridsLayout->setContentsMargins(0, 0, 0, 0);
    gridsLayout->addWidget(CreateGridBox(QStringLiteral("&Input parameters"), InputList, Inputs,
                                         QStringLiteral("input parameter"), AddVarBtn1, RemoveVarBtn1, ParamDescr1,
                                         InputBox));
    gridsLayout->addWidget(CreateGridBox(QStringLiteral("&Output parameters"), OutputList, Outputs,
                                         QStringLiteral("output parameter"), AddVarBtn2, RemoveVarBtn2, ParamDescr2,
                                         OutputBox));
    gridsLayout->addWidget(CreateGridBox(QStringLiteral("&Local variables"), LocalList, Locals,
                                         QStringLiteral("local variable"), AddVarBtn3, RemoveVarBtn3, ParamDescr3,
                                         LocalBox));
    InputList->setObjectName(QStringLiteral("InputList"));
    OutputList->setObjectName(QStringLiteral("OutputList"));
    LocalList->setObjectName(QStringLiteral("LocalList"));
    ParamDescr1->setToolTip(QStringLiteral("Edit input parameters description"));
    ParamDescr2->setToolTip(QStringLiteral("Edit output parameters description"));
    ParamDescr3->setToolTip(QStringLiteral("Edit local variables description"));
    const QList<TParamGrid*> group{Inputs, Outputs, Locals};
    for (TParamGrid* grid : group)
        grid->SetGroup(group);

    auto* bodyPart = new QWidget(split);
    CreateBody(bodyPart);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({150, 350});

    Status = new QStatusBar(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setSizeGripEnabled(false);
    const int widths[] = {70, 70, 70, 0};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(Status);
        if (widths[i] > 0)
            m_panels[i]->setMinimumWidth(widths[i]);
        Status->addWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    m_panels[1]->setText(QStringLiteral("1:1"));
    m_panels[2]->setText(QStringLiteral("Insert"));
    layout()->addWidget(Status);

    FormPlacement1 = new TFormPlacement(this);
    FormPlacement1->setObjectName(QStringLiteral("FormPlacement1"));
    FormPlacement1->SetIniFileName(kFormPlacementsKey);

    TypeMenu = new QMenu(this);
    TypeMenu->setObjectName(QStringLiteral("TypeMenu"));
    for (const QString& type : ParamTypeItems(true, Dialect()))
        TypeMenu->addAction(QLatin1Char('&') + type);
}

// The base watches the application's keys for the window (FormKeyDown).
TEditProc::~TEditProc() = default;

QWidget* TEditProc::CreateGridBox(const QString& title, TTypedGrid*& grid, TParamGrid*& params, const QString& what,
                                  QAction*& add, QAction*& remove, QAction*& describe, QWidget*& box)
{
    // A caption over a framed panel, and a row of tool buttons: the look of
    // a group box holding a tool bar at a fraction of the cost, as the style
    // paints a group box's frame from a scaled picture and every tool bar
    // loads the icons of its extension button.
    box = new QWidget(this);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->setSpacing(1);
    auto* caption = new QLabel(title, box);
    boxLayout->addWidget(caption);
    auto* frame = new QFrame(box);
    frame->setFrameShape(QFrame::StyledPanel);
    boxLayout->addWidget(frame);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    frameLayout->setSpacing(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    const auto button = [&](const QString& text) {
        auto* action = new QAction(text, box);
        auto* tool = new QToolButton(frame);
        tool->setAutoRaise(true);
        tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tool->setDefaultAction(action);
        buttons->addWidget(tool);
        return action;
    };
    add = button(QStringLiteral("Add"));
    add->setToolTip(QStringLiteral("Add ") + what);
    remove = button(QStringLiteral("Remove"));
    remove->setToolTip(QStringLiteral("Remove ") + what);
    describe = button(QStringLiteral("More..."));
    describe->setIconText(describe->text()); // a tool button would drop the dots
    buttons->addStretch();
    frameLayout->addLayout(buttons);
    grid = new TTypedGrid(frame);
    grid->SetDefaultRowHeight(20);
    frameLayout->addWidget(grid);
    caption->setBuddy(grid);
    box->setFocusProxy(grid);
    params = new TParamGrid(grid, QStringLiteral("Parameter name"), ParamTypeItems(false, Dialect()), 9, this);
    params->SetDialect(Dialect());
    // Both columns fit a grid of the window's first size: no scroll bar for
    // a few pixels' overhang.
    grid->GetColumn(ParamNameCol).SetWidth(86);
    grid->GetColumn(ParamTypeCol).SetWidth(96);
    TParamGrid* target = params;
    params->OnModified = [this] { SetModified(); };
    params->OnRemoveRequest = [this, target](int row) { RemoveRequest(target, row); };
    connect(add, &QAction::triggered, this, [this, target] { AddVarBtnClick(target); });
    connect(remove, &QAction::triggered, this, [this, target] { RemoveVarBtnClick(target); });
    connect(describe, &QAction::triggered, this, [this, target] { ParamDescrClick(target); });
    return box;
}

void TEditProc::CreateBody(QWidget* parent)
{
    auto* bodyLayout = new QVBoxLayout(parent);
    bodyLayout->setContentsMargins(0, 2, 0, 0);
    auto* labels = new QHBoxLayout;
    labels->addWidget(new QLabel(QStringLiteral("Procedure body:"), parent));
    labels->addWidget(new QLabel(QStringLiteral("(Use F4 to paste parameter into text)"), parent));
    labels->addStretch();
    bodyLayout->addLayout(labels);

    Syntax = NewSQLSyntax(this, TDM::SQLKeywords());
    SQLText = new TqeCustomEdit(parent);
    SQLText->setObjectName(QStringLiteral("SQLText"));
    SQLText->SetHighLighter(Syntax);
    SQLText->SetGutterWidth(30);
    SQLText->SetMaxUndo(50);
    SQLText->SetWantTabs(true);
    SQLText->OnHyperLinkClick = [this](TqeCustomEdit*, const QString& word) { ShowLinkedObject(m_dbId, word); };
    // Any change of the text, typed, pasted, deleted or inserted from F4.
    SQLText->OnChange = [this](TqeCustomEdit*) { SetModified(); };
    SQLText->OnKeyDown = [this](TqeCustomEdit*, std::uint16_t& key, TShiftState shift) {
        Qt::KeyboardModifiers modifiers;
        if (shift.testFlag(ssShift))
            modifiers |= Qt::ShiftModifier;
        if (shift.testFlag(ssCtrl))
            modifiers |= Qt::ControlModifier;
        if (shift.testFlag(ssAlt))
            modifiers |= Qt::AltModifier;
        const int qtKey = key == vk::Insert ? int(Qt::Key_Insert) : key == vk::F1 + 3 ? int(Qt::Key_F4) : 0;
        if (qtKey != 0 && SQLTextKeyDown(qtKey, modifiers)) {
            key = 0;
            return;
        }
        // The caret position after the key took effect.
        QMetaObject::invokeMethod(this, &TEditProc::ShowCaretPos, Qt::QueuedConnection);
    };
    bodyLayout->addWidget(SQLText, 1);
}

// ---------------------------------------------------------------- state

int TEditProc::DBNumber() const
{
    return DBList ? DBList->IndexOfId(m_dbId) + 1 : 0;
}

TQvDatabase* TEditProc::Database() const
{
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    return index >= 0 ? DBList->GetDatabase(index) : nullptr;
}

int TEditProc::Dialect() const
{
    TQvDatabase* database = Database();
    return database && database->Connected() ? database->SQLDialect() : 3;
}

void TEditProc::SetModified()
{
    MarkModified();
    UpdateModifiedPanel();
}

void TEditProc::UpdateModifiedPanel()
{
    m_panels[0]->setText(Modified() ? QStringLiteral("Modified") : QString());
}

void TEditProc::ShowCaretPos()
{
    m_panels[1]->setText(QStringLiteral("%1:%2").arg(SQLText->CaretY()).arg(SQLText->CaretX()));
}

QString TEditProc::StatusPanel(int panel) const
{
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

QStringList TEditProc::BodyLines() const
{
    return SQLText->Lines()->ToStringList();
}

void TEditProc::showEvent(QShowEvent* event)
{
    TBaseMDI::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Loading changes nothing the user made.
    OkBtn->setEnabled(Modified());
    UpdateModifiedPanel();
}

// ---------------------------------------------------------------- loading

void TEditProc::LoadProcedure()
{
    const QString name = ProcName->text();
    if (IsNew) {
        setWindowTitle(QStringLiteral("Create procedure"));
        ProcName->setFocus();
        SQLText->ClearAll();
    } else {
        setWindowTitle(QStringLiteral("Edit procedure: ") + name);
        ProcName->setReadOnly(true);
        SQLText->setFocus();
        TQvDatabase* database = Database();
        if (!database || !database->Connected())
            throw EDatabaseError(QStringLiteral("Database is not connected"));
        TOwnStatement work(*database, true);
        TQvTransactionScope scope(work.transaction);
        LoadSource(work.query, name);
        LoadParameters(work.query, name);
        scope.Commit();
    }
    SetIdentity({m_dbId, catProcedures, IsNew ? QString() : name});
    ApplyEditorOptions(SQLText, Syntax);
    SetObjectLinkWords(Syntax, m_dbId);
}

void TEditProc::LoadSource(TQvQuery& query, const QString& name)
{
    QString source;
    {
        const TCatalogQuery select(query, query.Database(),
                                   QStringLiteral("select rdb$procedure_source from rdb$procedures"
                                                  " where rdb$procedure_name=")
                                       + QvSql::SingleQuoted(name)
                                       + QStringLiteral(" and rdb$package_name is null"));
        if (!select.Eof())
            source = select.Text(QStringLiteral("rdb$procedure_source"));
    }
    m_layout = TSourceLayout::Read(source, true);
    if (m_layout.Known()) {
        Locals->SetRows(m_layout.Locals());
        SQLText->SetLines(m_layout.Body());
        return;
    }
    const TSourceParts parts = SplitSource(source);
    Locals->SetRows(ParseLocalVariables(parts.Header));
    SQLText->SetLines(BodyText(parts.Body, true));
}

QString ProcedureParametersSelect(const QString& name)
{
    return QStringLiteral("select a.rdb$parameter_name, a.rdb$parameter_type, a.rdb$description, %1"
                          " from rdb$procedure_parameters a join rdb$fields b on a.rdb$field_source = b.rdb$field_name"
                          " where a.rdb$procedure_name = %2 and a.rdb$package_name is null"
                          " order by a.rdb$parameter_type, a.rdb$parameter_number")
        .arg(TypeFactColumns(QStringLiteral("b"), QStringLiteral("a.rdb$collation_id")), QvSql::SingleQuoted(name));
}

void TEditProc::LoadParameters(TQvQuery& query, const QString& name)
{
    const int dialect = query.Database()->SQLDialect();
    TParamRows inputs;
    TParamRows outputs;
    {
        TCatalogQuery select(query, query.Database(),
                             ProcedureParametersSelect(name));
        const TTypeFactReader types(select);
        const int nameCol = select.Column(QStringLiteral("rdb$parameter_name"));
        const int kindCol = select.Column(QStringLiteral("rdb$parameter_type"));
        const int descriptionCol = select.Column(QStringLiteral("rdb$description"));
        for (; !select.Eof(); select.Next()) {
            TParamRow row;
            row.Name = QvSql::TypedName(select.Name(nameCol), dialect);
            row.Type = QvTypes::TypeText(types.Read(select), dialect,
                                         QStringLiteral("Parameter %1 of procedure %2").arg(select.Name(nameCol), name));
            row.Description = StrTrimTrailingSpaces(select.Text(descriptionCol));
            (select.Integer(kindCol) == 0 ? inputs : outputs) << row;
        }
    }
    Inputs->SetRows(inputs);
    Outputs->SetRows(outputs);
}

// ---------------------------------------------------------------- the text

QString TEditProc::GenerateProcText() const
{
    return ProcedureText(TypedName(), Inputs->Rows(), Outputs->Rows(), Locals->Rows(), BodyLines(), Dialect(),
                         IsNew ? TSourceLayout() : m_layout);
}

QString TEditProc::TypedName() const
{
    return IsNew ? ProcName->text() : QvSql::TypedName(ProcName->text(), Dialect());
}

bool TEditProc::CheckParams()
{
    for (TParamGrid* grid : {Inputs, Outputs, Locals}) {
        if (!grid->CheckEmptyCells())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- saving

bool TEditProc::OkBtnClick()
{
    return SaveProcedure();
}

bool TEditProc::SaveProcedure()
{
    const QString name = ProcName->text();
    // An existing procedure's name came from the database and stands as it is.
    if (IsNew) {
        const QString refusal = NewNameRefusal(name, Dialect(), QStringLiteral(" is not valid procedure name"));
        if (!refusal.isEmpty()) {
            qv::messageDlg(refusal, qv::mtError, qv::mbOK);
            ProcName->setFocus();
            return false;
        }
    }
    if (!CheckParams())
        return false;
    // Every name and type, also one still being typed into a cell.
    for (TParamGrid* grid : {Inputs, Outputs, Locals}) {
        if (!grid->CheckAllCells())
            return false;
    }
    if (!Modified())
        return false;

    TQvDatabase* database = Database();
    if (!database || !database->Connected()) {
        qv::messageDlg(QStringLiteral("Database is not connected"), qv::mtError, qv::mbOK);
        return false;
    }
    const QString createText = GenerateProcText();
    const QString text = IsNew ? createText : AlterText(createText);
    try {
        TOwnStatement work(*database);
        TQvTransactionScope scope(work.transaction);
        work.query.SetSQLText(text);
        work.query.ExecQuery();
        work.query.Close();
        scope.Commit();
    } catch (const std::exception& error) {
        const QString message = ErrorText(error);
        qv::messageDlg(message, qv::mtError, qv::mbOK);
        const QPoint caret = BodyCaretForError(message, text, BodyLines());
        if (!caret.isNull()) {
            SQLText->setFocus();
            SQLText->SetCaretXY(caret);
            ShowCaretPos();
        }
        return false;
    }
    WriteDescriptions(database);

    if (IsNew) {
        IsNew = false;
        ProcName->setReadOnly(true);
        ProcName->setText(QvSql::NameFromTyped(name, database->SQLDialect()));
        SetIdentity({m_dbId, catProcedures, ProcName->text()});
        if (MainTree) {
            QTreeWidgetItem* category = MainTree->CategoryNodeOf(m_dbId, catProcedures);
            // An unfilled category lists the new procedure when it is filled.
            if (category && TMainTree::NodeData(category))
                TMainTree::AddObjectNode(category, ProcName->text());
        }
    }
    // The base clears Modified on success; the panel follows.
    QMetaObject::invokeMethod(this, &TEditProc::UpdateModifiedPanel, Qt::QueuedConnection);
    return true;
}

void TEditProc::WriteDescriptions(TQvDatabase* database)
{
    const int dialect = database->SQLDialect();
    // The names as the saved text made them, whatever way they were typed.
    const auto stored = [dialect](const QString& name) { return QvSql::NameFromTyped(name, dialect); };
    const QString procName = stored(TypedName());
    for (const TParamGrid* grid : {Inputs, Outputs}) {
        for (const TParamRow& row : grid->Rows()) {
            if (row.Name.isEmpty() || row.Description.isEmpty())
                continue;
            try {
                TOwnStatement work(*database);
                TQvTransactionScope scope(work.transaction);
                work.query.SetSQLText(
                    QvSql::CommentOn(QStringLiteral("PARAMETER"), stored(row.Name), row.Description, dialect, procName));
                work.query.ExecQuery();
                scope.Commit();
            } catch (const std::exception& error) {
                qv::messageDlg(QStringLiteral("Error set parameter description:\r\n") + ErrorText(error),
                               qv::mtError, qv::mbOK);
            }
        }
    }
}

void TEditProc::SaveAndClose()
{
    if (SaveChanges())
        close();
    UpdateModifiedPanel();
}

void TEditProc::CompileBtnClick()
{
    SaveChanges();
    UpdateModifiedPanel();
}

// ---------------------------------------------------------------- commands

void TEditProc::ViewGenTextBtnClick()
{
    TProcPreview preview(this);
    preview.Memo()->SetText(GenerateProcText());
    qv::showModal(preview);
}

TProcDebugData TEditProc::DebugData() const
{
    TProcDebugData data;
    data.DBId = m_dbId;
    data.DBNumber = DBNumber();
    data.ObjectName = ProcName->text();
    const TParamGrid* grids[] = {Inputs, Outputs, Locals};
    for (int kind = 0; kind < 3; ++kind) {
        for (const TParamRow& row : grids[kind]->NamedRows()) {
            const QString name = row.Name.trimmed();
            data.Vars << TProcDebugVar{name, row.Type, kind};
            data.HintVars << name;
        }
    }
    data.Lines = BodyLines();
    return data;
}

void TEditProc::DebugProcBtnClick()
{
    if (QWidget* open = FindObjectWindow(m_dbId, wkDebugger, ProcName->text())) {
        BringForward(open);
        return;
    }
    if (DebuggerOpener())
        DebuggerOpener()(*this, DebugData());
}

QString TEditProc::GridWord(const TParamGrid* grid) const
{
    return grid == Inputs ? QStringLiteral("INPUT") : grid == Outputs ? QStringLiteral("OUTPUT") : QStringLiteral("LOCAL");
}

void TEditProc::AddVarBtnClick(TParamGrid* grid)
{
    grid->AddRow();
}

void TEditProc::RemoveRequest(TParamGrid* grid, int row)
{
    const QString name = grid->Row(row).Name;
    if (qv::messageDlg(QStringLiteral("Do you want to delete ") + GridWord(grid) + QStringLiteral(" variable \"") + name
                           + QStringLiteral("\" ?"),
                       qv::mtWarning, qv::mbYesNo)
        != qv::mrYes)
        return;
    grid->RemoveRow(row);
}

void TEditProc::RemoveVarBtnClick(TParamGrid* grid)
{
    RemoveRequest(grid, grid->Grid()->Row());
}

void TEditProc::ParamDescrClick(TParamGrid* grid)
{
    grid->CommitEditor();
    TParamRows rows = grid->Rows();
    if (!EditParamDescriptions(this, rows, grid == Locals ? QStringLiteral("Local variables descriptions") : QString()))
        return;
    for (int i = 0; i < rows.size(); ++i)
        grid->SetRow(i + 1, rows.at(i));
    SetModified();
}

void TEditProc::ShowParamList()
{
    const QList<TPickEntry> entries = PickListEntries(Inputs->Rows(), Outputs->Rows(), Locals->Rows());
    if (entries.isEmpty())
        return;
    TParamList list(this);
    list.Fill(entries);
    const QFontMetrics metrics(list.DBGrid1->font());
    const QScreen* screen = SQLText->screen();
    const QRect geometry = ParamListGeometry(
        SQLText->mapToGlobal(QPoint(0, 0)), SQLText->TextOrigin(), SQLText->CharWidth(), SQLText->LineHeight(),
        SQLText->CaretX() - SQLText->LeftChar(), SQLText->CaretY(), SQLText->TopLine(), int(entries.size()),
        metrics.height() + 4, 40 * metrics.horizontalAdvance(u'A'),
        screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
    list.setGeometry(geometry);
    if (qv::showModal(list) != qv::mrOk)
        return;
    const QString name = list.CurrentName();
    const int line = SQLText->CaretY();
    const int column = SQLText->CaretX();
    QStringList lines = BodyLines();
    while (lines.size() < line)
        lines << QString();
    lines[line - 1] = InsertNameAt(lines.at(line - 1), column, name, true);
    SQLText->BeginUpdate();
    SQLText->SetBlockBegin(QPoint(1, line));
    SQLText->SetBlockEnd(QPoint(SQLText->Lines()->Count() >= line ? SQLText->Lines()->Strings(line - 1).size() + 1 : 1,
                                line));
    SQLText->SetSelText(lines.at(line - 1));
    SQLText->EndUpdate();
    SQLText->SetCaretXY(QPoint(column + int(name.size()), line));
    SetModified();
    ShowCaretPos();
}

bool TEditProc::SQLTextKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (BodyEditorKey(key, modifiers, *SQLText, *m_panels[2], [this] { ShowParamList(); }))
        return true;
    return false;
}

bool TEditProc::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers shifts = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (shifts == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_F2:
            SaveAndClose();
            return true;
        case Qt::Key_F9:
            ViewGenTextBtnClick();
            return true;
        default:
            return TBaseMDI::FormKeyDown(key, modifiers);
        }
    }
    if (shifts == Qt::AltModifier) {
        QWidget* target = key == Qt::Key_P   ? static_cast<QWidget*>(ProcName)
                          : key == Qt::Key_I ? static_cast<QWidget*>(InputList)
                          : key == Qt::Key_O ? static_cast<QWidget*>(OutputList)
                          : key == Qt::Key_L ? static_cast<QWidget*>(LocalList)
                                             : nullptr;
        if (target) {
            target->setFocus();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- opening

TEditProc* OpenProcEditor(const TObjectRef& ref, bool isNew)
{
    if (!isNew) {
        if (QWidget* open = FindObjectWindow(ref.DBId, catProcedures, ref.Name)) {
            BringForward(open);
            return qobject_cast<TEditProc*>(open);
        }
    }
    auto* editor = new TEditProc(ref.DBId);
    editor->IsNew = isNew;
    if (!isNew)
        editor->ProcName->setText(ref.Name);
    try {
        editor->LoadProcedure();
    } catch (...) {
        delete editor;
        throw;
    }
    if (MainForm)
        MainForm->AddChild(editor);
    editor->show();
    return editor;
}

void InstallProcEditor()
{
    TObjectOpeners::Instance().SetNew(catProcedures, [](const TObjectRef& ref) { OpenProcEditor(ref, true); });
    TObjectOpeners::Instance().SetEdit(catProcedures, [](const TObjectRef& ref) { OpenProcEditor(ref, false); });
}
