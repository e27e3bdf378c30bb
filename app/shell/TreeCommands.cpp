#include "app/shell/TreeCommands.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DBProperties.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/ShellImages.h"
#include "platform/Dialogs.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {

struct DropText
{
    const char* question;
    const char* statement;
};

// Per category, in TCategory order.
const DropText kDropTexts[] = {
    {"Are you really want to drop this table ?", "DROP TABLE "},
    {"Drop view ?", "drop view "},
    {"Drop procedure ?", "drop procedure "},
    {"Drop trigger ?", "drop trigger "},
    {"Drop domain ?", "drop domain "},
    // Firebird 3 refuses deletes from the system tables.
    {"Drop generator ?", "DROP GENERATOR "},
    {"Drop Funciton ?", "drop external function "},
    {"Drop Exception ?", "drop exception "},
};

bool validCategory(int category)
{
    return category >= 0 && category < int(std::size(kDropTexts));
}

} // namespace

QString DropQuestion(int category)
{
    return validCategory(category) ? QString::fromLatin1(kDropTexts[category].question) : QString();
}

QString DropStatement(int category, const QString& name, int dialect)
{
    if (!validCategory(category) || name.isEmpty())
        return {};
    return QString::fromLatin1(kDropTexts[category].statement) + QvSql::Identifier(name, dialect);
}

