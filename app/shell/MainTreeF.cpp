#include "app/shell/MainTreeF.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/GetDBPasswd.h"
#include "app/shell/Main.h"
#include "app/shell/MyConst.h"
#include "app/shell/NewDesc.h"
#include "app/shell/Options.h"
#include "access/QvTransactionScope.h"
#include "app/shell/ShellImages.h"
#include "app/shell/ShowDesc.h"
#include "app/shell/TreeCommands.h"
#include "app/shell/TreeRowDelegate.h"
#include "components/FormPlacement.h"
#include "components/StrUtils.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

TMainTree* MainTree = nullptr;

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
// The identities: a database node's registration, a category node's
// category, an object node's exact name.
constexpr int kEntryRole = Qt::UserRole + 2;
constexpr int kCategoryRole = Qt::UserRole + 3;
constexpr int kNameRole = Qt::UserRole + 4;

const QString kPlaceholder = QStringLiteral("---");
const QString kCommentPrefix = QStringLiteral("       (Comment: ");

struct CategoryQuery
{
    const char* sql;
    const char* nameColumn;
    int image;
};

// Each query reads RDB$SYSTEM_FLAG: the catalog, not a part of a name, tells
// a system object.
const CategoryQuery kCategoryQueries[CategoryCount] = {
    {"select t.rdb$DBkey_length,t.RDB$RELATION_NAME,rdb$description,rdb$system_flag from rdb$relations t where "
     "rdb$relation_name not in (select rdb$view_name from rdb$view_relations) order by rdb$relation_name",
     "RDB$RELATION_NAME", tiTable},
    {"select rdb$relation_name,rdb$system_flag from rdb$relations where rdb$view_blr is not null "
     "order by rdb$relation_name",
     "RDB$RELATION_NAME", tiView},
    // A package's procedures and functions belong to the package, not here.
    {"select rdb$procedure_name,rdb$description,rdb$system_flag from rdb$procedures where rdb$package_name is null "
     "order by rdb$procedure_name",
     "RDB$PROCEDURE_NAME", tiProcedure},
    // Not "select *": on Firebird 3 RDB$TRIGGER_TYPE is BIGINT, and the type
    // suffix needs it as an integer. Whether a trigger's source begins with
    // "check" is answered by the server, so that no source is read row by row.
    {"select rdb$trigger_name,rdb$relation_name,cast(rdb$trigger_type as integer) as rdb$trigger_type,"
     "iif(upper(rdb$trigger_source) starting with 'CHECK',1,0) as check_source,rdb$description,"
     "rdb$system_flag from rdb$triggers order by rdb$trigger_name",
     "RDB$TRIGGER_NAME", tiTrigger},
    {"select rdb$field_name,rdb$description,rdb$system_flag from rdb$fields order by rdb$field_name",
     "RDB$FIELD_NAME", tiDomain},
    {"select * from rdb$generators order by rdb$generator_name", "RDB$GENERATOR_NAME", tiGenerator},
    {"select rdb$function_name,rdb$description,rdb$system_flag from rdb$functions where rdb$package_name is null "
     "order by rdb$function_name",
     "RDB$FUNCTION_NAME", tiFunction},
    {"select rdb$exception_name,rdb$description,rdb$system_flag from rdb$exceptions order by rdb$exception_name",
     "RDB$EXCEPTION_NAME", tiException},
};

// An object node: its name, caption and image are its own, not values
// stored in the item, which makes a category of thousands quick to fill and
// to empty. A caption set later (a comment, a trigger's type) is stored as usual.
class TObjectNode : public QTreeWidgetItem
{
public:
    TObjectNode(const QString& name, int image)
        : QTreeWidgetItem(UserType + image)
        , m_name(name)
    {
    }

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole: {
                const QVariant caption = QTreeWidgetItem::data(column, role);
                return caption.isValid() ? caption : QVariant(m_name);
            }
            case Qt::DecorationRole: {
                const QVariant icon = QTreeWidgetItem::data(column, role);
                return icon.isValid() ? icon : QVariant(TreeImageList().at(type() - UserType));
            }
            case kNameRole:
                return m_name;
            default:
                break;
            }
        }
        return QTreeWidgetItem::data(column, role);
    }

