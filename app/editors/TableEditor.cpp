#include "app/editors/TableEditor.h"

#include "access/Qv.h"
#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "app/editors/ConstraintDialogs.h"
#include "app/editors/FieldParam.h"
#include "app/editors/FormControls.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/TableSave.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/Options.h"
#include "components/TgGrid.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/Help.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

const QString NoText = QStringLiteral("No");

// The state images: 0 changed, 1 new, 2 dropped.
const QPixmap& StateImage(int index)
{
    static const std::array<QPixmap, 3> images = [] {
        std::array<QPixmap, 3> made;
        const std::array<QColor, 3> colours{QColor(0xd0, 0x90, 0x00), QColor(0x20, 0x90, 0x20), QColor(0xc0, 0x20, 0x20)};
        const std::array<const char*, 3> glyphs{"*", "+", "x"};
        for (int i = 0; i < 3; ++i) {
            QPixmap pixmap(12, 12);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setPen(colours[i]);
            QFont font = painter.font();
            font.setBold(true);
            font.setPixelSize(12);
            painter.setFont(font);
            painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromLatin1(glyphs[i]));
            made[i] = pixmap;
        }
        return made;
    }();
    return images.at(std::clamp(index, 0, 2));
}

// The image of a row state (0 unchanged has none).
int RowImage(int state)
{
    switch (state) {
    case csChanged: return 0;
    case csNew: return 1;
    case csDropped: return 2;
    default: return -1;
    }
}

// Fills the dialog from the item unless the item is a new one; on OK the
// item takes the dialog's definition.
template <class Dialog>
bool EditInDialog(Dialog& dialog, TConstraintItem& item, bool isNewItem, int dialect)
{
    dialog.Dialect = dialect;
    dialog.IsNew = isNewItem || item.State != isLoaded;
    if (!isNewItem)
        dialog.LoadItem(item);
    if (qv::showModal(dialog) != qv::mrOk)
        return false;
    item = dialog.Item();
    return true;
}

const char* KindName(TConstraintKind kind)
{
    switch (kind) {
    case TConstraintKind::ForeignKey: return "FK";
    case TConstraintKind::Index: return "Index";
    case TConstraintKind::Check: return "Check";
    case TConstraintKind::Unique: break;
    }
    return "UC";
}

QString DropQuestion(TConstraintKind kind)
{
    switch (kind) {
    case TConstraintKind::ForeignKey: return QStringLiteral("Drop Foreign key ?");
    case TConstraintKind::Index: return QStringLiteral("Drop Index ?");
    case TConstraintKind::Check: return QStringLiteral("Drop Check Constraint ?");
    case TConstraintKind::Unique: break;
    }
    return QStringLiteral("Drop Unique Constraint ?");
}

constexpr TConstraintKind AllKinds[] = {TConstraintKind::ForeignKey, TConstraintKind::Index, TConstraintKind::Check,
                                        TConstraintKind::Unique};

} // namespace

// ------------------------------------------------------------ progress, error

TAlterProcess::TAlterProcess(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAlterProcess"));
    setWindowTitle(QStringLiteral("Altering table"));
    AlterText = new QLineEdit(this);
    AlterText->setObjectName(QStringLiteral("AlterText"));
    AlterText->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Altering table:"), this));
    layout->addWidget(AlterText);
    resize(320, 80);
}

TMyError::TMyError(const QString& step, const QString& serverMessage, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TMyError"));
    setWindowTitle(QStringLiteral("Error"));
    ErrMsg = new QLabel(step, this);
    ErrMsg->setObjectName(QStringLiteral("ErrMsg"));
    QFont bold = ErrMsg->font();
    bold.setBold(true);
    ErrMsg->setFont(bold);
    IBMsg = new QPlainTextEdit(serverMessage, this);
    IBMsg->setObjectName(QStringLiteral("IBMsg"));
    IBMsg->setReadOnly(true);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ErrMsg);
    layout->addWidget(new QLabel(QStringLiteral("Interbase Error Message:"), this));
    layout->addWidget(IBMsg);
    layout->addWidget(ok);
    resize(420, 220);
}

// ------------------------------------------------------------------ TNewTable

