#include "app/editors/ConstraintDialogs.h"

#include "access/Qv.h"
#include "access/QvSqlText.h"
#include "app/editors/FormControls.h"
#include "app/editors/TableCatalog.h"
#include "app/shell/MyConst.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QListWidget* MakeList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    return list;
}

void SelectRule(QComboBox* box, const QString& rule)
{
    const int index = box->findText(rule);
    box->setCurrentIndex(index < 0 ? 0 : index);
}

} // namespace

// ---------------------------------------------------------------- TFieldPicker

TFieldPicker::TFieldPicker(QListWidget* columns, QListWidget* chosen, QPushButton* up, QPushButton* down)
    : QObject(columns)
    , m_columns(columns)
    , m_chosen(chosen)
{
    connect(columns, &QListWidget::itemChanged, this, [this] { ItemChanged(); });
    connect(up, &QPushButton::clicked, this, [this] { MoveUp(); });
    connect(down, &QPushButton::clicked, this, [this] { MoveDown(); });
}

void TFieldPicker::SetColumns(const QStringList& columns)
{
    const QSignalBlocker blocker(m_columns);
    m_columns->clear();
    m_chosen->clear();
    for (const QString& name : columns) {
        auto* item = new QListWidgetItem(name, m_columns);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TFieldPicker::Choose(const QStringList& columns)
{
    for (const QString& name : columns) {
        const QList<QListWidgetItem*> found = m_columns->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty())
            found.front()->setCheckState(Qt::Checked);
    }
}

QStringList TFieldPicker::Chosen() const
{
    QStringList names;
    for (int i = 0; i < m_chosen->count(); ++i)
        names << m_chosen->item(i)->text();
    return names;
}

void TFieldPicker::ItemChanged()
{
    // Checking appends, unchecking removes: the chosen list keeps checking order.
    for (int i = 0; i < m_columns->count(); ++i) {
        const QListWidgetItem* item = m_columns->item(i);
        const bool listed = !m_chosen->findItems(item->text(), Qt::MatchExactly).isEmpty();
        if (item->checkState() == Qt::Checked && !listed)
            m_chosen->addItem(item->text());
        else if (item->checkState() != Qt::Checked && listed)
            delete m_chosen->findItems(item->text(), Qt::MatchExactly).front();
    }
}

void TFieldPicker::MoveUp()
{
    Move(-1);
}

void TFieldPicker::MoveDown()
{
    Move(1);
}

void TFieldPicker::Move(int by)
{
    const int row = m_chosen->currentRow();
    const int target = row + by;
    if (row < 0 || target < 0 || target >= m_chosen->count())
        return;
    QListWidgetItem* item = m_chosen->takeItem(row);
    m_chosen->insertItem(target, item);
    m_chosen->setCurrentRow(target);
}

// ----------------------------------------------------------- TConstraintDialog

TConstraintDialog::TConstraintDialog(QWidget* parent)
    : QDialog(parent)
{
    OkBtn = MakeButton(this, QStringLiteral("OkBtn"), QStringLiteral("OK"));
    CancelBtn = MakeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    // Enter in the name is OK, not the picker's Up that follows it.
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString TConstraintDialog::ItemName() const
{
    return QvSql::NameFromTyped(NameEdit()->text(), Dialect);
}

void TConstraintDialog::ShowItemName(const QString& stored)
{
    NameEdit()->setText(QvSql::TypedName(stored, Dialect));
}

QLineEdit* TConstraintDialog::MakeNameEdit(const QString& objectName)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setMaxLength(NameEditMaxLength);
    KeepUpperCase(edit);
    return edit;
}

QHBoxLayout* TConstraintDialog::ButtonRow() const
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    return buttons;
}

void TConstraintDialog::SetHelpTopic(const QString& topic)
{
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [topic] { qv::showHelpTopic(topic); });
}

void TConstraintDialog::OkBtnClick()
{
    const QString refusal = Refusal();
    if (!refusal.isEmpty()) {
        qv::messageDlg(refusal, qv::mtError, qv::mbOK);
        NameEdit()->setFocus();
        return;
    }
    accept();
}

void TConstraintDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // OK and Cancel come first in the focus chain: they are made before
    // each dialog's own controls.
    if (!event->spontaneous())
        NameEdit()->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------- TColumnsConstraintDialog

void TColumnsConstraintDialog::MakePicker(QListWidget* columns, QListWidget* chosen)
{
    UpBtn = MakeButton(this, QStringLiteral("UpBtn"), QStringLiteral("Up"), QStringLiteral("Move field UP"));
    DownBtn = MakeButton(this, QStringLiteral("DownBtn"), QStringLiteral("Down"), QStringLiteral("Move field DOWN"));
    Picker = new TFieldPicker(columns, chosen, UpBtn, DownBtn);
}

QHBoxLayout* TColumnsConstraintDialog::PickerRow(QListWidget* columns, QListWidget* chosen) const
{
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(UpBtn);
    moves->addWidget(DownBtn);
    moves->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(columns);
    row->addLayout(moves);
    row->addWidget(chosen);
    return row;
}

// ----------------------------------------------------------------------- TNewFK

TNewFK::TNewFK(const QStringList& tableColumns, TTableCatalog* catalog, QWidget* parent)
    : TColumnsConstraintDialog(parent)
    , m_tableColumns(tableColumns)
    , m_catalog(catalog)
{
    setObjectName(QStringLiteral("TNewFK"));
    setWindowTitle(QStringLiteral("Create Foreign Key"));
    FKName = MakeNameEdit(QStringLiteral("FKName"));
    TableFields = MakeList(this, QStringLiteral("TableFields"));
    FKFields = MakeList(this, QStringLiteral("FKFields"));
    MakePicker(TableFields, FKFields);
    RefTables = new QComboBox(this);
    RefTables->setObjectName(QStringLiteral("RefTables"));
    RefPKName = new QLineEdit(this);
    RefPKName->setObjectName(QStringLiteral("RefPKName"));
    RefPKName->setReadOnly(true);
    RefPKFields = MakeList(this, QStringLiteral("RefPKFields"));
    OnDelAction = new QComboBox(this);
    OnDelAction->setObjectName(QStringLiteral("OnDelAction"));
    OnDelAction->addItems(ForeignKeyRules());
    OnUpdateAction = new QComboBox(this);
    OnUpdateAction->setObjectName(QStringLiteral("OnUpdateAction"));
    OnUpdateAction->addItems(ForeignKeyRules());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Foreign Key Name:"), FKName);
    auto* reference = new QGroupBox(QStringLiteral("Referenced Table"), this);
    auto* referenceForm = new QFormLayout(reference);
    referenceForm->addRow(QStringLiteral("Table:"), RefTables);
    referenceForm->addRow(QStringLiteral("Primary Key:"), RefPKName);
    referenceForm->addRow(QStringLiteral("Fields:"), RefPKFields);
    referenceForm->addRow(QStringLiteral("On Delete:"), OnDelAction);
    referenceForm->addRow(QStringLiteral("On Update:"), OnUpdateAction);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* body = new QHBoxLayout;
    body->addLayout(PickerRow(TableFields, FKFields), 2);
    body->addWidget(reference, 1);
    layout->addLayout(body);
    layout->addLayout(ButtonRow());

    connect(RefTables, &QComboBox::activated, this, [this] { RefTablesChange(); });
    SetHelpTopic(QStringLiteral("create_fk"));
}

bool TNewFK::FormShow()
{
    if (Filled)
        return true;
    Picker->SetColumns(m_tableColumns);
    SelectRule(OnDelAction, QStringLiteral("NO ACTION"));
    SelectRule(OnUpdateAction, QStringLiteral("NO ACTION"));
    try {
        const QSignalBlocker blocker(RefTables);
        RefTables->clear();
        RefTables->addItems(m_catalog->TablesWithPrimaryKey());
        RefTables->setCurrentIndex(-1);
    } catch (const EDatabaseError& error) {
        qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        return false;
    }
    return true;
}