private:
    const QString m_name;
};

QString triggerTypeText(int type)
{
    switch (type) {
    case 1: return QStringLiteral("  BEFORE INSERT]");
    case 2: return QStringLiteral("  AFTER INSERT]");
    case 3: return QStringLiteral("  BEFORE UPDATE]");
    case 4: return QStringLiteral("  AFTER UPDATE]");
    case 5: return QStringLiteral("  BEFORE DELETE]");
    case 6: return QStringLiteral("  AFTER DELETE]");
    default: return {};
    }
}

// A description on one line: every line break becomes two blanks.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    text.replace(QLatin1Char('\n'), QStringLiteral("  "));
    text.replace(QLatin1Char('\r'), QStringLiteral("  "));
    return text;
}

// Object nodes made while a category is read: freed unless handed to the tree.
class PendingNodes
{
public:
    PendingNodes() = default;
    ~PendingNodes() { qDeleteAll(m_items); }
    PendingNodes(const PendingNodes&) = delete;
    PendingNodes& operator=(const PendingNodes&) = delete;

    void Add(const QString& name, const QString& text, int image)
    {
        auto* item = new TObjectNode(name, image);
        if (text != name)
            item->setText(0, text);
        m_items.append(item);
    }
    QList<QTreeWidgetItem*> Release() { return std::exchange(m_items, {}); }

private:
    QList<QTreeWidgetItem*> m_items;
};

// Reads one category's objects from the system tables: the nodes to add and
// each object's description. The one place the category queries run.
void ReadCategory(int category, TQvDatabase* database, bool commentInText, PendingNodes& nodes,
                  QHash<QString, QString>& descriptions)
{
    const CategoryQuery& spec = kCategoryQueries[category];
    const TOptions& options = Options();
    TCatalogQuery rows(*DM->Query(), database, QString::fromLatin1(spec.sql));
    const int nameColumn = rows.Column(QString::fromLatin1(spec.nameColumn));
    const int descriptionColumn = rows.Column(QStringLiteral("RDB$DESCRIPTION"));
    const int dbkeyColumn = rows.Column(QStringLiteral("RDB$DBKEY_LENGTH"));
    const int flagColumn = rows.Column(QStringLiteral("RDB$SYSTEM_FLAG"));
    const int checkColumn = rows.Column(QStringLiteral("CHECK_SOURCE"));
    const int relationColumn = rows.Column(QStringLiteral("RDB$RELATION_NAME"));
    const int typeColumn = rows.Column(QStringLiteral("RDB$TRIGGER_TYPE"));
    const bool withDescription = category != catViews && category != catGenerators;
    // System tables are listed when the option asks for them; no other system object ever is.
    const bool withSystem = category == catTables && options.ShowSystemTables;

    for (; !rows.Eof(); rows.Next()) {
        if (!withSystem && rows.Integer(flagColumn) >= 1)
            continue;
        const QString name = rows.Name(nameColumn);
        switch (category) {
        case catTables:
            if (rows.Integer(dbkeyColumn) != 8)
                continue;
            break;
        case catTriggers:
            // Check constraints' triggers.
            if (rows.Integer(checkColumn) != 0)
                continue;
            break;
        case catDomains:
            if (QvTypes::IsImplicitDomain(name))
                continue;
            break;
        default:
            break;
        }
        if (!withDescription) {
            nodes.Add(name, name, spec.image);
            continue;
        }
        QString text = name;
        const QString description =
            rows.IsNull(descriptionColumn) ? QString() : oneLine(rows.Text(descriptionColumn));
        if (category == catTriggers && options.ShowTriggerType)
            text += QStringLiteral("       [Table: ") + rows.Text(relationColumn).trimmed()
                + triggerTypeText(rows.Integer(typeColumn));
        if (!description.isEmpty()) {
            descriptions.insert(name, description);
            if (commentInText)
                text += kCommentPrefix + description + QLatin1Char(')');
        }
        nodes.Add(name, text, spec.image);
    }
}

// Turns repainting off while many nodes change.
class UpdatesOff
{
public:
    explicit UpdatesOff(QWidget* widget) : m_widget(widget), m_was(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { m_widget->setUpdatesEnabled(m_was); }
    UpdatesOff(const UpdatesOff&) = delete;
    UpdatesOff& operator=(const UpdatesOff&) = delete;

private:
    QWidget* m_widget;
    bool m_was;
};

} // namespace

