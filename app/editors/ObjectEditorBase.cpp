#include "app/editors/ObjectEditorBase.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/db/DatabaseError.h"

#include <QKeyEvent>
#include <QLayout>

namespace {

// Puts the shared statement back as it was found, whatever happens.
class SharedStatementScope
{
public:
    explicit SharedStatementScope(TQvQuery& query)
        : m_query(query)
        , m_dialect(query.SQLDialect())
        , m_paramCheck(query.ParamCheck())
    {
    }
    ~SharedStatementScope()
    {
        m_query.SetSQLDialect(m_dialect);
        m_query.SetParamCheck(m_paramCheck);
    }
    SharedStatementScope(const SharedStatementScope&) = delete;
    SharedStatementScope& operator=(const SharedStatementScope&) = delete;

private:
    TQvQuery& m_query;
    int m_dialect;
    bool m_paramCheck;
};

} // namespace

TObjectEditorBase::TObjectEditorBase(quint64 dbId, int category, int helpContext, QWidget* parent)
    : TBaseMDI(parent)
    , m_dbId(dbId)
    , m_category(category)
    , m_helpContext(helpContext)
{
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("Body"));
    layout()->addWidget(m_body);
    SetIdentity({dbId, category, QString()});
}

int TObjectEditorBase::DBNumber() const
{
    return DBList ? DBList->IndexOfId(m_dbId) + 1 : 0;
}

TQvDatabase* TObjectEditorBase::Database() const
{
    const int number = DBNumber();
    TQvDatabase* database = number > 0 ? DBList->GetDatabase(number - 1) : nullptr;
    if (!database || !database->Connected())
        throw EDatabaseError(QStringLiteral("Database is not opened !"));
    return database;
}

int TObjectEditorBase::Dialect() const
{
    return Database()->SQLDialect();
}

void TObjectEditorBase::SetEditing(const QString& objectName)
{
    m_isNew = false;
    SetIdentity({m_dbId, m_category, objectName});
}

void TObjectEditorBase::ExecuteDDL(const QString& sql, bool paramCheck, int dialect) const
{
    if (!DM)
        throw EDatabaseError(QStringLiteral("Database is not opened !"));
    TQvDatabase* database = Database();
    TQvQuery& query = *DM->Query();
    if (query.Open())
        query.Close();
    const SharedStatementScope restore(query);
    query.SetDatabase(database);
    DM->IBTran()->SetDefaultDatabase(database);
    // Generated for the user's object: in the database's own dialect unless
    // the caller needs another.
    query.SetSQLDialect(dialect);
    query.SetParamCheck(paramCheck);
    TQvTransactionScope transaction(DM->IBTran());
    query.SetSQLText(sql);
    query.ExecQuery();
    transaction.Commit();
}

void TObjectEditorBase::CloseAfterSave()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TObjectEditorBase::NoteChange()
{
    if (!m_loading)
        MarkModified();
}

void TObjectEditorBase::AddCreatedNode(const QString& name) const
{
    if (!MainTree)
        return;
    QTreeWidgetItem* category = MainTree->CategoryNodeOf(m_dbId, m_category);
    // A category not listed yet lists the object when it is first expanded.
    if (category && TMainTree::NodeData(category))
        TMainTree::AddObjectNode(category, name);
}

QString TObjectEditorBase::ObjectName(const QString& typed) const
{
    return m_isNew ? QvSql::NameFromTyped(typed, Dialect()) : Identity().ObjectName;
}

bool TObjectEditorBase::CheckName(const QString& name, const QString& refusal) const
{
    // An existing object's name came from the database and is written as it stands.
    if (!m_isNew)
        return true;
    const QString message = NewNameRefusal(name, Dialect(), refusal);
    if (message.isEmpty())
        return true;
    qv::messageDlg(message, qv::mtError, qv::mbOK);
    return false;
}

void TObjectEditorBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        qv::showHelpContext(m_helpContext);
        return;
    }
    TBaseMDI::keyPressEvent(event);
}