TTreeCommands::TTreeCommands(TMainTree* tree)
    : QObject(tree)
    , m_tree(tree)
{
    setObjectName(QStringLiteral("TreeCommands"));
    DatabasesMenu = new QMenu(tree);
    DatabasesMenu->setObjectName(QStringLiteral("DatabasesMenu"));
    CreateDatabase1 = AddItem(DatabasesMenu, "CreateDatabase1", QStringLiteral("Create Database"), ciCreateDB,
                              QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    DropDatabase1 = AddItem(DatabasesMenu, "DropDatabase1", QStringLiteral("Drop Database"), ciDropDB,
                            QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    DatabasesMenu->addSeparator();
    RegisterDatabase2 = AddItem(DatabasesMenu, "RegisterDatabase2", QStringLiteral("Register Database"),
                                ciRegisterDB, QKeySequence(Qt::Key_Insert));
    UnregisterDatabase2 = AddItem(DatabasesMenu, "UnregisterDatabase2", QStringLiteral("Unregister Database"),
                                  ciUnregisterDB, QKeySequence(Qt::Key_Delete));
    DatabasesMenu->addSeparator();
    DatabaseProperties1 = AddItem(DatabasesMenu, "DatabaseProperties1", QStringLiteral("Database Properties"),
                                  -1);

    ObjectsMenu = new QMenu(tree);
    ObjectsMenu->setObjectName(QStringLiteral("ObjectsMenu"));
    NewObject1 = AddItem(ObjectsMenu, "NewObject1", QStringLiteral("New..."), ciNew);
    Refresh2 = AddItem(ObjectsMenu, "Refresh2", QStringLiteral("Refresh"), ciRefresh);

    TableMenu = new QMenu(tree);
    TableMenu->setObjectName(QStringLiteral("TableMenu"));
    Createtable2 = AddItem(TableMenu, "Createtable2", QStringLiteral("&New ..."), ciNew);
    Edittable1 = AddItem(TableMenu, "Edittable1", QStringLiteral("&Edit ..."), ciEdit);
    Drop1 = AddItem(TableMenu, "Drop1", QStringLiteral("&Drop"), ciDrop);
    TableMenu->addSeparator();
    SetDescription2 = AddItem(TableMenu, "SetDescription2", QStringLiteral("&Set Description"), ciDescription);
    PMDataView = AddItem(TableMenu, "PMDataView", QStringLiteral("Data &View"), ciDataView);
    DependenciesBtn = AddItem(TableMenu, "DependenciesBtn", QStringLiteral("De&pendencies..."), ciDependencies);

    // The keys are the tree's (TreeKeyDown); the menus only show them.
    for (QMenu* menu : {DatabasesMenu, ObjectsMenu, TableMenu})
        for (QAction* action : menu->actions())
            action->setShortcutContext(Qt::WidgetShortcut);

    connect(CreateDatabase1, &QAction::triggered, this, [] {
        if (MainForm)
            MainForm->CreatedatabaseBtnClick();
    });
    connect(DropDatabase1, &QAction::triggered, this, [] {
        if (MainForm)
            MainForm->DropdatabaseBtnClick();
    });
    connect(RegisterDatabase2, &QAction::triggered, this, [] {
        if (MainForm)
            MainForm->Registerdatabase1Click();
    });
    connect(UnregisterDatabase2, &QAction::triggered, this, [] {
        if (MainForm)
            MainForm->UnregisterDatabase1Click();
    });
    connect(DatabaseProperties1, &QAction::triggered, this, &TTreeCommands::DatabaseProperties1Click);
    connect(NewObject1, &QAction::triggered, this, &TTreeCommands::Createtable2Click);
    connect(Refresh2, &QAction::triggered, this, [this] { m_tree->RefreshCategory(Selected()); });
    connect(Createtable2, &QAction::triggered, this, &TTreeCommands::Createtable2Click);
    connect(Edittable1, &QAction::triggered, this, &TTreeCommands::Edittable1Click);
    connect(Drop1, &QAction::triggered, this, &TTreeCommands::Drop1Click);
    connect(SetDescription2, &QAction::triggered, m_tree, &TMainTree::SetDescriptionMenuClick);
    connect(PMDataView, &QAction::triggered, this, &TTreeCommands::PMDataViewClick);
    connect(DependenciesBtn, &QAction::triggered, this, &TTreeCommands::DependenciesBtnClick);

    m_tree->Tree()->installEventFilter(this);
    m_tree->Tree()->viewport()->installEventFilter(this);
}

QAction* TTreeCommands::AddItem(QMenu* menu, const char* name, const QString& caption, int image,
                                const QKeySequence& key)
{
    QAction* action = image >= 0 ? menu->addAction(CommandIcon(static_cast<TCommandImage>(image)), caption)
                                 : menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        action->setShortcut(key);
    return action;
}

QMenu* TTreeCommands::MenuOfLevel(int level) const
{
    switch (level) {
    case 1: return DatabasesMenu;
    case 2: return ObjectsMenu;
    case 3: return TableMenu;
    default: return nullptr;
    }
}

QTreeWidgetItem* TTreeCommands::Selected() const
{
    return m_tree->Tree()->currentItem();
}

TObjectRef TTreeCommands::RefOf(const QTreeWidgetItem* node)
{
    TObjectRef ref;
    if (!node)
        return ref;
    ref.DBId = TMainTree::NodeEntryId(node);
    const int index = TMainTree::NodeEntryIndex(node);
    ref.Database = index >= 0 ? DBList->GetDatabase(index) : nullptr;
    ref.Category = TMainTree::NodeCategory(node);
    ref.Name = TMainTree::NodeObjectName(node);
    ref.Node = const_cast<QTreeWidgetItem*>(node);
    return ref;
}

void TTreeCommands::UpdateItems()
{
    const QTreeWidgetItem* node = Selected();
    const TObjectOpeners& openers = TObjectOpeners::Instance();
    const TNodeKind kind = node ? TMainTree::NodeKind(node) : TNodeKind::Placeholder;
    const int category = node ? TMainTree::NodeCategory(node) : -1;
    const bool isObject = kind == TNodeKind::Object;
    const bool isTableOrView = isObject && (category == catTables || category == catViews);
    NewObject1->setEnabled(openers.HasNew(category));
    Createtable2->setEnabled(openers.HasNew(category));
    Edittable1->setEnabled(isObject && openers.HasEdit(category));
    Drop1->setEnabled(isObject);
    SetDescription2->setEnabled(isObject);
    PMDataView->setEnabled(isTableOrView && openers.HasTool(TToolCommand::DataView));
    DependenciesBtn->setEnabled(isObject && openers.HasTool(TToolCommand::Dependencies));
    if (!MainForm)
        return;
    MainForm->EnableCommand(MainForm->CreateDBobject1, openers.HasNew(category));
    MainForm->EnableCommand(MainForm->EditDBObject1, isObject && openers.HasEdit(category));
    MainForm->EnableCommand(MainForm->DropDBObject1, isObject);
}

QMenu* TTreeCommands::PopupMenu(QTreeWidgetItem* node, const QPoint& globalPos)
{
    QMenu* menu = node ? MenuOfLevel(TMainTree::NodeLevel(node)) : nullptr;
    if (!menu || TMainTree::NodeKind(node) == TNodeKind::Placeholder)
        return nullptr;
    UpdateItems();
    menu->popup(globalPos);
    return menu;
}

void TTreeCommands::Createtable2Click()
{
    QTreeWidgetItem* node = Selected();
    const int level = node ? TMainTree::NodeLevel(node) : -1;
    if (level != 2 && level != 3)
        return;
    QTreeWidgetItem* categoryNode = level == 3 ? node->parent() : node;
    if (TMainTree::NodeKind(categoryNode) != TNodeKind::Category)
        return;
    TObjectRef ref = RefOf(categoryNode);
    TObjectOpeners::Instance().OpenNew(ref);
}

void TTreeCommands::Edittable1Click()
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeKind(node) != TNodeKind::Object)
        return;
    const TObjectRef ref = RefOf(node);
    if (!TObjectOpeners::Instance().HasEdit(ref.Category))
        return;
    if (QWidget* open = FindObjectWindow(ref.DBId, ref.Category, ref.Name)) {
        BringForward(open);
        return;
    }
    TObjectOpeners::Instance().OpenEdit(ref);
}