QString TreeCategoryQuery(int category)
{
    return QString::fromLatin1(kCategoryQueries[category].sql);
}

TMainTree::TMainTree(QWidget* parent)
    : QWidget(parent)
    , m_tree(new QTreeWidget(this))
    , m_topNode(new QTreeWidgetItem(QStringList(QStringLiteral("Registered databases"))))
    , m_tmpEdit(new QLineEdit(this))
    , m_formPl(new TFormPlacement(this))
    , m_hint(new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint))
{
    setObjectName(QStringLiteral("MainTree"));
    setWindowTitle(QStringLiteral("Databases and Database Objects"));
    setWindowIcon(TreeImageList().at(tiDatabase));

    m_tree->setObjectName(QStringLiteral("Tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setIndentation(19);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setExpandsOnDoubleClick(true);
    m_tree->setItemDelegate(new TTreeRowDelegate(m_tree));
    m_tree->addTopLevelItem(m_topNode);
    SetNodeImage(m_topNode, tiTop);
    m_tree->installEventFilter(this);

    m_tmpEdit->setObjectName(QStringLiteral("TmpEdit"));
    m_tmpEdit->hide();
    m_formPl->setObjectName(QStringLiteral("FormPl"));
    m_formPl->SetIniFileName(kFormPlacementsKey);

    m_hint->setObjectName(QStringLiteral("HintWindow"));
    m_hint->setWordWrap(true);
    m_hint->setMargin(3);
    m_hint->setFrameShape(QFrame::Box);
    m_hint->setAutoFillBackground(true);
    m_hint->setPalette(QToolTip::palette());
    m_hint->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    resize(300, 460);

    m_commands = new TTreeCommands(this);

    connect(m_tree, &QTreeWidget::itemExpanded, this, &TMainTree::OnItemExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &TMainTree::OnItemCollapsed);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeChange(current); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            HideHint();
    });
}

TMainTree::~TMainTree()
{
    // Its filters must not see the tree's own widgets go.
    delete std::exchange(m_commands, nullptr);
    CloseConnections();
    // Connections still among the children go with the window, which must not hear of them then.
    for (TQvDatabase* database : findChildren<TQvDatabase*>(Qt::FindDirectChildrenOnly))
        database->disconnect(this);
    if (MainTree == this)
        MainTree = nullptr;
}

int TMainTree::NodeLevel(const QTreeWidgetItem* node)
{
    int level = -1;
    for (; node; node = node->parent())
        ++level;
    return level;
}

bool TMainTree::NodeData(const QTreeWidgetItem* node)
{
    return node->data(0, kDataRole).toBool();
}

void TMainTree::SetNodeData(QTreeWidgetItem* node, bool loaded)
{
    node->setData(0, kDataRole, loaded ? QVariant(true) : QVariant());
}

void TMainTree::SetNodeImage(QTreeWidgetItem* node, int image)
{
    node->setIcon(0, TreeImageList().at(image));
    node->setData(0, kImageRole, image);
}

int TMainTree::NodeImage(const QTreeWidgetItem* node)
{
    const QVariant image = node->data(0, kImageRole);
    if (image.isValid())
        return image.toInt();
    return node->type() >= QTreeWidgetItem::UserType ? node->type() - QTreeWidgetItem::UserType : -1;
}

void TMainTree::AddPlaceholder(QTreeWidgetItem* node)
{
    node->addChild(new QTreeWidgetItem(QStringList(kPlaceholder)));
}

TNodeKind TMainTree::NodeKind(const QTreeWidgetItem* node)
{
    switch (NodeLevel(node)) {
    case 0:
        return TNodeKind::Top;
    case 1:
        return node->data(0, kEntryRole).isValid() ? TNodeKind::Database : TNodeKind::Placeholder;
    case 2:
        return node->data(0, kCategoryRole).isValid() ? TNodeKind::Category : TNodeKind::Placeholder;
    case 3:
        return node->data(0, kNameRole).isValid() ? TNodeKind::Object : TNodeKind::Placeholder;
    default:
        return TNodeKind::Placeholder;
    }
}