TNewTable::TNewTable(TQvDatabase* database, QWidget* parent)
    : QDialog(parent)
    , m_database(database)
    , m_catalog(std::make_unique<TTableCatalog>(database))
{
    setObjectName(QStringLiteral("TNewTable"));
    TableName = new QLineEdit(this);
    TableName->setObjectName(QStringLiteral("TableName"));
    TableName->setMaxLength(NameEditMaxLength);
    KeepUpperCase(TableName);
    connect(TableName, &QLineEdit::textEdited, this, [this] {
        if (!TableName->isReadOnly()) {
            m_table.Name = QvSql::NameFromTyped(TableName->text(), m_database->SQLDialect());
            UpdateStatementText();
        }
        SetModified();
    });
    connect(TableName, &QLineEdit::editingFinished, this, [this] { TableNameExit(); });

    FieldList = new TTypedGrid(this);
    FieldList->setObjectName(QStringLiteral("FieldList"));
    FieldList->SetColCount(fcCount);
    FieldList->SetFixedCols(0);
    FieldList->SetRowCount(2);
    FieldList->SetFixedRows(1);
    FieldList->SetDefaultRowHeight(18);
    FieldList->SetOptions(FieldList->Options() | goRowSelect);
    const QStringList captions{QString(), QStringLiteral("Field Name"), QStringLiteral("Field type"), QStringLiteral("Size"),
                               QStringLiteral("NULL"), QStringLiteral("Default"), QStringLiteral("Computed By"),
                               QStringLiteral("DescrCol"), QStringLiteral("OldFieldNames")};
    const int widths[] = {20, 150, 110, 40, 40, 171, 146, 0, 0};
    for (int c = 0; c < fcCount; ++c) {
        TtgColumn& column = FieldList->GetColumn(c);
        column.SetName(c == 0 ? QStringLiteral("State") : captions[c].isEmpty() ? QStringLiteral("Col%1").arg(c) : QString(captions[c]).remove(QLatin1Char(' ')));
        column.SetCaption(captions[c]);
        column.SetReadOnly(true);
        if (widths[c] > 0)
            column.SetWidth(widths[c]);
    }
    FieldList->GetColumn(fcOldName).SetVisible(false);
    FieldList->GetColumn(fcDescription).SetVisible(false);
    FieldList->SetColumnsRegistryKey(QStringLiteral("Software\\Qyl\\Qorvane\\FormPlacements\\TableFields"));
    FieldList->OnGetCellImage = [this](QObject*, int col, int row, QPixmap& image) {
        if (col != fcState || row < 1 || row > ColumnCount())
            return;
        const int index = RowImage(m_table.Columns[row - 1].State);
        if (index >= 0)
            image = StateImage(index);
    };
    FieldList->installEventFilter(this);
    FieldList->viewport()->installEventFilter(this);
    FieldList->OnEnterCell = [this](QObject*, int, int row) { ShowDescriptionHint(row); };

    SQLText = new QPlainTextEdit(this);
    SQLText->setObjectName(QStringLiteral("SQLText"));
    SQLText->hide();

    AddFieldBtn = MakeButton(this, QStringLiteral("AddFieldBtn"), QStringLiteral("Add field"));
    EditFieldBtn = MakeButton(this, QStringLiteral("EditFieldBtn"), QStringLiteral("Edit field"));
    DeleteFieldBtn = MakeButton(this, QStringLiteral("DeleteFieldBtn"), QStringLiteral("Delete field"));
    MoreBtn = MakeButton(this, QStringLiteral("MoreBtn"), QStringLiteral("More..."), QStringLiteral("Set fields descriptions"));
    connect(AddFieldBtn, &QPushButton::clicked, this, [this] { LoadFieldParam(ColumnCount() + 1); });
    connect(EditFieldBtn, &QPushButton::clicked, this, [this] { LoadFieldParam(FieldList->Row()); });
    connect(DeleteFieldBtn, &QPushButton::clicked, this, [this] { DeleteFieldRow(FieldList->Row()); });
    connect(MoreBtn, &QPushButton::clicked, this, [this] { EditDescriptions(); });

    // Primary key.
    auto* keyBox = new QGroupBox(QStringLiteral("Primary Key"), this);
    PKName = new QLineEdit(keyBox);
    PKName->setObjectName(QStringLiteral("PKName"));
    PKName->setMaxLength(NameEditMaxLength);
    KeepUpperCase(PKName);
    connect(PKName, &QLineEdit::textEdited, this, [this] {
        m_table.PKName = QvSql::NameFromTyped(PKName->text(), m_database->SQLDialect());
        m_table.PKChanged = true;
        SetModified();
    });
    PKFieldList = new QListWidget(keyBox);
    PKFieldList->setObjectName(QStringLiteral("PKFieldList"));
    PKFieldList->installEventFilter(this);
    AddPKBtn = MakeButton(keyBox, QStringLiteral("AddPKBtn"), QStringLiteral("Add"), QStringLiteral("Add field to Primary Key (Ctrl+A)"));
    RemovePKBtn = MakeButton(keyBox, QStringLiteral("RemovePKBtn"), QStringLiteral("Remove"),
                             QStringLiteral("Remove field from Primary Key (Ctrl+R)"));
    PKUpBtn = MakeButton(keyBox, QStringLiteral("PKUpBtn"), QStringLiteral("Up"), QStringLiteral("Move field UP"));
    PKDownBtn = MakeButton(keyBox, QStringLiteral("PKDownBtn"), QStringLiteral("Down"), QStringLiteral("Move field DOWN"));
    connect(AddPKBtn, &QPushButton::clicked, this, [this] { AddPKField(); });
    connect(RemovePKBtn, &QPushButton::clicked, this, [this] { RemovePKField(); });
    connect(PKUpBtn, &QPushButton::clicked, this, [this] { MovePKField(-1); });
    connect(PKDownBtn, &QPushButton::clicked, this, [this] { MovePKField(1); });
    auto* keyButtons = new QVBoxLayout;
    for (QPushButton* button : {AddPKBtn, RemovePKBtn, PKUpBtn, PKDownBtn})
        keyButtons->addWidget(button);
    keyButtons->addStretch();
    auto* keyLayout = new QGridLayout(keyBox);
    keyLayout->addWidget(new QLabel(QStringLiteral("Name:"), keyBox), 0, 0);
    keyLayout->addWidget(PKName, 0, 1);
    keyLayout->addWidget(PKFieldList, 1, 0, 1, 2);
    keyLayout->addLayout(keyButtons, 1, 2);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("ConstraintPages"));
    pages->addTab(MakeConstraintPage(TConstraintKind::ForeignKey, QStringLiteral("FKList")), QStringLiteral("Foreign Keys"));
    pages->addTab(MakeConstraintPage(TConstraintKind::Index, QStringLiteral("IndexList")), QStringLiteral("Indices"));
    pages->addTab(MakeConstraintPage(TConstraintKind::Check, QStringLiteral("CheckList")), QStringLiteral("Check Constraints"));
    pages->addTab(MakeConstraintPage(TConstraintKind::Unique, QStringLiteral("UCList")), QStringLiteral("Unique Constraints"));
    FKList = List(TConstraintKind::ForeignKey);
    IndexList = List(TConstraintKind::Index);
    CheckList = List(TConstraintKind::Check);
    UCList = List(TConstraintKind::Unique);

    SaveBtn = MakeButton(this, QStringLiteral("SaveBtn"), QStringLiteral("Save Changes (F2)"));
    CancelBtn = MakeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveChanges(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Table Name:"), this));
    nameRow->addWidget(TableName, 1);
    auto* fieldButtons = new QHBoxLayout;
    for (QPushButton* button : {AddFieldBtn, EditFieldBtn, DeleteFieldBtn, MoreBtn})
        fieldButtons->addWidget(button);
    fieldButtons->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addWidget(keyBox, 1);
    lower->addWidget(pages, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(SaveBtn);
    bottom->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(FieldList, 3);
    layout->addLayout(fieldButtons);
    layout->addLayout(lower, 2);
    layout->addLayout(bottom);
    layout->addWidget(SQLText);


    auto* save = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(save, &QShortcut::activated, this, [this] { SaveChanges(); });
    auto* addKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), this);
    connect(addKey, &QShortcut::activated, this, [this] { AddPKField(); });
    auto* removeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(removeKey, &QShortcut::activated, this, [this] { RemovePKField(); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [] { qv::showHelpTopic(QStringLiteral("Create_Table")); });
    resize(760, 560);
}

