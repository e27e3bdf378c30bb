#include "app/editors/Depend.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/OwnStatement.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/ShellImages.h"
#include "platform/Dialogs.h"
#include "platform/db/DatabaseError.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

std::vector<TDependency> ReadList(TQvQuery& query, TQvDatabase& database, const QString& whereColumn,
                                  const QString& nameColumn, const QString& typeColumn, const QString& objectName)
{
    TCatalogQuery rows(query, &database,
                             QStringLiteral("select %1, %2 from rdb$dependencies where %3=%4")
                                 .arg(nameColumn, typeColumn, whereColumn, QvSql::Literal(objectName, 1)));
    std::vector<TDependency> objects;
    // A view or procedure has a row per column it uses, not always next to
    // each other.
    QSet<QPair<QString, int>> seen;
    for (; !rows.Eof(); rows.Next()) {
        TDependency object{rows.Name(0), rows.Integer(1)};
        if (seen.contains({object.Name, object.Type}))
            continue;
        seen.insert({object.Name, object.Type});
        objects.push_back(std::move(object));
    }
    return objects;
}

} // namespace

TDependencyLists ReadDependencies(TQvDatabase& database, const QString& objectName)
{
    TDependencyLists lists;
    TOwnStatement statement(database);
    TQvTransactionScope scope(statement.transaction);
    lists.DependsOn = ReadList(statement.query, database, QStringLiteral("rdb$dependent_name"),
                               QStringLiteral("rdb$depended_on_name"), QStringLiteral("rdb$depended_on_type"),
                               objectName);
    lists.DependedOnBy = ReadList(statement.query, database, QStringLiteral("rdb$depended_on_name"),
                                  QStringLiteral("rdb$dependent_name"), QStringLiteral("rdb$dependent_type"),
                                  objectName);
    scope.Commit();
    return lists;
}

int DependencyImage(int type)
{
    switch (type) {
    case 0:
        return tiTable;
    case 1:
        return tiView;
    case 2:
        return tiTrigger;
    case 3: // a computed column's hidden domain
    case 9:
        return tiDomain;
    case 5:
        return tiProcedure;
    case 7:
        return tiException;
    case 14:
        return tiGenerator;
    case 15:
        return tiFunction;
    default:
        return -1;
    }
}

TDepend::TDepend(quint64 dbId, const QString& objectName, const QString& nodeText, QWidget* parent)
    : QDialog(parent)
    , m_dbId(dbId)
    , m_objectName(objectName)
{
    setObjectName(QStringLiteral("Depend"));
    setWindowTitle(QStringLiteral("Show Dependencies"));
    auto* layout = new QVBoxLayout(this);
    ObjName = new QLineEdit(nodeText, this);
    ObjName->setObjectName(QStringLiteral("ObjName"));
    ObjName->setReadOnly(true);
    layout->addWidget(ObjName);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    DependOn = new QLabel(this);
    DependOn->setObjectName(QStringLiteral("DependOn"));
    List1 = NewList(this, "List1");
    left->addWidget(DependOn);
    left->addWidget(List1);
    auto* right = new QVBoxLayout;
    OnDepend = new QLabel(this);
    OnDepend->setObjectName(QStringLiteral("OnDepend"));
    List2 = NewList(this, "List2");
    right->addWidget(OnDepend);
    right->addWidget(List2);
    lists->addLayout(left);
    lists->addLayout(right);
    layout->addLayout(lists, 1);

    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    layout->addLayout(buttons);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);

    SetWindowIdentity(this, {dbId, wkDependencies, objectName});
    resize(500, 340);
}

QTreeWidget* TDepend::NewList(QWidget* parent, const char* name)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setColumnCount(1);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setColumnWidth(0, 200);
    list->setIconSize(QSize(16, 16));
    list->setMinimumWidth(220);
    return list;
}

void TDepend::Fill(QTreeWidget* list, const std::vector<TDependency>& objects)
{
    list->clear();
    QList<QTreeWidgetItem*> items;
    for (const TDependency& object : objects) {
        auto* item = new QTreeWidgetItem(QStringList(object.Name));
        item->setData(0, Qt::UserRole, object.Type);
        const int image = DependencyImage(object.Type);
        if (image >= 0)
            item->setIcon(0, TreeImageList().at(image));
        items << item;
    }
    list->addTopLevelItems(items);
}

void TDepend::FormShow()
{
    DependOn->setText(QStringLiteral("Objects, That '") + m_objectName + QStringLiteral("' Depends on:"));
    OnDepend->setText(QStringLiteral("Objects, That Depend on '") + m_objectName + QStringLiteral("':"));
    const int index = DBList ? DBList->IndexOfId(m_dbId) : -1;
    TQvDatabase* database = index < 0 ? nullptr : DBList->GetDatabase(index);
    if (!database || !database->Connected())
        DatabaseError(QStringLiteral("The database of %1 is not connected.").arg(m_objectName));
    const TDependencyLists lists = ReadDependencies(*database, m_objectName);
    Fill(List1, lists.DependsOn);
    Fill(List2, lists.DependedOnBy);
}

void ShowDependencies(const TObjectRef& ref)
{
    if (ref.Name.isEmpty())
        return;
    TDepend dialog(ref.DBId, ref.Name, ref.Node ? ref.Node->text(0) : ref.Name, MainForm);
    try {
        dialog.FormShow();
    } catch (const EDatabaseError& error) {
        qv::showException(error.Message());
        return;
    }
    qv::showModal(dialog);
}

void InstallDependencies()
{
    TObjectOpeners::Instance().SetTool(TToolCommand::Dependencies,
                                       [](const TObjectRef& ref) { ShowDependencies(ref); });
}