quint64 TMainTree::NodeEntryId(const QTreeWidgetItem* node)
{
    const QTreeWidgetItem* database = DatabaseNode(node);
    return database ? database->data(0, kEntryRole).toULongLong() : 0;
}

int TMainTree::NodeEntryIndex(const QTreeWidgetItem* node)
{
    const quint64 id = NodeEntryId(node);
    return id != 0 && DBList ? DBList->IndexOfId(id) : -1;
}

int TMainTree::NodeCategory(const QTreeWidgetItem* node)
{
    const int level = NodeLevel(node);
    const QTreeWidgetItem* category = level == 3 ? node->parent() : level == 2 ? node : nullptr;
    const QVariant value = category ? category->data(0, kCategoryRole) : QVariant();
    return value.isValid() ? value.toInt() : -1;
}

QString TMainTree::NodeObjectName(const QTreeWidgetItem* node)
{
    return NodeLevel(node) == 3 ? node->data(0, kNameRole).toString() : QString();
}

QTreeWidgetItem* TMainTree::AddDatabaseNode(int index)
{
    auto* node = new QTreeWidgetItem(QStringList(DBList->GetName(index)));
    node->setData(0, kEntryRole, DBList->GetId(index));
    SetNodeImage(node, tiDatabase);
    AddPlaceholder(node);
    m_topNode->addChild(node);
    return node;
}

QTreeWidgetItem* TMainTree::DatabaseNodeOf(quint64 entryId) const
{
    for (int i = 0; i < m_topNode->childCount(); ++i) {
        QTreeWidgetItem* node = m_topNode->child(i);
        if (node->data(0, kEntryRole).toULongLong() == entryId)
            return node;
    }
    return nullptr;
}

QTreeWidgetItem* TMainTree::CategoryNodeOf(quint64 entryId, int category) const
{
    QTreeWidgetItem* database = DatabaseNodeOf(entryId);
    for (int i = 0; database && i < database->childCount(); ++i) {
        QTreeWidgetItem* node = database->child(i);
        if (NodeKind(node) == TNodeKind::Category && NodeCategory(node) == category)
            return node;
    }
    return nullptr;
}

QTreeWidgetItem* TMainTree::AddObjectNode(QTreeWidgetItem* categoryNode, const QString& name)
{
    const int category = NodeCategory(categoryNode);
    if (NodeLevel(categoryNode) != 2 || category < 0)
        return nullptr;
    auto* item = new TObjectNode(name, kCategoryQueries[category].image);
    categoryNode->addChild(item);
    return item;
}

QTreeWidgetItem* TMainTree::DatabaseNode(const QTreeWidgetItem* node)
{
    int level = NodeLevel(node);
    if (level < 1)
        return nullptr;
    auto* current = const_cast<QTreeWidgetItem*>(node);
    for (; level > 1; --level)
        current = current->parent();
    return current;
}

int TMainTree::GetNodeDBNumber(const QTreeWidgetItem* node) const
{
    return 1 + NodeEntryIndex(node);
}

void TMainTree::ReadDescriptionMode()
{
    m_commentInText = Options().ShowDescription == 1;
    m_commentInStatus = Options().ShowDescription == 2;
}

void TMainTree::AddCategoryNodes(QTreeWidgetItem* databaseNode)
{
    for (int i = 0; i < CategoryCount; ++i) {
        auto* category = new QTreeWidgetItem(QStringList(CategoryNames[i]));
        category->setData(0, kCategoryRole, i);
        SetNodeImage(category, tiCategory);
        AddPlaceholder(category);
        databaseNode->addChild(category);
    }
}

void TMainTree::FillObjectNames(int index)
{
    // The tables, views and procedures as their categories read them.
    static const struct
    {
        int category;
        int kind;
    } kLists[] = {{catTables, okTable}, {catViews, okView}, {catProcedures, okProcedure}};
    TQvDatabase* database = DBList->GetDatabase(index);
    DM->Query()->SetDatabase(database);
    DM->IBTran()->SetDefaultDatabase(database);
    TDBObjectNames names;
    TQvTransactionScope transaction(DM->IBTran());
    for (const auto& list : kLists) {
        const CategoryQuery& spec = kCategoryQueries[list.category];
        TCatalogQuery rows(*DM->Query(), database, QString::fromLatin1(spec.sql));
        const int column = rows.Column(QString::fromLatin1(spec.nameColumn));
        const int flagColumn = rows.Column(QStringLiteral("RDB$SYSTEM_FLAG"));
        for (; !rows.Eof(); rows.Next()) {
            if (rows.Integer(flagColumn) < 1)
                names.push_back({rows.Name(column), list.kind});
        }
    }
    transaction.Commit();
    // A second connect in one run replaces the names instead of repeating them.
    DBList->GetObjectNames(index) = std::move(names);
}

