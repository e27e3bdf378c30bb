#include "access/QvDatabase.h"

TQvBase::TQvBase(QObject* owner)
    : m_owner(owner)
{
}

TQvBase::~TQvBase()
{
    TQvBase::SetDatabase(nullptr);
    TQvBase::SetTransaction(nullptr);
}

void TQvBase::DoDatabaseDisconnecting()
{
    if (OnDatabaseDisconnecting)
        OnDatabaseDisconnecting();
}

void TQvBase::DoDatabaseDisconnected()
{
    if (OnDatabaseDisconnected)
        OnDatabaseDisconnected();
}

void TQvBase::DoDatabaseFree()
{
    if (OnDatabaseFree)
        OnDatabaseFree();
    SetDatabase(nullptr);
    SetTransaction(nullptr);
}

void TQvBase::DoTransactionEnding()
{
    if (OnTransactionEnding)
        OnTransactionEnding();
}

void TQvBase::DoTransactionEnded()
{
    if (OnTransactionEnded)
        OnTransactionEnded();
}

void TQvBase::DoTransactionFree()
{
    if (OnTransactionFree)
        OnTransactionFree();
    // The transaction is going away and empties its own list.
    m_transaction = nullptr;
    m_indexInTransaction = -1;
}

isc_db_handle* TQvBase::GetDBHandle() const
{
    CheckDatabase();
    return m_database->Handle();
}

isc_tr_handle* TQvBase::GetTRHandle() const
{
    CheckTransaction();
    return m_transaction->Handle();
}

void TQvBase::SetDatabase(TQvDatabase* database)
{
    if (database == m_database)
        return;
    if (m_database)
        m_database->RemoveSQLObject(m_indexInDatabase);
    m_database = database;
    if (m_database) {
        m_indexInDatabase = m_database->AddSQLObject(this);
        if (!m_transaction)
            SetTransaction(m_database->DefaultTransaction());
    }
}

void TQvBase::SetTransaction(TQvTransaction* transaction)
{
    if (transaction == m_transaction)
        return;
    if (m_transaction)
        m_transaction->RemoveSQLObject(m_indexInTransaction);
    m_transaction = transaction;
    if (m_transaction)
        m_indexInTransaction = m_transaction->AddSQLObject(this);
}

void TQvBase::CheckDatabase() const
{
    if (!m_database)
        QvError(qveDatabaseNotAssigned);
    m_database->CheckActive();
}

void TQvBase::CheckTransaction() const
{
    if (!m_transaction)
        QvError(qveTransactionNotAssigned);
    m_transaction->CheckInTransaction();
}
