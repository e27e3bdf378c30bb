#include "app/sqltools/ExtrMD.h"

#include "access/Qv.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/ProcPreview.h"
#include "app/shell/ShellImages.h"
#include "app/sqltools/ExtractWriters.h"
#include "components/FileEdit.h"
#include "components/FormPlacement.h"
#include "editor/qeCustomEdit.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

constexpr int KindRole = Qt::UserRole;

int KindImage(int kind)
{
    switch (kind) {
    case ekTable: return tiTable;
    case ekView: return tiView;
    case ekProcedure: return tiProcedure;
    case ekTrigger: return tiTrigger;
    case ekDomain: return tiDomain;
    case ekGenerator: return tiGenerator;
    case ekFunction: return tiFunction;
    case ekPackage: return tiProcedure;
    case ekCollation: return tiDomain;
    // The workstation of the list's top: a role stands for the people at it.
    case ekRole: return tiTop;
    default: return tiException;
    }
}

// Both lists sort by kind, then by name in character-code order.
class TExtractListItem : public QTreeWidgetItem
{
public:
    TExtractListItem(const QString& name, int kind)
    {
        setText(0, name);
        setData(0, KindRole, kind);
        const QList<QIcon>& images = TreeImageList();
        if (KindImage(kind) < images.size())
            setIcon(0, images.at(KindImage(kind)));
    }

    int Kind() const { return data(0, KindRole).toInt(); }

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int otherKind = other.data(0, KindRole).toInt();
        if (Kind() != otherKind)
            return Kind() < otherKind;
        return text(0) < other.text(0);
    }
};

TExtractList* makeList(QWidget* parent, const char* name, const QString& caption)
{
    auto* list = new TExtractList(parent);
    list->setObjectName(QLatin1String(name));
    list->setHeaderLabel(caption);
    return list;
}

} // namespace

// --- the lists ---------------------------------------------------------------

TExtractList::TExtractList(QWidget* parent)
    : QTreeWidget(parent)
{
    setColumnCount(1);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    header()->setSectionsClickable(false);
}

void TExtractList::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_partner && event->source() == m_partner)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TExtractList::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_partner && event->source() == m_partner)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TExtractList::dropEvent(QDropEvent* event)
{
    if (!m_partner || event->source() != m_partner) {
        event->ignore();
        return;
    }
    // The move is ours, not the view's: it must not copy the items itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    emit DroppedFromPartner();
}

void TExtractList::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    if (selectedItems().isEmpty() && topLevelItemCount() > 0) {
        setCurrentItem(topLevelItem(0));
        topLevelItem(0)->setSelected(true);
    }
}

// --- the dialog ---------------------------------------------------------------