bool TMainTree::TreeExpanding(QTreeWidgetItem* node)
{
    const int level = NodeLevel(node);
    if (level == 1 && !NodeData(node))
        return ConnectDatabase(node);
    if (level == 2 && !NodeData(node) && NodeCategory(node) >= 0) {
        FillCategory(node);
        return true;
    }
    return true;
}

bool TMainTree::ConnectDatabase(QTreeWidgetItem* node)
{
    const quint64 id = NodeEntryId(node);
    int index = NodeEntryIndex(node);
    if (index < 0)
        return false;
    TQvDatabase* database = DBList->GetDatabase(index);
    if (!database)
        database = new TQvDatabase(this);
    database->DropLostConnection();
    auto discard = [&] {
        for (int i = 0; i < DBList->Count(); ++i)
            if (DBList->GetDatabase(i) == database)
                DBList->SetDatabase(i, nullptr);
        delete database;
    };

    for (;;) {
        QStringList params;
        database->SetDBName(DBList->GetPath(index));
        params << QStringLiteral("isc_dpb_user_name=") + DBList->GetUser(index);
        const QString stored = DBList->GetPassword(index);
        if (!stored.isEmpty()) {
            params << QStringLiteral("isc_dpb_password=") + stored;
        } else {
            if (!GetDBPasswd || qv::showModal(*GetDBPasswd) != qv::mrOk) {
                discard();
                return false;
            }
            const QString typed = GetDBPasswd->Passwd()->text();
            params << QStringLiteral("isc_dpb_password=") + typed;
            if (GetDBPasswd->RemPasswd()->isChecked())
                DBList->SetPassword(index, typed);
        }
        const QString charset = DBList->GetCharset(index);
        if (!charset.isEmpty() && charset != QLatin1String("NONE"))
            params << QStringLiteral("isc_dpb_lc_ctype=") + charset;
        try {
            if (!database->Connected()) {
                database->SetDBParams(params);
                database->Open();
            }
            break;
        } catch (const EQvError& error) {
            if (error.SQLCode() != -902) {
                qv::showMessage(error.Message());
                discard();
                return false;
            }
            // The server's reason first, then the chance to correct the registration.
            qv::showMessage(error.Message());
            if (!MainForm || !MainForm->EditRegistration(id)) {
                discard();
                return false;
            }
            index = DBList->IndexOfId(id);
            if (index < 0) {
                discard();
                return false;
            }
        }
    }

    DBList->SetDatabase(index, database);
    connect(database, &TQvDatabase::OnConnectionLost, this, &TMainTree::DatabaseConnectionLost,
            Qt::UniqueConnection);
    {
        UpdatesOff updates(m_tree);
        qDeleteAll(node->takeChildren());
        AddCategoryNodes(node);
    }
    if (DM->IBTran()->FindDatabase(database) < 0)
        DM->IBTran()->AddDatabase(database);
    SetNodeData(node, true);
    try {
        FillObjectNames(index);
    } catch (const EQvError& error) {
        // The connection stands; only the link words are missing.
        qv::showException(error.Message());
    }
    return true;
}

bool TMainTree::ConnectEntry(quint64 entryId)
{
    QTreeWidgetItem* node = DatabaseNodeOf(entryId);
    if (!node)
        return false;
    if (!NodeData(node)) {
        CollapseQuietly(node);
        node->setExpanded(true);
    }
    const int index = DBList ? DBList->IndexOfId(entryId) : -1;
    TQvDatabase* database = index >= 0 ? DBList->GetDatabase(index) : nullptr;
    return NodeData(node) && database && database->Connected();
}

