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

    // 0 the top node, 1 a database, 2 a category, 3 an object.
    static int NodeLevel(const QTreeWidgetItem* node);
    // The node's data: loaded (connected, or filled) or not.
    static bool NodeData(const QTreeWidgetItem* node);
    static void SetNodeData(QTreeWidgetItem* node, bool loaded);
    static void SetNodeImage(QTreeWidgetItem* node, int image);
    static int NodeImage(const QTreeWidgetItem* node);
    // Adds the "---" child that gives a node its expand button.
    static void AddPlaceholder(QTreeWidgetItem* node);
    // The object name of a level-3 node: the first blank-delimited word.
    static QString NodeObjectName(const QTreeWidgetItem* node);

    // A database node under the top node: image 2, not connected, placeholder.
    QTreeWidgetItem* AddDatabaseNode(const QString& name);
    // The level-1 ancestor of a node (itself at level 1), or none.
    static QTreeWidgetItem* DatabaseNode(const QTreeWidgetItem* node);
    // 1 + the list index of the node's database (0 when it is not registered).
    int GetNodeDBNumber(const QTreeWidgetItem* node) const;
    // The stable identity of the node's database entry (TDBList::GetId), 0 when none.
    quint64 GetNodeDBId(const QTreeWidgetItem* node) const;

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
    // Lists the objects of a category node from the system tables.
    void FillCategory(QTreeWidgetItem* node);
    // Returns a category node (or an object's category) to "not filled" and
    // expands it again, which lists it anew.
    void RefreshCategory(QTreeWidgetItem* node);

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
    void ShowHint(QTreeWidgetItem* node, const QString& description);

    using DescriptionKey = QPair<quint64, int>;   // database entry, category

    QTreeWidget* m_tree;
    QTreeWidgetItem* m_topNode;
    QLineEdit* m_tmpEdit;
    TFormPlacement* m_formPl;
    QLabel* m_hint;
    bool m_commentInText = false;
    bool m_commentInStatus = false;
    bool m_quietCollapse = false;
    // Per database and category: bare object name -> description.
    QHash<DescriptionKey, QHash<QString, QString>> m_descriptions;
};

extern TMainTree* MainTree;

// Whether a name is that of a system object: it contains "RDB$" or begins
// with "MON$" or "SEC$".
bool IsSystemObjectName(const QString& name);
