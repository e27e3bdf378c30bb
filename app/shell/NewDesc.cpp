#include "app/shell/NewDesc.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace {

enum : int { catTables, catViews, catProcedures, catTriggers, catDomains, catGenerators, catFunctions, catExceptions };

struct DescribedKind
{
    const char* table;
    const char* nameColumn;
    const char* commentKind;   // "" for kinds without a description
};

// By the tree's categories.
const DescribedKind kKinds[CategoryCount] = {
    {"rdb$relations", "rdb$relation_name", "TABLE"},
    {"", "", ""},
    {"rdb$procedures", "rdb$procedure_name", "PROCEDURE"},
    {"rdb$triggers", "rdb$trigger_name", "TRIGGER"},
    {"rdb$fields", "rdb$field_name", "DOMAIN"},
    {"", "", ""},
    {"rdb$functions", "rdb$function_name", "EXTERNAL FUNCTION"},
    {"rdb$exceptions", "rdb$exception_name", "EXCEPTION"},
};

const QStringList kObjectTypes = {QStringLiteral("Table"),     QStringLiteral("View"),
                                  QStringLiteral("Procedure"), QStringLiteral("Trigger"),
                                  QStringLiteral("Domain"),    QStringLiteral("Generator"),
                                  QStringLiteral("User-Defined function"), QStringLiteral("Exception")};

} // namespace

bool DescriptionAllowed(int category)
{
    return category >= 0 && category < CategoryCount && *kKinds[category].commentKind != '\0';
}

QString DescriptionSelect(int category, const QString& name)
{
    if (!DescriptionAllowed(category))
        return {};
    const DescribedKind& kind = kKinds[category];
    const QString column = QString::fromLatin1(kind.nameColumn);
    return QStringLiteral("select %1,rdb$description from %2 where %1=%3")
        .arg(column, QString::fromLatin1(kind.table), QvSql::SingleQuoted(name));
}

QString DescriptionStatement(int category, const QString& name, const QString& text, int dialect)
{
    if (!DescriptionAllowed(category))
        return {};
    return QvSql::CommentOn(QString::fromLatin1(kKinds[category].commentKind), name, text, dialect);
}

// ---------------------------------------------------------------------------

TNewDesc::TNewDesc(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NewDesc"));
    setWindowTitle(QStringLiteral("Object description"));
    resize(420, 300);

    ObjName = new QLineEdit(this);
    ObjName->setObjectName(QStringLiteral("ObjName"));
    ObjName->setReadOnly(true);
    ObjType = new QComboBox(this);
    ObjType->setObjectName(QStringLiteral("ObjType"));
    ObjType->addItems(kObjectTypes);
    ObjType->setEnabled(false);
    ObjDescr = new QPlainTextEdit(this);
    ObjDescr->setObjectName(QStringLiteral("ObjDescr"));
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setAutoDefault(false);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);

    Tran = new TQvTransaction(this);
    Tran->setObjectName(QStringLiteral("Tran"));
    Query = new TQvQuery(this);
    Query->setObjectName(QStringLiteral("Query"));
    Query->SetTransaction(Tran);
    // A description may hold ":" or "?": nothing in it is a parameter.
    Query->SetParamCheck(false);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Object:"), ObjName);
    fields->addRow(QStringLiteral("ObjectType:"), ObjType);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(new QLabel(QStringLiteral("Object Description:"), this));
    layout->addWidget(ObjDescr, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    connect(OkBtn, &QPushButton::clicked, this, [this] {
        if (OkBtnClick())
            accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        CancelBtnClick();
        reject();
    });
}

TNewDesc::~TNewDesc()
{
    CancelBtnClick();
}

void TNewDesc::SetCategory(const QString& category)
{
    m_category = category;
}

void TNewDesc::SetDatabase(TQvDatabase* database)
{
    m_database = database;
    Query->SetDatabase(database);
    if (database && Tran->FindDatabase(database) < 0)
        Tran->AddDatabase(database);
}

int TNewDesc::CategoryIndex() const
{
    for (int i = 0; i < CategoryCount; ++i)
        if (CategoryNames[i] == m_category)
            return i;
    return -1;
}

bool TNewDesc::FormShow()
{
    const int category = CategoryIndex();
    if (category >= 0)
        ObjType->setCurrentIndex(category);
    if (!DescriptionAllowed(category)) {
        qv::messageDlg(QStringLiteral("Description for this object is not allowed !"), qv::mtInformation,
                       qv::mbOK);
        return false;
    }
    try {
        // The catalog's select keeps the dialect of the system's own queries.
        Query->SetSQLDialect(1);
        TQvTransactionScope transaction(Tran);
        QString description;
        {
            TCatalogQuery rows(*Query, m_database.data(), DescriptionSelect(category, ObjName->text()));
            if (!rows.Eof())
                description = rows.Text(QStringLiteral("RDB$DESCRIPTION"));
        }
        transaction.Commit();
        description.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        ObjDescr->setPlainText(description);
    } catch (const std::exception& error) {
        qv::showException(ErrorText(error));
        return false;
    }
    return true;
}

bool TNewDesc::OkBtnClick()
{
    const int category = CategoryIndex();
    if (!DescriptionAllowed(category) || !m_database)
        return false;
    const QString name = ObjName->text();
    const int dialect = m_database->SQLDialect();
    if (!QvSql::CanName(name, dialect)) {
        qv::messageDlg(QStringLiteral("The name %1 cannot be written in an SQL dialect %2 statement.")
                           .arg(name)
                           .arg(dialect),
                       qv::mtError, qv::mbOK);
        return false;
    }
    try {
        // The object's name is spelled for the database's dialect, and sent in it.
        Query->SetSQLDialect(dialect);
        TQvTransactionScope transaction(Tran);
        // Lines of a description end with CR LF, as every text this program writes.
        QString text = ObjDescr->toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        Query->SetSQLText(DescriptionStatement(category, name, text, dialect));
        Query->ExecQuery();
        transaction.Commit();
    } catch (const std::exception& error) {
        // The dialog stays open: what the user typed is not lost.
        qv::showException(ErrorText(error));
        return false;
    }
    return true;
}

void TNewDesc::CancelBtnClick()
{
    try {
        if (Tran->Active())
            Tran->Rollback();
    } catch (const std::exception& error) {
        qWarning("Description editor: rolling back: %s", qPrintable(ErrorText(error)));
    }
}

// ---------------------------------------------------------------------------

void EditObjectDescription(TMainTree& tree, QTreeWidgetItem* node)
{
    if (!node || TMainTree::NodeLevel(node) != 3 || !DBList)
        return;
    tree.HideHint();
    const int number = tree.GetNodeDBNumber(node);
    TQvDatabase* database = number > 0 ? DBList->GetDatabase(number - 1) : nullptr;
    if (!database || !database->Connected())
        return;
    TNewDesc dialog(&tree);
    dialog.SetCategory(node->parent()->text(0));
    dialog.ObjName->setText(TMainTree::NodeObjectName(node));
    dialog.SetDatabase(database);
    if (!dialog.FormShow())
        return;
    if (qv::showModal(dialog) != qv::mrOk)
        return;
    tree.SetNodeDescription(node, dialog.ObjDescr->toPlainText());
    tree.TreeChange(node);
}