void TMainTree::FillCategory(QTreeWidgetItem* node)
{
    const int category = NodeCategory(node);
    if (category < 0)
        return;
    qv::BusyGuard busy(this);
    if (!busy.acquired())
        return;
    SetNodeData(node, true);
    const int number = GetNodeDBNumber(node);
    TQvDatabase* database = number > 0 ? DBList->GetDatabase(number - 1) : nullptr;
    const quint64 id = number > 0 ? DBList->GetId(number - 1) : 0;

    DM->Query()->SetDatabase(database);
    // The tree is painted once, filled; the messages let through before the
    // query (the wait cursor shown) do not paint it half done. Only the rows
    // wait: the view's frame, and the windows below it, have nothing new to paint.
    UpdatesOff updates(m_tree->viewport());
    std::optional<qv::WaitCursor> wait;
    if (category == catTables) {
        wait.emplace();
        qv::processMessages();
    }

    // The old rows stay until the new ones are read: the view lays the
    // category out once, with what it lists now.
    PendingNodes nodes;
    QHash<QString, QString> descriptions;
    const auto empty = [&] {
        qDeleteAll(node->takeChildren());
        m_descriptions.remove({id, category});
    };
    {
        // The old rows go whether the new ones were read or not.
        const auto emptied = qScopeGuard(empty);
        TQvTransactionScope transaction(DM->IBTran());
        ReadCategory(category, database, m_commentInText, nodes, descriptions);
        transaction.Commit();
    }
    node->addChildren(nodes.Release());
    // Laid out now, so that the rows are painted once, in place, rather than
    // painted and then painted again when the view lays them out late.
    m_tree->doItemsLayout();
    if (!descriptions.isEmpty())
        m_descriptions.insert({id, category}, std::move(descriptions));
}

void TMainTree::RefreshCategory(QTreeWidgetItem* node)
{
    const int level = NodeLevel(node);
    if (level != 2 && level != 3)
        return;
    QTreeWidgetItem* category = level == 3 ? node->parent() : node;
    // Painted once, when listed anew: not emptied first.
    UpdatesOff updates(m_tree->viewport());
    SetNodeData(category, false);
    if (category->isExpanded()) {
        // Listed anew as it stands, open: collapsing it first would lay the
        // tree out, and its scroll bar, once more for nothing.
        OnItemExpanded(category);
        return;
    }
    qDeleteAll(category->takeChildren());
    AddPlaceholder(category);
    category->setExpanded(true);
}

void TMainTree::RemoveObjectNode(QTreeWidgetItem* node)
{
    if (NodeKind(node) != TNodeKind::Object)
        return;
    const quint64 id = NodeEntryId(node);
    const int category = NodeCategory(node);
    const QString name = NodeObjectName(node);
    const auto descriptions = m_descriptions.find({id, category});
    if (descriptions != m_descriptions.end())
        descriptions->remove(name);
    const int kind = category == catTables ? okTable
        : category == catViews             ? okView
        : category == catProcedures        ? okProcedure
                                           : 0;
    const int index = NodeEntryIndex(node);
    if (kind != 0 && index >= 0) {
        TDBObjectNames& names = DBList->GetObjectNames(index);
        const auto found = std::find_if(names.begin(), names.end(), [&](const TDBObjectName& entry) {
            return entry.Kind == kind && entry.Name == name;
        });
        if (found != names.end())
            names.erase(found);
    }
    delete node;
}

void TMainTree::CloseEntryConnection(quint64 entryId, bool freeConnection)
{
    const int index = DBList ? DBList->IndexOfId(entryId) : -1;
    if (index < 0)
        return;
    if (QTreeWidgetItem* node = DatabaseNodeOf(entryId)) {
        // Collapsed with every descendant, so the next expansion starts from the top.
        QList<QTreeWidgetItem*> pending{node};
        while (!pending.isEmpty()) {
            QTreeWidgetItem* current = pending.takeLast();
            for (int i = 0; i < current->childCount(); ++i)
                pending << current->child(i);
            CollapseQuietly(current);
        }
        SetNodeData(node, false);
    }
    TQvDatabase* database = DBList->GetDatabase(index);
    if (!database)
        return;
    Disconnect(database);
    if (freeConnection)
        FreeEntryConnection(entryId);
}