void TNewFK::LoadItem(const TConstraintItem& item)
{
    FormShow();
    Filled = true;
    ShowItemName(item.Caption);
    RefTables->setCurrentIndex(RefTables->findText(item.SubItems.value(0)));
    if (RefTables->currentIndex() < 0 && !item.SubItems.value(0).isEmpty()) {
        RefTables->addItem(item.SubItems.value(0));
        RefTables->setCurrentIndex(RefTables->count() - 1);
    }
    SelectRule(OnDelAction, item.SubItems.value(1));
    SelectRule(OnUpdateAction, item.SubItems.value(2));
    RefTablesChange();
    Picker->Choose(ConstraintItems::Fields(TConstraintKind::ForeignKey, item));
    // The referenced table of a stored foreign key cannot be changed.
    RefTables->setEnabled(item.StoredName.isEmpty());
}

TConstraintItem TNewFK::Item() const
{
    return ConstraintItems::ForeignKey(ItemName(), RefTables->currentText(), OnDelAction->currentText(),
                                       OnUpdateAction->currentText(), Picker->Chosen());
}

bool TNewFK::RefTablesChange()
{
    if (RefTables->currentIndex() < 0)
        return true;
    try {
        const TPrimaryKeyInfo key = m_catalog->PrimaryKey(RefTables->currentText());
        RefPKName->setText(key.Name);
        RefPKFields->clear();
        RefPKFields->addItems(key.Fields);
    } catch (const EDatabaseError& error) {
        qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        return false;
    }
    return true;
}

QString TNewFK::Refusal() const
{
    const QString name = FKName->text().trimmed();
    const QString refused = NameRefusal(name, Dialect, QStringLiteral(" is not valid Foreign Key Name !"));
    if (!refused.isEmpty())
        return refused;
    if (RefTables->currentIndex() < 0)
        return QStringLiteral("Referenced Table not selected !");
    if (Picker->Chosen().isEmpty())
        return QStringLiteral("Foreign Key fields not selected !");
    return {};
}

// -------------------------------------------------------------------- TNewIndex

TNewIndex::TNewIndex(const QStringList& tableColumns, QWidget* parent)
    : TColumnsConstraintDialog(parent)
{
    setObjectName(QStringLiteral("TNewIndex"));
    setWindowTitle(QStringLiteral("Create Index"));
    IName = MakeNameEdit(QStringLiteral("IName"));
    TableList = MakeList(this, QStringLiteral("TableList"));
    IfList = MakeList(this, QStringLiteral("IfList"));
    MakePicker(TableList, IfList);
    auto* parameters = new QGroupBox(QStringLiteral("Index parameters"), this);
    IUnique = new QCheckBox(QStringLiteral("Unique"), parameters);
    IUnique->setObjectName(QStringLiteral("IUnique"));
    DescIDX = new QCheckBox(QStringLiteral("Descending"), parameters);
    DescIDX->setObjectName(QStringLiteral("DescIDX"));
    ActiveIDX = new QCheckBox(QStringLiteral("Active"), parameters);
    ActiveIDX->setObjectName(QStringLiteral("ActiveIDX"));
    ActiveIDX->setChecked(true);
    ActiveIDX->hide();
    auto* parameterLayout = new QVBoxLayout(parameters);
    parameterLayout->addWidget(IUnique);
    parameterLayout->addWidget(DescIDX);
    parameterLayout->addWidget(ActiveIDX);
    parameterLayout->addStretch();
    Picker->SetColumns(tableColumns);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Index Name:"), IName);
    auto* body = new QHBoxLayout;
    body->addLayout(PickerRow(TableList, IfList), 2);
    body->addWidget(parameters);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(body);
    layout->addLayout(ButtonRow());
    SetHelpTopic(QStringLiteral("create_IDX"));
}

