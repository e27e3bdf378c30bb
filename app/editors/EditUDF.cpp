#include "app/editors/EditUDF.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/FormControls.h"
#include "app/editors/OwnStatement.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/ShellImages.h"
#include "components/TgGrid.h"
#include "platform/Dialogs.h"
#include "platform/db/DatabaseError.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace {

constexpr int kTypeColumn = 0;

QLineEdit* AddNameEdit(QFormLayout* form, const char* name, const QString& label)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    form->addRow(label, edit);
    return edit;
}

} // namespace

TEditUDF::TEditUDF(quint64 dbId, QWidget* parent)
    : TBaseMDI(parent)
    , m_dbId(dbId)
{
    setObjectName(QStringLiteral("EditUDF"));
    setWindowTitle(QStringLiteral("Create User-Defined Function"));
    setWindowIcon(TreeImageList().at(tiFunction));

    auto* body = new QWidget(this);
    auto* bodyLayout = new QVBoxLayout(body);
    auto* names = new QFormLayout;
    FuncName = AddNameEdit(names, "FuncName", QStringLiteral("Function Name:"));
    ModuleName = AddNameEdit(names, "ModuleName", QStringLiteral("Module Name:"));
    EntryName = AddNameEdit(names, "EntryName", QStringLiteral("Entry Point:"));
    bodyLayout->addLayout(names);

    InputGroup = new QGroupBox(QStringLiteral("Input Parameters:"), body);
    InputGroup->setObjectName(QStringLiteral("InputGroup"));
    auto* inputLayout = new QHBoxLayout(InputGroup);
    InputList = new TTypedGrid(InputGroup);
    InputList->setObjectName(QStringLiteral("InputList"));
    InputList->SetColCount(1);
    InputList->SetFixedCols(0);
    InputList->SetRowCount(2);
    InputList->SetOptions(InputList->Options() | goEditing);
    TtgColumn& type = InputList->GetColumn(kTypeColumn);
    type.SetName(QStringLiteral("ParameterType"));
    type.SetCaption(QStringLiteral("Parameter Type"));
    type.SetControlType(tgctlComboBox);
    type.SetItems(UDFTypeNames());
    type.SetDropDownCount(11);
    type.SetWidth(220);
    inputLayout->addWidget(InputList, 1);
    auto* buttons = new QVBoxLayout;
    AddBtn = new QPushButton(QStringLiteral("Add"), InputGroup);
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    RemoveBtn = new QPushButton(QStringLiteral("Remove"), InputGroup);
    RemoveBtn->setObjectName(QStringLiteral("RemoveBtn"));
    buttons->addWidget(AddBtn);
    buttons->addWidget(RemoveBtn);
    buttons->addStretch();
    inputLayout->addLayout(buttons);
    bodyLayout->addWidget(InputGroup, 1);

    OutputGroup = new QGroupBox(QStringLiteral("Output parameter:"), body);
    OutputGroup->setObjectName(QStringLiteral("OutputGroup"));
    auto* outputLayout = new QHBoxLayout(OutputGroup);
    PType = new QComboBox(OutputGroup);
    PType->setObjectName(QStringLiteral("PType"));
    PType->setEditable(true);
    PType->setInsertPolicy(QComboBox::NoInsert);
    PType->addItems(UDFTypeNames());
    PType->setCurrentIndex(-1);
    PType->setEditText(QString());
    PType->setMinimumWidth(160);
    outputLayout->addWidget(PType, 0, Qt::AlignTop);
    RetBy = new QGroupBox(QStringLiteral("Returns by:"), OutputGroup);
    RetBy->setObjectName(QStringLiteral("RetBy"));
    auto* retByLayout = new QVBoxLayout(RetBy);
    RetByValue = new QRadioButton(QStringLiteral("Value"), RetBy);
    RetByValue->setObjectName(QStringLiteral("RetByValue"));
    RetByReference = new QRadioButton(QStringLiteral("Reference"), RetBy);
    RetByReference->setObjectName(QStringLiteral("RetByReference"));
    retByLayout->addWidget(RetByValue);
    retByLayout->addWidget(RetByReference);
    RetByValue->setChecked(true);
    outputLayout->addWidget(RetBy);
    FreeIT = new QCheckBox(QStringLiteral("Free IT"), OutputGroup);
    FreeIT->setObjectName(QStringLiteral("FreeIT"));
    outputLayout->addWidget(FreeIT, 0, Qt::AlignTop);
    outputLayout->addStretch();
    bodyLayout->addWidget(OutputGroup);
    layout()->addWidget(body);

    FuncName->setMaxLength(NameEditMaxLength);
    KeepUpperCase(FuncName);
    connect(FuncName, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    connect(ModuleName, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    connect(EntryName, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    connect(PType, &QComboBox::editTextChanged, this, [this] {
        if (!m_loading)
            MarkModified();
    });
    connect(RetByValue, &QRadioButton::clicked, this, [this] { MarkModified(); });
    connect(RetByReference, &QRadioButton::clicked, this, [this] { MarkModified(); });
    connect(FreeIT, &QCheckBox::clicked, this, [this] { MarkModified(); });
    connect(AddBtn, &QPushButton::clicked, this, &TEditUDF::AddBtnClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TEditUDF::RemoveBtnClick);
    InputList->OnCellEdited = [this](QObject*, int, int) { MarkModified(); };
    InputList->OnComboSelection = [this](QObject*, int, int) { MarkModified(); };
    InputList->OnEnterCell = [this](QObject*, int, int row) { InputListEnterCell(row); };
    resize(520, 440);
}

TQvDatabase* TEditUDF::Database() const
{
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    return index < 0 ? nullptr : DBList->GetDatabase(index);
}

// ------------------------------------------------------------------ loading

void TEditUDF::LoadFunction(const QString& name)
{
    TQvDatabase* database = Database();
    if (!database || !database->Connected())
        DatabaseError(QStringLiteral("The database of function %1 is not connected.").arg(name));
    const TStoredUDF stored = ReadExternalFunction(*database, name);
    if (!stored.Found)
        DatabaseError(QStringLiteral("Function %1 does not exist.").arg(name));
    if (!stored.External)
        DatabaseError(QStringLiteral("%1 is a PSQL function, not an external function.").arg(name));

    m_loading = true;
    IsNew = false;
    FuncName->setText(name);
    FuncName->setReadOnly(true);
    ModuleName->setText(stored.ModuleName);
    EntryName->setText(stored.EntryPoint);
    InputList->SetRowCount(2);
    InputList->SetCells(kTypeColumn, 1, QString());
    for (const QString& argument : stored.Arguments) {
        if (!RowEmpty(InputList->RowCount() - 1))
            InputList->SetRowCount(InputList->RowCount() + 1);
        InputList->SetCells(kTypeColumn, InputList->RowCount() - 1, argument);
    }
    m_plainArguments = stored.PlainArguments;
    SetRetByIndex(ReturnMechanismIndex(stored.ReturnMechanism));
    FreeIT->setChecked(stored.ReturnMechanism < 0);
    PType->setCurrentIndex(ReturnTypeListIndex(UDFTypeNames(), stored.ReturnType));
    PType->setEditText(stored.ReturnType);
    m_loading = false;

    setWindowTitle(QStringLiteral("Edit User-Defined Function: ") + name);
    SetIdentity({m_dbId, catFunctions, name});
}

int TEditUDF::RetByIndex() const
{
    if (RetByValue->isChecked())
        return 0;
    return RetByReference->isChecked() ? 1 : -1;
}

void TEditUDF::SetRetByIndex(int index)
{
    // A mechanism the group has no button for checks none rather than a
    // button that would change the function when saved.
    RetByValue->setAutoExclusive(false);
    RetByReference->setAutoExclusive(false);
    RetByValue->setChecked(index == 0);
    RetByReference->setChecked(index == 1);
    RetByValue->setAutoExclusive(true);
    RetByReference->setAutoExclusive(true);
}

// ------------------------------------------------------------------ saving

TUDFDeclaration TEditUDF::Declaration() const
{
    TUDFDeclaration declaration;
    // A new function's name as the server keeps what was typed; a stored
    // one's as it is.
    TQvDatabase* database = Database();
    const int dialect = database && database->Connected() ? database->SQLDialect() : 3;
    declaration.Name = IsNew ? QvSql::NameFromTyped(FuncName->text(), dialect) : FuncName->text().trimmed();
    for (int row = 1; row < InputList->RowCount(); ++row) {
        const QString type = InputList->Cells(kTypeColumn, row).trimmed();
        // An empty row (the one Down leaves below the last) declares nothing.
        if (!type.isEmpty())
            declaration.Arguments << type;
    }
    declaration.ReturnType = PType->currentText().trimmed();
    declaration.ByValue = RetByIndex() == 0;
    declaration.FreeIt = FreeIT->isChecked();
    declaration.EntryPoint = EntryName->text().trimmed();
    declaration.ModuleName = ModuleName->text().trimmed();
    return declaration;
}

bool TEditUDF::CheckDeclaration(const TUDFDeclaration& declaration, int dialect) const
{
    // A stored function keeps the name it has, whatever the dialect allows to be typed.
    QString refusal;
    if (IsNew)
        refusal = NewNameRefusal(FuncName->text(), dialect, QStringLiteral(" is not valid function name"));
    else if (!QvSql::CanName(declaration.Name, dialect))
        refusal = QLatin1Char('"') + declaration.Name + QStringLiteral("\" is not valid function name");
    if (!refusal.isEmpty()) {
        qv::messageDlg(refusal, qv::mtError, qv::mbOK);
        return false;
    }
    QStringList types = declaration.Arguments;
    types << declaration.ReturnType;
    for (const QString& type : types) {
        if (!IsAcceptableTypeText(type)) {
            qv::messageDlg(QLatin1Char('"') + type + QStringLiteral("\"  is not valid Type"), qv::mtError,
                           qv::mbOK);
            return false;
        }
    }
    if (!m_plainArguments) {
        qv::messageDlg(QStringLiteral("Some arguments of %1 are passed by descriptor or with NULL, which this "
                                      "editor cannot declare; the function is left as it is.")
                           .arg(declaration.Name),
                       qv::mtError, qv::mbOK);
        return false;
    }
    if (RetByIndex() < 0) {
        qv::messageDlg(QStringLiteral("Choose how the function returns its value: by value or by reference."),
                       qv::mtError, qv::mbOK);
        return false;
    }
    return true;
}

bool TEditUDF::OkBtnClick()
{
    // A suggestion still showing in the cell editor is what the user sees.
    if (InputList->InplaceEditor() && InputList->InplaceEditor()->isVisible())
        InputList->HideEditor();
    TQvDatabase* database = Database();
    if (!database || !database->Connected()) {
        qv::messageDlg(QStringLiteral("The database is not connected."), qv::mtError, qv::mbOK);
        return false;
    }
    const int dialect = database->SQLDialect();
    const TUDFDeclaration declaration = Declaration();
    if (!CheckDeclaration(declaration, dialect))
        return false;

    TOwnStatement statement(*database);
    try {
        // The drop and the new declaration are committed together, or neither is.
        TQvTransactionScope scope(statement.transaction);
        if (!IsNew) {
            statement.query.SetSQLText(DropExternalFunctionText(declaration.Name, dialect));
            statement.query.ExecQuery();
        }
        statement.query.SetSQLText(DeclareExternalFunctionText(declaration, dialect));
        statement.query.ExecQuery();
        scope.Commit();
    } catch (const EDatabaseError& error) {
        qv::showMessage(error.Message());
        return false;
    }
    if (IsNew)
        AddTreeNode(declaration.Name);
    IsNew = false;
    FuncName->setText(declaration.Name);
    FuncName->setReadOnly(true);
    SetIdentity({m_dbId, catFunctions, declaration.Name});
    // Closed once the save has returned: the base still holds the window busy.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return true;
}

void TEditUDF::AddTreeNode(const QString& name) const
{
    if (!MainTree)
        return;
    QTreeWidgetItem* category = MainTree->CategoryNodeOf(m_dbId, catFunctions);
    // An unfilled category lists the new function when it is opened.
    if (category && TMainTree::NodeData(category))
        TMainTree::AddObjectNode(category, name);
}

// ------------------------------------------------------------------ parameter rows

int TEditUDF::ParameterRows() const
{
    return InputList->RowCount() - 1;
}

bool TEditUDF::RowEmpty(int row) const
{
    return InputList->Cells(kTypeColumn, row).trimmed().isEmpty();
}

void TEditUDF::AddBtnClick()
{
    const int last = InputList->RowCount() - 1;
    if (!RowEmpty(last))
        InputList->SetRowCount(last + 2);
    InputList->FocusCell(kTypeColumn, InputList->RowCount() - 1);
    InputList->setFocus();
}

void TEditUDF::RemoveBtnClick()
{
    const int row = InputList->Row();
    if (row < 1 || row >= InputList->RowCount())
        return;
    if (qv::messageDlg(QStringLiteral("Delete parameter  ?"), qv::mtWarning, qv::mbYesNo) != qv::mrYes)
        return;
    RemoveRow(row);
}

void TEditUDF::RemoveRow(int row)
{
    InputList->HideEditor();
    const int last = InputList->RowCount() - 1;
    if (!RowEmpty(row))
        MarkModified();
    for (int r = row; r < last; ++r)
        InputList->SetCells(kTypeColumn, r, InputList->Cells(kTypeColumn, r + 1));
    InputList->SetCells(kTypeColumn, last, QString());
    if (last > 1)
        InputList->SetRowCount(last);
    InputList->viewport()->update();
}

bool TEditUDF::InputListKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const int row = InputList->Row();
    const int last = InputList->RowCount() - 1;
    if (key == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        RemoveBtnClick();
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;
    if (key == Qt::Key_Down && row == last) {
        // The cell editor's text (and a suggestion it shows) counts as typed.
        InputList->HideEditor();
        if (!RowEmpty(row)) {
            InputList->SetRowCount(last + 2);
            InputList->FocusCell(kTypeColumn, last + 1);
        }
        return true;
    }
    if (key == Qt::Key_Up && RowEmpty(row)) {
        if (row == last && last > 1) {
            InputList->HideEditor();
            InputList->SetRowCount(last);
            InputList->FocusCell(kTypeColumn, last - 1);
            return true;
        }
        if (row < last && qv::messageDlg(QStringLiteral("Delete parameter  ?"), qv::mtWarning, qv::mbYesNo)
                              == qv::mrYes)
            RemoveRow(row);
    }
    return false;
}

void TEditUDF::InputListEnterCell(int row)
{
    const int last = InputList->RowCount() - 1;
    // Leaving an empty last row takes it away.
    if (row != last && last > 1 && RowEmpty(last))
        InputList->SetRowCount(last);
}

void TEditUDF::ReturnTypeEntered()
{
    if (!PType->currentText().isEmpty())
        return;
    PType->setCurrentIndex(0);
    PType->showPopup();
}

bool TEditUDF::eventFilter(QObject* watched, QEvent* event)
{
    if (!InputList || !PType) // still being made
        return TBaseMDI::eventFilter(watched, event);
    if (watched == PType && event->type() == QEvent::FocusIn) {
        ReturnTypeEntered();
        return false;
    }
    if (event->type() == QEvent::Show && watched == InputList->InplaceEditor()) {
        // Every typed character is a change, not only a cell left changed.
        connect(InputList->InplaceEditor(), &QLineEdit::textEdited, this, &TBaseMDI::MarkModified,
                Qt::UniqueConnection);
        return false;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // The first delivery only: the grid or its cell editor holding the focus.
        if (widget == QApplication::focusWidget() && (widget == InputList || InputList->isAncestorOf(widget))) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (InputListKeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return TBaseMDI::eventFilter(watched, event);
}

// ------------------------------------------------------------------ openers

namespace {

void ShowChild(TEditUDF* editor)
{
    if (MainForm)
        MainForm->AddChild(editor);
    editor->show();
}

} // namespace

TEditUDF* NewUDFClick(const TObjectRef& ref)
{
    auto* editor = new TEditUDF(ref.DBId);
    editor->SetIdentity({ref.DBId, catFunctions, QString()});
    ShowChild(editor);
    return editor;
}

TEditUDF* EditUDFClick(const TObjectRef& ref)
{
    if (QWidget* open = FindObjectWindow(ref.DBId, catFunctions, ref.Name)) {
        BringForward(open);
        return qobject_cast<TEditUDF*>(open);
    }
    auto editor = std::make_unique<TEditUDF>(ref.DBId);
    try {
        editor->LoadFunction(ref.Name);
    } catch (const EDatabaseError& error) {
        qv::showException(error.Message());
        return nullptr;
    }
    TEditUDF* window = editor.release();
    ShowChild(window);
    return window;
}

void InstallUDFEditor()
{
    TObjectOpeners& openers = TObjectOpeners::Instance();
    openers.SetNew(catFunctions, [](const TObjectRef& ref) { NewUDFClick(ref); });
    openers.SetEdit(catFunctions, [](const TObjectRef& ref) { EditUDFClick(ref); });
}