TExtrMD::TExtrMD(quint64 entryId, const QString& preselected, QWidget* parent)
    : QDialog(parent)
    , m_entryId(entryId)
    , m_preselected(preselected)
{
    setObjectName(QStringLiteral("ExtrMD"));
    setWindowTitle(QStringLiteral("Extract Metadata"));
    resize(620, 520);

    SrcList = makeList(this, "SrcList", QStringLiteral("All database objects:"));
    DstList = makeList(this, "DstList", QStringLiteral("Selected object:"));
    SrcList->SetPartner(DstList);
    DstList->SetPartner(SrcList);

    const auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    IncludeBtn = button("IncludeBtn", QStringLiteral(">"), QStringLiteral("Add to extract list"));
    IncAllBtn = button("IncAllBtn", QStringLiteral(">>"), QStringLiteral("Add ALL to extract list"));
    ExcludeBtn = button("ExcludeBtn", QStringLiteral("<"), QStringLiteral("Remove from extract list"));
    ExAllBtn = button("ExAllBtn", QStringLiteral("<<"), QStringLiteral("Remove ALL from extract list"));
    ExcludeBtn->setEnabled(false);
    ExAllBtn->setEnabled(false);

    ExtrWhat = new QComboBox(this);
    ExtrWhat->setObjectName(QStringLiteral("ExtrWhat"));
    ExtrWhat->addItems({QStringLiteral("Metadata only"), QStringLiteral("Metadata and Data"), QStringLiteral("Data only")});

    Filename = new TFilenameEdit(this);
    Filename->setObjectName(QStringLiteral("Filename"));
    Filename->SetDialogKind(TFileDialogKind::dkSave);
    Filename->SetDefaultExt(QStringLiteral("*.sql"));
    Filename->SetFilter(QStringLiteral("All files (*.*)|*.*|SQL Scripts|*.sql"));
    Filename->SetDialogTitle(QStringLiteral("File list"));
    Filename->SetDialogOptions(Filename->DialogOptions() | ofPathMustExist);

    const auto check = [](QWidget* parent, const char* name, const QString& caption) {
        auto* box = new QCheckBox(caption, parent);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    auto* options = new QGroupBox(QStringLiteral("Extract options:"), this);
    DropObj = check(options, "DropObj", QStringLiteral("Drop objects before creation"));
    GenIndices = check(options, "GenIndices", QStringLiteral("Generate table indices"));
    GenPKFK = check(options, "GenPKFK", QStringLiteral("Generate Primary Keys/Foreign Keys"));
    UseConnect = check(options, "UseConnect", QStringLiteral("Use \"CREATE DATABASE\" string"));
    UsePasswd = check(options, "UsePasswd", QStringLiteral("Include User Name and Password"));
    GenIndices->setChecked(true);
    GenPKFK->setChecked(true);
    auto* optionsLayout = new QVBoxLayout(options);
    for (QCheckBox* box : {DropObj, GenIndices, GenPKFK, UseConnect, UsePasswd})
        optionsLayout->addWidget(box);

    auto* kinds = new QGroupBox(QStringLiteral("Extract objects"), this);
    Allobjects = check(kinds, "Allobjects", QStringLiteral("&All Objects"));
    ATable = check(kinds, "ATable", QStringLiteral("All &Tables"));
    AView = check(kinds, "AView", QStringLiteral("All &Views"));
    AStored = check(kinds, "AStored", QStringLiteral("All &Stored Procedures"));
    ATrigger = check(kinds, "ATrigger", QStringLiteral("All T&riggers"));
    ADomain = check(kinds, "ADomain", QStringLiteral("All &Domains"));
    AGenerator = check(kinds, "AGenerator", QStringLiteral("All &Generators"));
    AUDF = check(kinds, "AUDF", QStringLiteral("All &UDF's"));
    AException = check(kinds, "AException", QStringLiteral("All &Exceptions"));
    APackage = check(kinds, "APackage", QStringLiteral("All &Packages"));
    ACollation = check(kinds, "ACollation", QStringLiteral("All C&ollations"));
    ARole = check(kinds, "ARole", QStringLiteral("All Ro&les"));
    auto* kindsLayout = new QGridLayout(kinds);
    kindsLayout->addWidget(Allobjects, 0, 0);
    const QList<QPair<QCheckBox*, int>> kindBoxes{{ATable, ekTable},         {AView, ekView},
                                                  {AStored, ekProcedure},    {ATrigger, ekTrigger},
                                                  {ADomain, ekDomain},       {AGenerator, ekGenerator},
                                                  {AUDF, ekFunction},        {AException, ekException},
                                                  {APackage, ekPackage},     {ACollation, ekCollation},
                                                  {ARole, ekRole}};
    for (int i = 0; i < kindBoxes.size(); ++i) {
        kindsLayout->addWidget(kindBoxes[i].first, 1 + i / 2, i % 2);
        const int kind = kindBoxes[i].second;
        connect(kindBoxes[i].first, &QCheckBox::clicked, this, [this, kind](bool checked) { KindClicked(kind, checked); });
    }
    connect(Allobjects, &QCheckBox::clicked, this, &TExtrMD::AllobjectsClicked);

    GenerateBtn = button("GenerateBtn", QStringLiteral("Generate script"), QString());
    PreviewBtn = button("PreviewBtn", QStringLiteral("Preview"), QString());
    CancelBtn = button("CancelBtn", QStringLiteral("Close"), QString());

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(kFormPlacementsKey);
    FormStorage1->SetOptions(FormStorage1->Options() & ~(fpState | fpPosition));
    FormStorage1->SetStoredProps({QStringLiteral("Filename.FileName")});

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn})
        moves->addWidget(b);
    moves->addStretch(1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(SrcList, 1);
    lists->addLayout(moves);
    lists->addWidget(DstList, 1);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Extract:"), this), 0, 0);
    fields->addWidget(ExtrWhat, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("File Name:"), this), 1, 0);
    fields->addWidget(Filename, 1, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(options, 1);
    groups->addWidget(kinds, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(GenerateBtn);
    buttons->addWidget(PreviewBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(fields);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    connect(IncludeBtn, &QPushButton::clicked, this, &TExtrMD::IncludeBtnClick);
    connect(ExcludeBtn, &QPushButton::clicked, this, &TExtrMD::ExcludeBtnClick);
    connect(IncAllBtn, &QPushButton::clicked, this, &TExtrMD::IncAllBtnClick);
    connect(ExAllBtn, &QPushButton::clicked, this, &TExtrMD::ExcAllBtnClick);
    connect(GenerateBtn, &QPushButton::clicked, this, &TExtrMD::GenerateBtnClick);
    connect(PreviewBtn, &QPushButton::clicked, this, &TExtrMD::PreviewBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TExtrMD::reject);
    // The clicked item moves, with whatever else is selected.
    connect(SrcList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        item->setSelected(true);
        IncludeBtnClick();
    });
    connect(DstList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        item->setSelected(true);
        ExcludeBtnClick();
    });
    connect(DstList, &TExtractList::DroppedFromPartner, this, &TExtrMD::IncludeBtnClick);
    connect(SrcList, &TExtractList::DroppedFromPartner, this, &TExtrMD::ExcludeBtnClick);
}

