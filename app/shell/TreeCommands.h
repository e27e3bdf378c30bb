#pragma once

// The tree window's commands: its pop-up menus by node level, its keys and
// double-click, and the object commands they lead to. New, Edit and the
// tools go to the openers the libraries above registered (ObjectOpeners.h);
// Drop and Refresh are done here. The main window's Objects, View and Tools
// items call the same routines.

#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QString>

class QAction;
class QMenu;
class QTreeWidgetItem;
class TMainTree;
struct TObjectRef;
enum class TToolCommand;

// The question asked before an object of the category is dropped.
QString DropQuestion(int category);
// The statement that drops the object, the name spelled for the dialect.
QString DropStatement(int category, const QString& name, int dialect);

class TTreeCommands : public QObject
{
    Q_OBJECT
public:
    explicit TTreeCommands(TMainTree* tree);

    // The pop-up menus: 1 databases, 2 categories, 3 objects.
    QMenu* MenuOfLevel(int level) const;
    QMenu* DatabasesMenu;
    QMenu* ObjectsMenu;
    QMenu* TableMenu;
    // DatabasesMenu
    QAction* CreateDatabase1;
    QAction* DropDatabase1;
    QAction* RegisterDatabase2;
    QAction* UnregisterDatabase2;
    QAction* DatabaseProperties1;
    // ObjectsMenu
    QAction* NewObject1;
    QAction* Refresh2;
    // TableMenu
    QAction* Createtable2;
    QAction* Edittable1;
    QAction* Drop1;
    QAction* SetDescription2;
    QAction* PMDataView;
    QAction* DependenciesBtn;

    // The object a node stands for; Name empty unless it is an object node.
    static TObjectRef RefOf(const QTreeWidgetItem* node);

    // "New...": the category of the selected category or object node.
    void Createtable2Click();
    // "Edit ...": the selected object; an editor already showing it (same
    // database, same kind, same name) is brought forward instead.
    void Edittable1Click();
    // "Drop": asks, drops the selected object and removes its node; true when dropped.
    bool Drop1Click();
    bool DropObject(QTreeWidgetItem* node);
    // "Data View" on the selected table or view (an open one is brought forward).
    void PMDataViewClick();
    void DependenciesBtnClick();
    void ExtractClick();
    void RunScriptClick();
    void SQLEditorClick();
    void DatabaseProperties1Click();
    // Opens the selected object: a table's data, any other object's editor.
    void OpenSelectedObject();

    // Shows the menu of the node's level at a screen position; none for the top node.
    QMenu* PopupMenu(QTreeWidgetItem* node, const QPoint& globalPos);
    // Item states for the selected node and the registered openers.
    void UpdateItems();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, int image,
                     const QKeySequence& key = {});
    // Keys of the tree; true when the key was taken.
    bool TreeKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void TreeDblClick(const QPoint& position);
    void TreeMouseUp(Qt::MouseButton button, const QPoint& position);
    bool RunTool(TToolCommand tool, const TObjectRef& ref);
    QTreeWidgetItem* Selected() const;

    TMainTree* m_tree;
    QPoint m_mouseDown;
};