bool TTreeCommands::Drop1Click()
{
    return DropObject(Selected());
}

bool TTreeCommands::DropObject(QTreeWidgetItem* node)
{
    if (!node || TMainTree::NodeKind(node) != TNodeKind::Object || !DM)
        return false;
    const TObjectRef ref = RefOf(node);
    if (!ref.Database || !ref.Database->Connected() || !validCategory(ref.Category))
        return false;
    if (qv::messageDlg(DropQuestion(ref.Category), qv::mtWarning, qv::mbYesNo) != qv::mrYes)
        return false;
    try {
        TQvQuery* query = DM->Query();
        if (query->Open())
            query->Close();
        query->SetDatabase(ref.Database);
        TQvTransactionScope transaction(DM->IBTran());
        query->SetSQLText(DropStatement(ref.Category, ref.Name, ref.Database->SQLDialect()));
        query->ExecQuery();
        transaction.Commit();
    } catch (const EQvError& error) {
        qv::messageDlg(m_tree, error.Message(), qv::mtError, qv::mbOK);
        return false;
    } catch (const std::exception& error) {
        qv::messageDlg(m_tree, QString::fromUtf8(error.what()), qv::mtError, qv::mbOK);
        return false;
    }
    m_tree->RemoveObjectNode(node);
    return true;
}

bool TTreeCommands::RunTool(TToolCommand tool, const TObjectRef& ref)
{
    return TObjectOpeners::Instance().OpenTool(tool, ref);
}

void TTreeCommands::PMDataViewClick()
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeKind(node) != TNodeKind::Object)
        return;
    const TObjectRef ref = RefOf(node);
    if (ref.Category != catTables && ref.Category != catViews)
        return;
    if (!TObjectOpeners::Instance().HasTool(TToolCommand::DataView))
        return;
    if (QWidget* open = FindObjectWindow(ref.DBId, wkDataView, ref.Name)) {
        BringForward(open);
        return;
    }
    RunTool(TToolCommand::DataView, ref);
}

void TTreeCommands::DependenciesBtnClick()
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeKind(node) != TNodeKind::Object)
        return;
    m_tree->HideHint();
    RunTool(TToolCommand::Dependencies, RefOf(node));
}

void TTreeCommands::ExtractClick()
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeLevel(node) < 1 || !TObjectOpeners::Instance().HasTool(TToolCommand::Extract))
        return;
    if (TMainTree::NodeLevel(node) == 1 && !TMainTree::NodeData(node)) {
        if (!m_tree->ConnectEntry(TMainTree::NodeEntryId(node)))
            return;
        node->setExpanded(false);
    }
    m_tree->HideHint();
    RunTool(TToolCommand::Extract, RefOf(node));
}