void TNewIndex::LoadItem(const TConstraintItem& item)
{
    Filled = true;
    ShowItemName(item.Caption);
    IUnique->setChecked(item.SubItems.value(0) == QLatin1String("Unique"));
    DescIDX->setChecked(item.SubItems.value(1) == QLatin1String("Desc"));
    ActiveIDX->setChecked(item.SubItems.value(2) == QLatin1String("Active"));
    Picker->Choose(ConstraintItems::Fields(TConstraintKind::Index, item));
}

TConstraintItem TNewIndex::Item() const
{
    return ConstraintItems::Index(ItemName(), IUnique->isChecked(), DescIDX->isChecked(),
                                  ActiveIDX->isChecked(), Picker->Chosen());
}

QString TNewIndex::Refusal() const
{
    const QString name = IName->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("Index name not entered !");
    const QString refused = NameRefusal(name, Dialect, QStringLiteral(" is not valid index name !"));
    if (!refused.isEmpty())
        return refused;
    if (Picker->Chosen().isEmpty())
        return QStringLiteral("Index fields not selected !");
    return {};
}

// -------------------------------------------------------------------- TNewCheck

TNewCheck::TNewCheck(QWidget* parent)
    : TConstraintDialog(parent)
{
    setObjectName(QStringLiteral("TNewCheck"));
    setWindowTitle(QStringLiteral("New Check Constraints"));
    CheckName = MakeNameEdit(QStringLiteral("CheckName"));
    CheckExpr = new QPlainTextEdit(this);
    CheckExpr->setObjectName(QStringLiteral("CheckExpr"));
    CheckExpr->setLineWrapMode(QPlainTextEdit::NoWrap);
    CheckExpr->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CheckExpr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Check Name:"), CheckName);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("(Without 'CHECK' keyword)"), this));
    layout->addWidget(CheckExpr);
    layout->addLayout(ButtonRow());
    SetHelpTopic(QStringLiteral("create_check_constraints"));
}

void TNewCheck::LoadItem(const TConstraintItem& item)
{
    Filled = true;
    ShowItemName(item.Caption);
    CheckExpr->setPlainText(item.SubItems.join(QLatin1Char('\n')));
}

TConstraintItem TNewCheck::Item() const
{
    return ConstraintItems::Check(ItemName(), CheckExpr->toPlainText());
}

QString TNewCheck::Refusal() const
{
    const QString name = CheckName->text().trimmed();
    const QString refused = NameRefusal(name, Dialect, QStringLiteral(" is not valid check name"));
    if (!refused.isEmpty())
        return refused;
    if (CheckExpr->toPlainText().trimmed().isEmpty())
        return QStringLiteral("Check condition not entered !");
    return {};
}

// ----------------------------------------------------------------------- TNewUC

TNewUC::TNewUC(const QStringList& tableColumns, QWidget* parent)
    : TColumnsConstraintDialog(parent)
{
    setObjectName(QStringLiteral("TNewUC"));
    setWindowTitle(QStringLiteral("Create Unique Constraint"));
    CName = MakeNameEdit(QStringLiteral("CName"));
    TableList = MakeList(this, QStringLiteral("TableList"));
    UCList = MakeList(this, QStringLiteral("UCList"));
    MakePicker(TableList, UCList);
    Picker->SetColumns(tableColumns);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Constraint Name:"), CName);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(PickerRow(TableList, UCList));
    layout->addLayout(ButtonRow());
    SetHelpTopic(QStringLiteral("create_UC"));
}

void TNewUC::LoadItem(const TConstraintItem& item)
{
    Filled = true;
    ShowItemName(item.Caption);
    Picker->Choose(item.SubItems);
}

TConstraintItem TNewUC::Item() const
{
    return ConstraintItems::Unique(ItemName(), Picker->Chosen());
}

QString TNewUC::Refusal() const
{
    const QString name = CName->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("Constraint name not entered !");
    const QString refused = NameRefusal(name, Dialect, QStringLiteral(" is not valid constraint name !"));
    if (!refused.isEmpty())
        return refused;
    if (Picker->Chosen().isEmpty())
        return QStringLiteral("Constraint fields not selected !");
    return {};
}