TNewTable::~TNewTable() = default;

QWidget* TNewTable::MakeConstraintPage(TConstraintKind kind, const QString& name)
{
    auto* page = new QWidget(this);
    auto* list = new QListWidget(page);
    list->setObjectName(name);
    list->installEventFilter(this);
    const QString prefix = QString::fromLatin1(KindName(kind));
    QPushButton* add = MakeButton(page, QStringLiteral("Add") + prefix, QStringLiteral("Add"));
    QPushButton* edit = MakeButton(page, QStringLiteral("Edit") + prefix, QStringLiteral("Edit"));
    QPushButton* drop = MakeButton(page, QStringLiteral("Drop") + prefix, QStringLiteral("Drop"));
    if (kind == TConstraintKind::Unique) {
        add->setToolTip(QStringLiteral("Add Unique Constraint"));
        edit->setToolTip(QStringLiteral("Edit Unique Constraint"));
        drop->setToolTip(QStringLiteral("Drop Unique Constraint"));
    }
    m_buttons[int(kind)][0] = add;
    m_buttons[int(kind)][1] = edit;
    m_buttons[int(kind)][2] = drop;
    connect(add, &QPushButton::clicked, this, [this, kind] { AddConstraint(kind); });
    connect(edit, &QPushButton::clicked, this, [this, kind] { EditConstraint(kind); });
    connect(drop, &QPushButton::clicked, this, [this, kind] { DropConstraint(kind); });
    connect(list, &QListWidget::currentRowChanged, this, [this, kind] { UpdateItemButtons(kind); });
    connect(list, &QListWidget::itemDoubleClicked, this, [this, kind] { EditConstraint(kind); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(edit);
    buttons->addWidget(drop);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    return page;
}

QListWidget* TNewTable::List(TConstraintKind kind) const
{
    return findChild<QListWidget*>(QString::fromLatin1(KindName(kind)) + QStringLiteral("List"));
}

void TNewTable::SetModified()
{
    m_modified = true;
}

void TNewTable::NewTable()
{
    m_table = TTableDefinition{};
    m_blankRow = true;
    setWindowTitle(QStringLiteral("New Table"));
    TableName->clear();
    TableName->setReadOnly(false);
    m_domainsLoaded = false;
    ShowAll();
    DisableConstraintButtons();
    m_modified = false;
    TableName->setFocus();
}

bool TNewTable::LoadTable(const QString& name)
{
    try {
        m_table = m_catalog->LoadTable(name);
    } catch (const EDatabaseError& error) {
        qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        return false;
    }
    m_blankRow = false;
    setWindowTitle(QStringLiteral("Edit Table"));
    TableName->setText(QvSql::TypedName(name, m_database->SQLDialect()));
    TableName->setReadOnly(true);
    m_domainsLoaded = false;
    ShowAll();
    EnableConstraintButtons();
    m_modified = false;
    FieldList->setFocus();
    return true;
}

TFieldParam* TNewTable::ColumnDialog()
{
    // The domains are read when a column is first edited, once per opening.
    if (!m_domainsLoaded) {
        try {
            m_domains = m_catalog->LoadDomains();
        } catch (const EDatabaseError& error) {
            qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
        }
        m_domainsLoaded = true;
        if (FieldParam)
            FieldParam->SetTypes(BuiltInTypes(m_database->SQLDialect()), m_domains);
    }
    if (!FieldParam) {
        FieldParam = new TFieldParam(this);
        FieldParam->SetTypes(BuiltInTypes(m_database->SQLDialect()), m_domains);
        FieldParam->SetDialect(m_database->SQLDialect());
    }
    return FieldParam;
}

bool TNewTable::IsDomain(const QString& type) const
{
    return std::any_of(m_domains.begin(), m_domains.end(), [&](const TDomainInfo& d) { return d.Name == type; });
}

QStringList TNewTable::ColumnNames() const
{
    QStringList names;
    for (const TTableColumn& column : m_table.Columns)
        names << column.Def.Name;
    return names;
}

// ------------------------------------------------------------------ showing

void TNewTable::ShowAll()
{
    ShowColumns();
    ShowPrimaryKey();
    for (const TConstraintKind kind : AllKinds)
        ShowItems(kind);
}

void TNewTable::ShowColumns()
{
    const int rows = std::max(2, ColumnCount() + 1 + (m_blankRow ? 1 : 0));
    FieldList->SetRowCount(rows);
    for (int row = 1; row < rows; ++row)
        ShowRow(row);
    UpdateStatementText();
    FieldList->viewport()->update();
}

void TNewTable::ShowRow(int row)
{
    if (row > ColumnCount()) {
        for (int c = 0; c < FieldList->ColCount(); ++c)
            FieldList->SetCells(c, row, QString());
        FieldList->SetObjects(fcState, row, QVariant());
        return;
    }
    const TTableColumn& column = m_table.Columns[row - 1];
    FieldList->SetObjects(fcState, row, column.State);
    FieldList->SetCells(fcName, row, column.Def.Name);
    FieldList->SetCells(fcType, row, column.Def.Type);
    FieldList->SetCells(fcSize, row, column.Def.Size);
    FieldList->SetCells(fcNull, row, column.Def.IsComputed() ? QString() : column.Def.Null);
    FieldList->SetCells(fcDefault, row, column.Def.Default);
    FieldList->SetCells(fcComputed, row, column.Def.Computed);
}

void TNewTable::UpdateStatementText()
{
    // The statement saving runs for a new table. An existing table's
    // changes are built from the rows' states when it is saved.
    if (m_table.IsNew)
        SQLText->setPlainText(CreateTableLines(m_table, m_database->SQLDialect()).join(QLatin1Char('\n')));
    else
        SQLText->clear();
}

void TNewTable::ShowPrimaryKey()
{
    PKName->setText(QvSql::TypedName(m_table.PKName, m_database->SQLDialect()));
    PKFieldList->clear();
    PKFieldList->addItems(m_table.PKFields);
}

void TNewTable::ShowItems(TConstraintKind kind)
{
    QListWidget* list = List(kind);
    const int current = list->currentRow();
    const QSignalBlocker blocker(list);
    list->clear();
    for (const TConstraintItem& item : m_table.Items(kind)) {
        auto* entry = new QListWidgetItem(item.Caption, list);
        if (item.State >= 0)
            entry->setIcon(StateImage(item.State));
    }
    if (list->count() > 0)
        list->setCurrentRow(std::clamp(current, 0, list->count() - 1));
    UpdateItemButtons(kind);
}

void TNewTable::UpdateItemButtons(TConstraintKind kind)
{
    if (!AddButton(kind)->isEnabled() && kind != TConstraintKind::Check)
        return;
    const int row = List(kind)->currentRow();
    const auto& items = m_table.Items(kind);
    const bool usable = row >= 0 && row < int(items.size()) && items[size_t(row)].State != isDropped;
    EditButton(kind)->setEnabled(usable);
    DropButton(kind)->setEnabled(usable);
}

void TNewTable::EnableConstraintButtons()
{
    for (QPushButton* button : {AddPKBtn, RemovePKBtn})
        button->setEnabled(true);
    for (const TConstraintKind kind : AllKinds) {
        AddButton(kind)->setEnabled(true);
        UpdateItemButtons(kind);
    }
}

void TNewTable::DisableConstraintButtons()
{
    for (QPushButton* button : {AddPKBtn, RemovePKBtn})
        button->setEnabled(false);
    for (const TConstraintKind kind : {TConstraintKind::ForeignKey, TConstraintKind::Index, TConstraintKind::Unique})
        for (QPushButton* button : {AddButton(kind), EditButton(kind), DropButton(kind)})
            button->setEnabled(false);
    UpdateItemButtons(TConstraintKind::Check);
}

void TNewTable::TableNameExit()
{
    const QString name = TableName->text().trimmed();
    if (TableName->isReadOnly() || name.isEmpty())
        return;
    const int dialect = m_database->SQLDialect();
    if (!IsValidTableName(name, dialect)) {
        // A name only dialect 3 can write says why.
        const bool otherDialect = QvSql::CheckTypedName(name, dialect) == QvSql::TNameCheck::NotInDialect;
        qv::messageDlg(otherDialect ? NameRefusal(name, dialect, {}) : QStringLiteral("Illegal table name !"),
                       qv::mtError, qv::mbOK);
        TableName->setFocus();
        return;
    }
    m_table.Name = QvSql::NameFromTyped(name, dialect);
    UpdateStatementText();
}

// ------------------------------------------------------------------ columns

void TNewTable::LoadFieldParam(int row)
{
    if (row < 1)
        return;
    const bool newRow = row > ColumnCount();
    if (newRow) {
        m_blankRow = true;
        row = ColumnCount() + 1;
        ShowColumns();
        FieldList->SetRow(row);
    }
    TColumnDef before;
    before.Null = newRow ? NoText : QString();
    if (!newRow)
        before = m_table.Columns[size_t(row - 1)].Def;
    QStringList others = ColumnNames();
    if (!newRow)
        others.removeAt(row - 1);
    ColumnDialog()->SetOtherNames(others);
    FieldParam->LoadColumn(before);
    const QRect cell = FieldList->CellRect(fcName, row);
    const QPoint at = FieldList->mapTo(this, cell.topLeft());
    FieldParam->move(mapToGlobal(QPoint(at.x() + 30, at.y() + cell.height())));
    if (qv::showModal(*FieldParam) != qv::mrOk)
        return;
    const int exitKind = FieldParam->ExitKind;
    if (exitKind == TFieldParam::ekOk || exitKind == TFieldParam::ekDown || exitKind == TFieldParam::ekUp) {
        if (newRow || FieldParam->Column(before) != before)
            StoreFieldRow(row, newRow);
    }
    if (exitKind == TFieldParam::ekDown && row <= ColumnCount()) {
        FieldList->SetRow(std::min(row + 1, FieldList->RowCount() - 1));
    } else if (exitKind == TFieldParam::ekUp && row > 1) {
        FieldList->SetRow(row - 1);
    }
}

void TNewTable::StoreFieldRow(int row, bool newRow)
{
    if (!FieldParam)
        return;
    if (newRow) {
        TTableColumn column;
        column.Def = FieldParam->Column(TColumnDef{});
        column.DomainType = FieldParam->DomainType(column.Def.Type);
        column.State = csNew;
        m_table.Columns.push_back(column);
        m_blankRow = false;
        row = ColumnCount();
    } else {
        TTableColumn& column = m_table.Columns[size_t(row - 1)];
        column.Def = FieldParam->Column(column.Def);
        column.DomainType = FieldParam->DomainType(column.Def.Type);
        if (column.State != csNew)
            column.State = csChanged;
    }
    if (row == 1 || ColumnCount() == 1)
        EnableConstraintButtons();
    ShowColumns();
    FieldList->SetRow(row);
    SetModified();
}

void TNewTable::DeleteFieldRow(int row)
{
    if (row < 1 || row > ColumnCount())
        return;
    if (qv::messageDlg(QStringLiteral("Delete Field ?"), qv::mtWarning, qv::mbYesNo) != qv::mrYes)
        return;
    TTableColumn& column = m_table.Columns[size_t(row - 1)];
    if (column.State == csNew)
        m_table.Columns.erase(m_table.Columns.begin() + (row - 1));
    else
        column.State = csDropped;
    ShowColumns();
    SetModified();
}

bool TNewTable::GridKey(int key)
{
    const int row = FieldList->Row();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        LoadFieldParam(row);
        return true;
    case Qt::Key_Delete:
        DeleteFieldRow(row);
        return true;
    case Qt::Key_Down:
        // Below the last column: an empty row to fill in, once the last one is complete.
        if (row == FieldList->RowCount() - 1 && row <= ColumnCount()) {
            const TColumnDef& last = m_table.Columns[size_t(row - 1)].Def;
            if (!last.Name.isEmpty() && (!last.Type.isEmpty() || last.IsComputed())) {
                m_blankRow = true;
                ShowColumns();
                FieldList->SetRow(row + 1);
            }
            return true;
        }
        return false;
    case Qt::Key_Up:
        if (m_blankRow && row == FieldList->RowCount() - 1 && row > 1) {
            m_blankRow = false;
            ShowColumns();
            FieldList->SetRow(row - 1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// -------------------------------------------------------------- primary key

void TNewTable::AddPKField()
{
    if (!AddPKBtn->isEnabled())
        return;
    const int row = FieldList->Row();
    if (row < 1 || row > ColumnCount())
        return;
    const TColumnDef& column = m_table.Columns[size_t(row - 1)].Def;
    if (column.Null != NoText) {
        qv::messageDlg(QStringLiteral("NULLable fields not allowed !"), qv::mtError, qv::mbOK);
        return;
    }
    if (m_table.PKFields.contains(column.Name)) {
        qv::messageDlg(QStringLiteral("This field already exist in Primary Key"), qv::mtError, qv::mbOK);
        return;
    }
    m_table.PKFields << column.Name;
    m_table.PKChanged = true;
    ShowPrimaryKey();
    SetModified();
}

void TNewTable::RemovePKField()
{
    if (!RemovePKBtn->isEnabled())
        return;
    QString name;
    if (FieldList->hasFocus()) {
        const int row = FieldList->Row();
        if (row >= 1 && row <= ColumnCount())
            name = m_table.Columns[size_t(row - 1)].Def.Name;
    } else if (PKFieldList->currentItem()) {
        name = PKFieldList->currentItem()->text();
    }
    if (name.isEmpty() || !m_table.PKFields.removeOne(name))
        return;
    m_table.PKChanged = true;
    ShowPrimaryKey();
    SetModified();
}

void TNewTable::MovePKField(int by)
{
    const int row = PKFieldList->currentRow();
    const int target = row + by;
    if (row < 0 || target < 0 || target >= m_table.PKFields.size())
        return;
    m_table.PKFields.swapItemsAt(row, target);
    ShowPrimaryKey();
    PKFieldList->setCurrentRow(target);
}

// ---------------------------------------------------------- constraint lists

bool TNewTable::RunConstraintDialog(TConstraintKind kind, TConstraintItem& item, bool isNewItem)
{
    const QStringList columns = ColumnNames();
    switch (kind) {
    case TConstraintKind::ForeignKey: {
        TNewFK dialog(columns, m_catalog.get(), this);
        if (isNewItem && !dialog.FormShow())
            return false;
        return EditInDialog(dialog, item, isNewItem, m_database->SQLDialect());
    }
    case TConstraintKind::Index: {
        TNewIndex dialog(columns, this);
        return EditInDialog(dialog, item, isNewItem, m_database->SQLDialect());
    }
    case TConstraintKind::Check: {
        TNewCheck dialog(this);
        return EditInDialog(dialog, item, isNewItem, m_database->SQLDialect());
    }
    case TConstraintKind::Unique: {
        TNewUC dialog(columns, this);
        return EditInDialog(dialog, item, isNewItem, m_database->SQLDialect());
    }
    }
    return false;
}

void TNewTable::AddConstraint(TConstraintKind kind)
{
    if (!AddButton(kind)->isEnabled())
        return;
    TConstraintItem item;
    if (!RunConstraintDialog(kind, item, true))
        return;
    item.State = isNew;
    m_table.Items(kind).push_back(item);
    ShowItems(kind);
    List(kind)->setCurrentRow(List(kind)->count() - 1);
    SetModified();
}

void TNewTable::EditConstraint(TConstraintKind kind)
{
    const int row = List(kind)->currentRow();
    auto& items = m_table.Items(kind);
    if (!EditButton(kind)->isEnabled() || row < 0 || row >= int(items.size()) || items[size_t(row)].State == isDropped)
        return;
    TConstraintItem edited = items[size_t(row)];
    if (!RunConstraintDialog(kind, edited, false))
        return;
    TConstraintItem& item = items[size_t(row)];
    item.Caption = edited.Caption;
    item.SubItems = edited.SubItems;
    item.State = item.State == isNew ? isNew : isChanged;
    ShowItems(kind);
    SetModified();
}

void TNewTable::DropConstraint(TConstraintKind kind)
{
    const int row = List(kind)->currentRow();
    auto& items = m_table.Items(kind);
    if (!DropButton(kind)->isEnabled() || row < 0 || row >= int(items.size()) || items[size_t(row)].State == isDropped)
        return;
    if (qv::messageDlg(DropQuestion(kind), qv::mtWarning, qv::mbYesNo) != qv::mrYes)
        return;
    TConstraintItem& item = items[size_t(row)];
    if (item.State == isLoaded) {
        item.State = isDropped;
    } else {
        // Added or changed since loading: only what the database holds needs a statement.
        bool stored = false;
        try {
            stored = !item.StoredName.isEmpty() && m_catalog->ConstraintExists(kind, item.StoredName);
        } catch (const EDatabaseError& error) {
            qv::messageDlg(error.Message(), qv::mtError, qv::mbOK);
            return;
        }
        if (stored)
            item.State = isDropped;
        else
            items.erase(items.begin() + row);
    }
    ShowItems(kind);
    SetModified();
}

// ------------------------------------------------------------- descriptions

void TNewTable::ShowDescriptionHint(int row)
{
    const bool show = Options().ShowProcParameterDescription && row >= 1 && row <= ColumnCount()
        && !m_table.Columns[size_t(row - 1)].Def.Description.isEmpty();
    if (!show) {
        if (DescriptionHint)
            DescriptionHint->hide();
        return;
    }
    if (!DescriptionHint) {
        DescriptionHint = new QLabel(this, Qt::ToolTip);
        DescriptionHint->setObjectName(QStringLiteral("DescriptionHint"));
        DescriptionHint->setWordWrap(true);
        DescriptionHint->setMaximumWidth(200);
        DescriptionHint->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; border: 1px solid black; }"));
    }
    DescriptionHint->setText(m_table.Columns[size_t(row - 1)].Def.Description);
    DescriptionHint->adjustSize();
    DescriptionHint->move(FieldList->mapToGlobal(QPoint(30, (row + 1) * FieldList->DefaultRowHeight())));
    DescriptionHint->show();
}

void TNewTable::EditDescriptions()
{
    TParamRows rows;
    for (const TTableColumn& column : m_table.Columns)
        rows << TParamRow{column.Def.Name, column.Def.Type, column.Def.Description};
    if (!EditParamDescriptions(this, rows, QStringLiteral("Field Descriptions"),
                               {QStringLiteral("Field Name"), QStringLiteral("Field Type"),
                                QStringLiteral("Field Description")}))
        return;
    for (int row = 0; row < ColumnCount() && row < rows.size(); ++row)
        m_table.Columns[size_t(row)].Def.Description = rows.at(row).Description;
    SetModified();
}

// -------------------------------------------------------------------- saving

bool TNewTable::SaveChanges()
{
    qv::BusyGuard busy(this);
    if (!busy.acquired())
        return false;
    // What was typed is what is saved: a name the rule refuses sends nothing.
    const int dialect = m_database->SQLDialect();
    for (QLineEdit* edit : {TableName, PKName}) {
        if (edit->isReadOnly() || edit->text().trimmed().isEmpty())
            continue;
        const QString refusal = NameRefusal(edit->text(), dialect,
                                            edit == TableName ? QStringLiteral(" is not valid table name !")
                                                              : QStringLiteral(" is not valid Identifier !"));
        if (!refusal.isEmpty()) {
            qv::messageDlg(refusal, qv::mtError, qv::mbOK);
            edit->setFocus();
            return false;
        }
    }
    if (m_table.IsNew)
        m_table.Name = QvSql::NameFromTyped(TableName->text(), dialect);
    TTableSaver saver(m_database, m_table);
    if (!AlterProcess)
        AlterProcess = new TAlterProcess(this);
    saver.OnProgress = [this](const QString& step) {
        AlterProcess->AlterText->setText(step);
        AlterProcess->show();
        qv::processMessages();
    };
    saver.ConfirmDataLoss = [](const QStringList& columns) {
        return qv::messageDlg(QStringLiteral("These fields can't be changed in place: they will be dropped and added "
                                             "anew, and all their values will be lost: ")
                                  + columns.join(QStringLiteral(", ")) + QStringLiteral(". Continue ?"),
                              qv::mtWarning, qv::mbYesNo)
            == qv::mrYes;
    };
    saver.OnTableCreated = [this] {
        TableName->setReadOnly(true);
        setWindowTitle(QStringLiteral("Edit Table"));
        if (OnTableCreated)
            OnTableCreated(m_table.Name);
    };
    TTableSaver::Result result;
    {
        const qv::WaitCursor wait;
        result = saver.Save();
    }
    AlterProcess->hide();
    ShowAll();
    switch (result) {
    case TTableSaver::Saved:
        m_modified = false;
        if (!m_closing)
            accept();
        return true;
    case TTableSaver::Refused:
        qv::messageDlg(saver.RefusalMessage(), qv::mtError, qv::mbOK);
        return false;
    case TTableSaver::Declined:
        return false;
    case TTableSaver::Failed:
        ShowAlterError(saver.FailedStep(), saver.ServerMessage());
        return false;
    }
    return false;
}

void TNewTable::ShowAlterError(const QString& step, const QString& serverMessage)
{
    if (AlterProcess)
        AlterProcess->hide();
    TMyError error(step, serverMessage, this);
    qv::showModal(error);
}

// ------------------------------------------------------------------- closing

bool TNewTable::FormCloseQuery()
{
    if (!m_modified || qv::BusyGuard::isBusy(this))
        return !qv::BusyGuard::isBusy(this);
    switch (qv::messageDlg(this, QStringLiteral("Save changes ?"), qv::mtConfirmation, qv::mbYesNoCancel)) {
    case qv::mrYes: {
        m_closing = true;
        const bool saved = SaveChanges();
        m_closing = false;
        return saved;
    }
    case qv::mrNo:
        return true;
    default:
        return false;
    }
}

void TNewTable::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

void TNewTable::closeEvent(QCloseEvent* event)
{
    if (TakeAnswered() || FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TNewTable::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == FieldList && key->modifiers() == Qt::NoModifier && GridKey(key->key()))
            return true;
        if (watched == PKFieldList) {
            if (key->key() == Qt::Key_Insert) {
                AddPKField();
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                RemovePKField();
                return true;
            }
        }
        for (const TConstraintKind kind : AllKinds) {
            if (watched != List(kind))
                continue;
            switch (key->key()) {
            case Qt::Key_Insert: AddConstraint(kind); return true;
            case Qt::Key_Delete: DropConstraint(kind); return true;
            case Qt::Key_Return:
            case Qt::Key_Enter: EditConstraint(kind); return true;
            default: break;
            }
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == FieldList->viewport()) {
        // A click above the empty row being filled in gives it up.
        int col = -1;
        int row = -1;
        FieldList->MouseToCell(static_cast<QMouseEvent*>(event)->position().toPoint(), col, row);
        if (m_blankRow && row >= 1 && row < FieldList->RowCount() - 1) {
            m_blankRow = false;
            ShowColumns();
        }
    } else if (event->type() == QEvent::FocusOut && watched == FieldList && DescriptionHint) {
        DescriptionHint->hide();
    } else if (event->type() == QEvent::FocusIn) {
        // Entering a list with nothing selected selects its first entry.
        if (auto* list = qobject_cast<QListWidget*>(watched); list && list->currentRow() < 0 && list->count() > 0)
            list->setCurrentRow(0);
    }
    return QDialog::eventFilter(watched, event);
}

// ------------------------------------------------------------------ openers

void OpenTableEditor(quint64 dbId, TQvDatabase* database, const QString& name, QTreeWidgetItem* categoryNode)
{
    if (!database)
        return;
    TNewTable editor(database, QApplication::activeWindow());
    SetWindowIdentity(&editor, TWindowIdentity{dbId, catTables, name});
    if (name.isEmpty()) {
        editor.NewTable();
        editor.OnTableCreated = [&editor, dbId, categoryNode](const QString& created) {
            SetWindowIdentity(&editor, TWindowIdentity{dbId, catTables, created});
            if (categoryNode)
                TMainTree::AddObjectNode(categoryNode, created);
        };
    } else if (!editor.LoadTable(name)) {
        return;
    }
    qv::showModal(editor);
}

void InstallTableEditor()
{
    TObjectOpeners::Instance().SetNew(catTables, [](const TObjectRef& ref) {
        OpenTableEditor(ref.DBId, ref.Database, QString(), ref.Node);
    });
    TObjectOpeners::Instance().SetEdit(catTables, [](const TObjectRef& ref) {
        OpenTableEditor(ref.DBId, ref.Database, ref.Name, nullptr);
    });
}