void TTreeCommands::RunScriptClick()
{
    RunTool(TToolCommand::RunScript, RefOf(Selected()));
}

void TTreeCommands::SQLEditorClick()
{
    RunTool(TToolCommand::SQLEditor, RefOf(Selected()));
}

void TTreeCommands::DatabaseProperties1Click()
{
    const TObjectRef ref = RefOf(Selected());
    if (!ref.Database || !ref.Database->Connected()) {
        qv::messageDlg(QStringLiteral("Database is not opened !"), qv::mtError, qv::mbOK);
        return;
    }
    TDBProperties dialog(*ref.Database, m_tree);
    qv::showModal(dialog);
}

void TTreeCommands::OpenSelectedObject()
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeKind(node) != TNodeKind::Object)
        return;
    if (TMainTree::NodeCategory(node) == catTables)
        PMDataViewClick();
    else
        Edittable1Click();
}

bool TTreeCommands::TreeKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    QTreeWidgetItem* node = Selected();
    const int level = node ? TMainTree::NodeLevel(node) : -1;
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier && level == 3) {
        OpenSelectedObject();
        return true;
    }
    if (key == Qt::Key_Insert && mods == Qt::ControlModifier) {
        if (node) {
            QLineEdit* edit = m_tree->TmpEdit();
            edit->setText(node->text(0));
            edit->selectAll();
            edit->copy();
        }
        return true;
    }
    if (mods == Qt::ShiftModifier && (key == Qt::Key_Insert || key == Qt::Key_Delete)) {
        if (MainForm) {
            if (key == Qt::Key_Insert)
                MainForm->CreatedatabaseBtnClick();
            else
                MainForm->DropdatabaseBtnClick();
        }
        return true;
    }
    if (mods != Qt::NoModifier || (key != Qt::Key_Insert && key != Qt::Key_Delete))
        return false;
    if (level == 1 && MainForm) {
        if (key == Qt::Key_Insert)
            MainForm->Registerdatabase1Click();
        else
            MainForm->UnregisterDatabase1Click();
        return true;
    }
    if (level == 3 && key == Qt::Key_Delete) {
        Drop1Click();
        return true;
    }
    if ((level == 2 || level == 3) && key == Qt::Key_Insert) {
        Createtable2Click();
        return true;
    }
    // Nothing for a category node's Del: it is no object to drop.
    return level == 2;
}

void TTreeCommands::TreeDblClick(const QPoint& position)
{
    QTreeWidgetItem* node = Selected();
    if (!node || TMainTree::NodeLevel(node) != 3)
        return;
    if (m_tree->Tree()->itemAt(position) != node)
        return;
    OpenSelectedObject();
}

void TTreeCommands::TreeMouseUp(Qt::MouseButton button, const QPoint& position)
{
    if (button != Qt::RightButton)
        return;
    QTreeWidget* tree = m_tree->Tree();
    QTreeWidgetItem* node = tree->itemAt(position);
    if (!node || TMainTree::NodeLevel(node) < 1)
        return;
    tree->setCurrentItem(node);
    PopupMenu(node, tree->viewport()->mapToGlobal(position));
}

bool TTreeCommands::eventFilter(QObject* watched, QEvent* event)
{
    QTreeWidget* tree = m_tree->Tree();
    if (watched == tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (TreeKeyDown(key->key(), key->modifiers()))
            return true;
    } else if (watched == tree->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_mouseDown = static_cast<QMouseEvent*>(event)->position().toPoint();
            break;
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_mouseDown = mouse->position().toPoint();
                QTreeWidgetItem* node = tree->itemAt(m_mouseDown);
                if (node && TMainTree::NodeLevel(node) == 3) {
                    tree->setCurrentItem(node);
                    TreeDblClick(m_mouseDown);
                    return true;
                }
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            TreeMouseUp(mouse->button(), mouse->position().toPoint());
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
