#pragma once

// The tree window "Databases and Database Objects": the registered
// databases, below each connected one its eight categories, below each
// filled category its objects. Expanding a database connects it; expanding a
// category lists its objects from the system tables. The window keeps the
// objects' descriptions, keeps the main window's menus and status line in
// step with the selection, and closes every connection when it goes.

#include <QHash>
#include <QPair>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TFormPlacement;
class TQvDatabase;
class TTreeCommands;

// The eight categories of objects below a connected database, in the order
// of the shared table of category names (CategoryNames).
enum TCategory : int {
    catTables,
    catViews,
    catProcedures,
    catTriggers,
    catDomains,
    catGenerators,
    catFunctions,
    catExceptions,
};

enum class TNodeKind { Top, Database, Category, Object, Placeholder };

class TMainTree : public QWidget
{
    Q_OBJECT
public:
    explicit TMainTree(QWidget* parent = nullptr);
    // Commits and closes every connection the tree made, then frees them.
    ~TMainTree() override;

    QTreeWidget* Tree() const { return m_tree; }
    QTreeWidgetItem* TopNode() const { return m_topNode; }
    QLineEdit* TmpEdit() const { return m_tmpEdit; }
    TFormPlacement* FormPl() const { return m_formPl; }
    // The hint window of description mode 3.
    QLabel* HintWindow() const { return m_hint; }
    // The pop-up menus, keys and object commands.
    TTreeCommands* Commands() const { return m_commands; }

    // 0 the top node, 1 a database, 2 a category, 3 an object.
    static int NodeLevel(const QTreeWidgetItem* node);
    // The node's data: loaded (connected, or filled) or not.
    static bool NodeData(const QTreeWidgetItem* node);
    static void SetNodeData(QTreeWidgetItem* node, bool loaded);
    static void SetNodeImage(QTreeWidgetItem* node, int image);
    static int NodeImage(const QTreeWidgetItem* node);
    // Adds the "---" child that gives a node its expand button.
    static void AddPlaceholder(QTreeWidgetItem* node);

    // What a node stands for. Every node carries its identity as item data,
    // never read back from its caption: a database node its registration's
    // identity (TDBList::GetId), a category node its category, an object
    // node the object's exact name; the nodes below a database take its
    // registration from it, an object its category from its parent.
    static TNodeKind NodeKind(const QTreeWidgetItem* node);
    // The registration of a database, category or object node; 0 for the top
    // node and for none.
    static quint64 NodeEntryId(const QTreeWidgetItem* node);
    // Its index in DBList now, -1 when it is gone (or for the top node).
    static int NodeEntryIndex(const QTreeWidgetItem* node);
    // The category of a category or object node, else -1.
    static int NodeCategory(const QTreeWidgetItem* node);
    // The exact name of an object node (whatever its caption shows beside
    // it), else "".
    static QString NodeObjectName(const QTreeWidgetItem* node);

    // A database node under the top node for the registration at index:
    // its name as caption, image 2, not connected, placeholder.
    QTreeWidgetItem* AddDatabaseNode(int index);
    // The database node of a registration, or none.
    QTreeWidgetItem* DatabaseNodeOf(quint64 entryId) const;
    // The category node of a registration, or none (none until connected).
    QTreeWidgetItem* CategoryNodeOf(quint64 entryId, int category) const;
    // An object node added under a filled category node, with its image.
    static QTreeWidgetItem* AddObjectNode(QTreeWidgetItem* categoryNode, const QString& name);
    // The level-1 ancestor of a node (itself at level 1), or none.
    static QTreeWidgetItem* DatabaseNode(const QTreeWidgetItem* node);
    // 1 + the list index of the node's database (0 when it is not registered).
    int GetNodeDBNumber(const QTreeWidgetItem* node) const;
    // The stable identity of the node's database entry (TDBList::GetId), 0 when none.
    quint64 GetNodeDBId(const QTreeWidgetItem* node) const { return NodeEntryId(node); }

    void ReadDescriptionMode();
    bool CommentInText() const { return m_commentInText; }
    bool CommentInStatus() const { return m_commentInStatus; }
    void AddCategoryNodes(QTreeWidgetItem* databaseNode);
    void FillObjectNames(int index);

    // The expansion handler: connects a database node, fills a category
    // node; false refuses the expansion. Errors are raised to the caller.
    bool TreeExpanding(QTreeWidgetItem* node);
    // Connects the database of a level-1 node; false when the user gave up
    // or the connection failed (the message was shown).
    bool ConnectDatabase(QTreeWidgetItem* node);
    // Connects a registration's database as expanding its node does (the
    // node expands); true when it is connected afterwards.
    bool ConnectEntry(quint64 entryId);
    // Lists the objects of a category node from the system tables.
    void FillCategory(QTreeWidgetItem* node);
    // Returns a category node (or an object's category) to "not filled" and
    // expands it again, which lists it anew.
    void RefreshCategory(QTreeWidgetItem* node);
    // Removes an object node (its object is gone) with its description and link word.
    void RemoveObjectNode(QTreeWidgetItem* node);
    // Ends a registration's connection: its transactions committed (rolled
    // back when the commit fails) and removed, out of the shared transaction,
    // detached; the node collapses, keeps its children and connects anew on
    // its next expansion. With freeConnection the connection object goes too.
    void CloseEntryConnection(quint64 entryId, bool freeConnection);
    // Frees a registration's connection object; the shared statement and
    // dataset let go of it first and keep their transaction.
    static void FreeEntryConnection(quint64 entryId);

    // The selection handler.
    void TreeChange(QTreeWidgetItem* node);
    // The stored description of an object node, "" when none.
    QString NodeDescription(const QTreeWidgetItem* node) const;
    // Replaces the stored description of an object node.
    void SetNodeDescription(const QTreeWidgetItem* node, const QString& description);

    void FormShow();
    // "Set description" on the selected object node.
    void SetDescriptionMenuClick();
    void HideHint();
    // The tree window became (or stopped being) the active child window.
    void SetActiveChild(bool active);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnItemExpanded(QTreeWidgetItem* node);
    void OnItemCollapsed(QTreeWidgetItem* node);
    void CollapseQuietly(QTreeWidgetItem* node);
    void CloseConnections() noexcept;
    static void Disconnect(TQvDatabase* database) noexcept;
    // A connection the tree made was lost and dropped (the sender).
    void DatabaseConnectionLost();
    void ShowHint(QTreeWidgetItem* node, const QString& description);

    using DescriptionKey = QPair<quint64, int>;   // database entry, category

    QTreeWidget* m_tree;
    QTreeWidgetItem* m_topNode;
    QLineEdit* m_tmpEdit;
    TFormPlacement* m_formPl;
    QLabel* m_hint;
    TTreeCommands* m_commands = nullptr;
    bool m_commentInText = false;
    bool m_commentInStatus = false;
    bool m_quietCollapse = false;
    // Per database and category: bare object name -> description.
    QHash<DescriptionKey, QHash<QString, QString>> m_descriptions;
};

extern TMainTree* MainTree;

// The catalog select a category's objects are listed by.
QString TreeCategoryQuery(int category);