TExtrMD::~TExtrMD() = default;

TQvDatabase* TExtrMD::Database() const
{
    if (!DBList)
        return nullptr;
    const int index = DBList->IndexOfId(m_entryId);
    return index < 0 ? nullptr : DBList->GetDatabase(index);
}

void TExtrMD::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TExtrMD::closeEvent(QCloseEvent* event)
{
    if (!QueryClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TExtrMD::reject()
{
    if (!m_running)
        QDialog::reject();
}

void TExtrMD::FormShow()
{
    ExtrWhat->setCurrentIndex(0);
    // The last file used comes back with the form's placement; before any,
    // the user's own folder.
    if (Filename->FileName().isEmpty())
        Filename->RestoreFileName(QDir::homePath() + QLatin1Char('/'));
    SrcList->clear();
    DstList->clear();
    TQvDatabase* database = Database();
    if (!database || !database->Connected())
        return;
    TQvTransaction transaction;
    transaction.AddDatabase(database);
    transaction.SetDefaultDatabase(database);
    QList<QTreeWidgetItem*> items;
    for (const TExtractItem& item : ListExtractObjects(*database, transaction))
        items << new TExtractListItem(item.name, item.kind);
    SrcList->addTopLevelItems(items);
    if (!m_preselected.isEmpty()) {
        for (int i = 0; i < SrcList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = SrcList->topLevelItem(i);
            if (item->text(0) == m_preselected) {
                SrcList->clearSelection();
                item->setSelected(true);
                IncludeBtnClick();
                break;
            }
        }
    }
    SetButtons();
}

void TExtrMD::Move(TExtractList* from, TExtractList* to, bool all)
{
    QList<QTreeWidgetItem*> moving;
    for (int i = 0; i < from->topLevelItemCount(); ++i)
        if (all || from->topLevelItem(i)->isSelected())
            moving << from->topLevelItem(i);
    int first = moving.isEmpty() ? 0 : from->indexOfTopLevelItem(moving.first());
    for (QTreeWidgetItem* item : moving) {
        from->takeTopLevelItem(from->indexOfTopLevelItem(item));
        item->setSelected(false);
    }
    to->addTopLevelItems(moving);
    from->setFocus();
    from->clearSelection();
    if (from->topLevelItemCount() > 0) {
        first = std::min(first, from->topLevelItemCount() - 1);
        from->setCurrentItem(from->topLevelItem(first));
        from->topLevelItem(first)->setSelected(true);
    }
    SetButtons();
}

void TExtrMD::IncludeBtnClick()
{
    Move(SrcList, DstList, false);
}

void TExtrMD::ExcludeBtnClick()
{
    Move(DstList, SrcList, false);
}

void TExtrMD::IncAllBtnClick()
{
    Move(SrcList, DstList, true);
}

void TExtrMD::ExcAllBtnClick()
{
    Move(DstList, SrcList, true);
}

void TExtrMD::SetButtons()
{
    const bool sources = SrcList->topLevelItemCount() > 0;
    const bool selected = DstList->topLevelItemCount() > 0;
    IncludeBtn->setEnabled(sources && !m_running);
    IncAllBtn->setEnabled(sources && !m_running);
    ExcludeBtn->setEnabled(selected && !m_running);
    ExAllBtn->setEnabled(selected && !m_running);
}

void TExtrMD::MoveKind(int kind, bool include)
{
    TExtractList* from = include ? SrcList : DstList;
    TExtractList* to = include ? DstList : SrcList;
    from->clearSelection();
    bool any = false;
    for (int i = 0; i < from->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = from->topLevelItem(i);
        if (item->data(0, KindRole).toInt() == kind) {
            item->setSelected(true);
            any = true;
        }
    }
    if (any)
        Move(from, to, false);
}

void TExtrMD::KindClicked(int kind, bool checked)
{
    MoveKind(kind, checked);
}

void TExtrMD::AllobjectsClicked(bool checked)
{
    for (QCheckBox* box :
         {ATable, AView, AStored, ATrigger, ADomain, AGenerator, AUDF, AException, APackage, ACollation, ARole}) {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
    }
    if (checked)
        IncAllBtnClick();
    else
        ExcAllBtnClick();
}

int TExtrMD::Flags() const
{
    int flags = 0;
    if (DropObj->isChecked())
        flags |= efDropObjects;
    if (GenIndices->isChecked())
        flags |= efIndices;
    if (GenPKFK->isChecked())
        flags |= efKeys;
    if (UseConnect->isChecked())
        flags |= efCreateDatabase;
    if (UsePasswd->isChecked())
        flags |= efUserPassword;
    switch (ExtrWhat->currentIndex()) {
    case 1: flags |= efMetadataAndData; break;
    case 2: flags |= efDataOnly; break;
    default: flags |= efMetadataOnly; break;
    }
    return flags;
}

QList<TExtractItem> TExtrMD::SelectedItems() const
{
    QList<TExtractItem> items;
    for (int i = 0; i < DstList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = DstList->topLevelItem(i);
        items.append({item->text(0), item->data(0, KindRole).toInt()});
    }
    return items;
}

void TExtrMD::GenerateBtnClick()
{
    if (DstList->topLevelItemCount() == 0) {
        qv::messageDlg(QStringLiteral("Nothing to extract !"), qv::mtWarning, qv::mbOK);
        return;
    }
    const QString fileName = Filename->FileName();
    const bool exists = QFileInfo(fileName).isFile();
    if (exists
        && qv::messageDlg(fileName + QStringLiteral(" already exists.") + QStringLiteral("\r\n")
                              + QStringLiteral(" Do you want to replace it ?"),
                          qv::mtWarning, qv::mbYesNo)
               != qv::mrYes)
        return;
    Run(Flags());
}

void TExtrMD::PreviewBtnClick()
{
    if (DstList->topLevelItemCount() == 0) {
        qv::messageDlg(QStringLiteral("Nothing to extract !"), qv::mtWarning, qv::mbOK);
        return;
    }
    Run(Flags() | efPreview);
}

void TExtrMD::Run(int flags)
{
    TQvDatabase* database = Database();
    const int index = DBList ? DBList->IndexOfId(m_entryId) : -1;
    if (m_running || !database || index < 0)
        return;
    const TExtractHeader header{DBList->GetName(index), DBList->GetPath(index), DBList->GetUser(index),
                                DBList->GetPassword(index), DBList->GetCharset(index)};
    const QString fileName = Filename->FileName();
    m_running = true;
    for (QPushButton* b : {GenerateBtn, PreviewBtn, CancelBtn})
        b->setEnabled(false);
    SetButtons();
    try {
        auto progress = std::make_unique<TExtractForm>(this);
        progress->FileExists = QFileInfo(fileName).isFile();
        progress->Extract(*database, header, SelectedItems(), flags, fileName);
    } catch (const std::exception& error) {
        // The writers rolled their work back; the dialog stays for another try.
        qv::messageDlg(QString::fromUtf8(error.what()), qv::mtError, qv::mbOK);
    }
    m_running = false;
    for (QPushButton* b : {GenerateBtn, PreviewBtn, CancelBtn})
        b->setEnabled(true);
    SetButtons();
}

// --- the progress window ---------------------------------------------------------

TExtractForm::TExtractForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExtractForm"));
    setWindowTitle(QStringLiteral("Extract Progress"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    resize(320, 60);
}

void TExtractForm::Extract(TQvDatabase& database, const TExtractHeader& header, const QList<TExtractItem>& items,
                           int flags, const QString& fileName)
{
    ProgressBar->setValue(0);
    show();
    qv::processMessages();
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    transaction.SetDefaultDatabase(&database);
    const auto progress = [this](int position) {
        ProgressBar->setValue(position);
        qv::processMessages();
    };
    TExtractResult result;
    if ((flags & efPreview) != 0) {
        result = ExtractScript(database, transaction, header, items, flags, progress);
        TProcPreview preview(this);
        preview.setWindowTitle(QStringLiteral("Database Metadata"));
        preview.SetHoldsPassword((flags & efUserPassword) != 0);
        preview.Memo()->SetText(ScriptText(result.lines));
        hide();
        qv::showModal(preview);
    } else if (!ExtractScriptToFile(database, transaction, header, items, flags, fileName, result, progress)) {
        // Streamed as it is written: a script of a million rows is never held whole.
        hide();
        qv::messageDlg(QStringLiteral("Error writing to the file !"), qv::mtError, qv::mbOK);
        return;
    }
    hide();
    if (!result.reports.isEmpty())
        qv::messageDlg(QStringLiteral("Some of the database could not be extracted as it is:\n")
                           + result.reports.join(QLatin1Char('\n')),
                       qv::mtWarning, qv::mbOK);
}

// --- the command ---------------------------------------------------------------------

void ExtractMetadataFor(quint64 entryId, const QString& objectName)
{
    if (!DBList || DBList->IndexOfId(entryId) < 0)
        return;
    TQvDatabase* database = DBList->GetDatabase(DBList->IndexOfId(entryId));
    if (database)
        database->DropLostConnection();
    if (!database || !database->Connected()) {
        if (!MainTree || !MainTree->ConnectEntry(entryId))
            return;
        database = DBList->GetDatabase(DBList->IndexOfId(entryId));
        if (!database || !database->Connected())
            return;
    }
    if (MainTree)
        MainTree->HideHint();
    TExtrMD dialog(entryId, objectName, MainForm);
    qv::showModal(dialog);
}

void InstallExtractMetadataCommand()
{
    TObjectOpeners::Instance().SetTool(TToolCommand::Extract, [](const TObjectRef& ref) {
        // An object's node starts with that object selected.
        ExtractMetadataFor(ref.DBId, ref.Category >= 0 ? ref.Name : QString());
    });
}