void TMainTree::FreeEntryConnection(quint64 entryId)
{
    const int index = DBList ? DBList->IndexOfId(entryId) : -1;
    TQvDatabase* database = index >= 0 ? DBList->GetDatabase(index) : nullptr;
    if (!database)
        return;
    if (DM) {
        if (DM->Query()->Database() == database) {
            if (DM->Query()->Open())
                DM->Query()->Close();
            DM->Query()->SetDatabase(nullptr);
        }
        if (DM->IBDs()->Database() == database) {
            if (DM->IBDs()->Active())
                DM->IBDs()->Close();
            DM->IBDs()->SetDatabase(nullptr);
        }
    }
    DBList->SetDatabase(index, nullptr);
    delete database;
}

void TMainTree::DatabaseConnectionLost()
{
    auto* database = qobject_cast<TQvDatabase*>(sender());
    if (!database)
        return;
    // The shared transaction spans connected databases only.
    if (DM) {
        const int at = DM->IBTran()->FindDatabase(database);
        if (at >= 0 && !DM->IBTran()->Active())
            DM->IBTran()->RemoveDatabase(at);
    }
    for (int i = 0; DBList && i < DBList->Count(); ++i) {
        if (DBList->GetDatabase(i) != database)
            continue;
        // Back to "not connected", children kept: the next expansion connects again.
        if (QTreeWidgetItem* node = DatabaseNodeOf(DBList->GetId(i))) {
            SetNodeData(node, false);
            CollapseQuietly(node);
        }
    }
}

void TMainTree::OnItemExpanded(QTreeWidgetItem* node)
{
    if (m_quietCollapse)
        return;
    bool allowed = false;
    try {
        allowed = TreeExpanding(node);
    } catch (const EQvConnectionLost& error) {
        qv::showException(error.Message());
        // Dropped now, not later: the tree is back to "not connected" at once.
        const int index = NodeEntryIndex(node);
        if (TQvDatabase* database = index >= 0 ? DBList->GetDatabase(index) : nullptr)
            database->DropLostConnection();
    } catch (const EQvError& error) {
        qv::showException(error.Message());
    } catch (const std::exception& error) {
        qv::showException(QString::fromUtf8(error.what()));
    }
    if (!allowed) {
        CollapseQuietly(node);
        return;
    }
    if (NodeLevel(node) == 2) {
        SetNodeImage(node, tiCategoryOpen);
        m_tree->setCurrentItem(node);
    }
}

void TMainTree::OnItemCollapsed(QTreeWidgetItem* node)
{
    if (NodeLevel(node) == 2)
        SetNodeImage(node, tiCategory);
}

void TMainTree::CollapseQuietly(QTreeWidgetItem* node)
{
    const bool was = std::exchange(m_quietCollapse, true);
    node->setExpanded(false);
    m_quietCollapse = was;
}

QString TMainTree::NodeDescription(const QTreeWidgetItem* node) const
{
    if (NodeKind(node) != TNodeKind::Object)
        return {};
    const int category = NodeCategory(node);
    const auto list = m_descriptions.constFind({GetNodeDBId(node), category});
    return list == m_descriptions.cend() ? QString() : list->value(NodeObjectName(node));
}

void TMainTree::SetNodeDescription(const QTreeWidgetItem* node, const QString& description)
{
    if (NodeKind(node) != TNodeKind::Object)
        return;
    const int category = NodeCategory(node);
    m_descriptions[{GetNodeDBId(node), category}].insert(NodeObjectName(node), oneLine(description));
}

