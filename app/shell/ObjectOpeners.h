#pragma once

// The windows the tree's object commands open (object editors, data view,
// dependencies, extraction, script runner, SQL editor) live in libraries
// above the shell. Each of those libraries registers its openers here once
// at start-up; the shell runs them with the object's identity and keeps a
// command disabled while nobody has registered it.
//
// Windows that belong to a database carry an identity (database entry,
// kind, object name) the shell searches by: to bring an open editor forward
// instead of opening a second one, and to close a database's windows before
// the database is closed, dropped or unregistered.

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTreeWidgetItem;
class QWidget;
class TQvDatabase;

// The tools the tree and the main window open.
enum class TToolCommand { DataView, Dependencies, Extract, RunScript, SQLEditor };

// The object a command acts on.
struct TObjectRef
{
    quint64 DBId = 0;                  // the registration (TDBList::GetId)
    TQvDatabase* Database = nullptr;   // its connection; none when not connected
    int Category = -1;                 // TCategory; -1 for a database or the top node
    QString Name;                      // exact object name; "" for a new object
    QTreeWidgetItem* Node = nullptr;   // the category node for New, the object node otherwise
};

using TObjectOpener = std::function<void(const TObjectRef&)>;

// The one registry of openers. Registering replaces an earlier opener of the
// same command; an empty function removes it.
class TObjectOpeners : public QObject
{
    Q_OBJECT
public:
    static TObjectOpeners& Instance();

    void SetNew(int category, TObjectOpener opener);
    void SetEdit(int category, TObjectOpener opener);
    void SetTool(TToolCommand tool, TObjectOpener opener);
    // Forgets every opener (tests start from none).
    void Clear();

    bool HasNew(int category) const;
    bool HasEdit(int category) const;
    bool HasTool(TToolCommand tool) const;
    bool HasAnyNew() const;
    bool HasAnyEdit() const;

    // Runs an opener; false when none is registered. Errors are raised.
    bool OpenNew(const TObjectRef& ref) const;
    bool OpenEdit(const TObjectRef& ref) const;
    bool OpenTool(TToolCommand tool, const TObjectRef& ref) const;

signals:
    // An opener was registered or removed: command states may change.
    void Changed();

private:
    TObjectOpeners() = default;
    static bool ValidCategory(int category);

    TObjectOpener m_new[8];
    TObjectOpener m_edit[8];
    TObjectOpener m_tools[5];
};

// What an identified window shows: the editor of an object of a category
// (a TCategory value) or one of these tools.
enum TWindowKind : int {
    wkNone = -1,
    wkDataView = 100,
    wkSQLEditor = 101,
    wkDebugger = 102,
    wkDependencies = 103,
};

struct TWindowIdentity
{
    quint64 DBId = 0;        // 0: the window belongs to no database
    int Kind = wkNone;
    QString ObjectName;      // exact object name; "" for a new object
};

// Gives a window its identity; call it again when a new object got its
// name. Kept as the window's properties "DBId", "WindowKind" and
// "ObjectName" (a window with a read-only DBId property keeps its own).
void SetWindowIdentity(QWidget* window, const TWindowIdentity& identity);
TWindowIdentity WindowIdentityOf(const QWidget* window);

// The main window's child windows that belong to a database.
QList<QWidget*> WindowsOfDatabase(quint64 dbId);
// The open child window that shows this object of this database, or none.
QWidget* FindObjectWindow(quint64 dbId, int kind, const QString& objectName);
// Shows a child window and brings it forward.
void BringForward(QWidget* window);
