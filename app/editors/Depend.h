#pragma once

// The "Show Dependencies" dialog: for one object, the objects it depends on
// and the objects that depend on it, as the catalog's rdb$dependencies
// records them.

#include <QDialog>
#include <QString>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TQvDatabase;
struct TObjectRef;

// One object of a dependency list: its name and its rdb$dependencies type.
struct TDependency
{
    QString Name;
    int Type = 0;
    bool operator==(const TDependency&) const = default;
};

struct TDependencyLists
{
    std::vector<TDependency> DependsOn;   // what the object depends on
    std::vector<TDependency> DependedOnBy; // what depends on the object
};

// Both lists, each object once (a view or procedure has a row per column it
// uses), in the order first met. Read in a transaction of their own, rolled
// back when a read fails.
TDependencyLists ReadDependencies(TQvDatabase& database, const QString& objectName);

// The tree image of a dependency type; -1 for a type the tree shows none for.
int DependencyImage(int type);

class TDepend : public QDialog
{
    Q_OBJECT
public:
    // For an object of the database of a registration (TDBList::GetId);
    // ObjName shows nodeText, which may carry more than the name.
    TDepend(quint64 dbId, const QString& objectName, const QString& nodeText, QWidget* parent = nullptr);

    QLineEdit* ObjName;
    QLabel* DependOn;
    QTreeWidget* List1;
    QLabel* OnDepend;
    QTreeWidget* List2;
    QPushButton* CloseBtn;

    // Fills the captions and both lists; raises when they cannot be read.
    void FormShow();

private:
    static QTreeWidget* NewList(QWidget* parent, const char* name);
    static void Fill(QTreeWidget* list, const std::vector<TDependency>& objects);

    quint64 m_dbId;
    QString m_objectName;
};

// The tree's "Dependencies..." command: the dialog for the object, modal;
// a failed read is shown instead.
void ShowDependencies(const TObjectRef& ref);
void InstallDependencies();