void TMainTree::TreeChange(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const int level = NodeLevel(node);
    if (MainForm)
        MainForm->EnableCommand(MainForm->SetDescription1, level >= 3);
    if (m_commands)
        m_commands->UpdateItems();
    HideHint();
    if (level == 3 && MainForm && MainForm->ShowDescriptionsMenu->isChecked()) {
        const QString description = NodeDescription(node);
        if (!m_commentInText && !m_commentInStatus && ShowDesc)
            ShowDesc->Descr()->setText(description);
        if (m_commentInStatus)
            MainForm->SetStatusPanel(1, QStringLiteral("Comment: ") + description);
        if (m_commentInText) {
            const QString word = NodeObjectName(node);
            node->setText(0, description.isEmpty() ? word : word + kCommentPrefix + description + QLatin1Char(')'));
        }
        if (Options().ShowDescription == 3 && !description.isEmpty())
            ShowHint(node, description);
    }
    if (!MainForm)
        return;
    MainForm->ObjectsMenu->menuAction()->setEnabled(level > 1);
    MainForm->DatabasesMenu->menuAction()->setEnabled(level <= 1);
    MainForm->EnableCommand(MainForm->Extractmetadata1, level >= 1);
    if (level >= 1) {
        const int number = GetNodeDBNumber(node);
        if (number > 0)
            MainForm->SetStatusPanel(0, QStringLiteral("Current database: ") + DBList->GetPath(number - 1));
    }
    if (level != 3) {
        MainForm->ToolDataView->setToolTip(QStringLiteral("Data View (Ctlr-D)"));
    } else {
        const int category = NodeCategory(node);
        if (category == catTables)
            MainForm->ToolDataView->setToolTip(QStringLiteral("Data View on table ") + NodeObjectName(node)
                                               + QStringLiteral("  (Ctlr-D)"));
        else if (category == catViews)
            MainForm->ToolDataView->setToolTip(QStringLiteral("Data View on view ") + NodeObjectName(node)
                                               + QStringLiteral("  (Ctlr-D)"));
    }
}

void TMainTree::ShowHint(QTreeWidgetItem* node, const QString& description)
{
    const QRect itemRect = m_tree->visualItemRect(node);
    const int textLeft = itemRect.left() + m_tree->iconSize().width() + 4;
    const QRect bounds = m_hint->fontMetrics().boundingRect(QRect(0, 0, 300, 10000),
                                                            Qt::TextWordWrap, description);
    m_hint->setText(description);
    m_hint->resize(bounds.width() + 2 * m_hint->margin() + 2, bounds.height() + 2 * m_hint->margin() + 2);
    m_hint->move(m_tree->viewport()->mapToGlobal(QPoint(textLeft, itemRect.bottom() + 1)));
    m_hint->show();
}

void TMainTree::SetDescriptionMenuClick()
{
    EditObjectDescription(*this, m_tree->currentItem());
}

void TMainTree::HideHint()
{
    m_hint->hide();
}

void TMainTree::FormShow()
{
    LoadOptions();
    ReadDescriptionMode();
}

void TMainTree::SetActiveChild(bool active)
{
    if (MainForm)
        MainForm->EnableCommand(MainForm->Toolrefresh, active);
    if (!active)
        HideHint();
}

void TMainTree::closeEvent(QCloseEvent* event)
{
    // The tree lives for the whole run: a close by the user only minimizes it.
    if (MainForm && !MainForm->ShuttingDown()) {
        event->ignore();
        if (QMdiSubWindow* sub = MdiSubWindowOf(this))
            sub->showMinimized();
        return;
    }
    HideHint();
    QWidget::closeEvent(event);
}

bool TMainTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::FocusOut)
        HideHint();
    return QWidget::eventFilter(watched, event);
}

void TMainTree::Disconnect(TQvDatabase* database) noexcept
{
    for (TQvTransaction* transaction : database->TransactionList()) {
        if (!transaction->Active())
            continue;
        try {
            transaction->Commit();
        } catch (const std::exception& error) {
            try {
                qv::showException(QString::fromUtf8(error.what()));
                transaction->EndTransaction(TARollback, true);
            } catch (...) {
                // Forced: the handle is gone either way.
            }
        }
    }
    if (DM) {
        const int at = DM->IBTran()->FindDatabase(database);
        if (at >= 0)
            DM->IBTran()->RemoveDatabase(at);
    }
    database->RemoveTransactions();
    try {
        if (database->Connected())
            database->Close();
    } catch (const std::exception&) {
        try {
            database->ForceClose();
        } catch (...) {
        }
    }
}

void TMainTree::CloseConnections() noexcept
{
    if (!DBList)
        return;
    for (int i = 0; i < DBList->Count(); ++i) {
        TQvDatabase* database = DBList->GetDatabase(i);
        if (!database)
            continue;
        Disconnect(database);
        DBList->SetDatabase(i, nullptr);
        delete database;
    }
}
