#include "access/QvTransactionScope.h"

#include "access/QvDatabase.h"

TQvTransactionScope::TQvTransactionScope(TQvTransaction* transaction, StartMode mode)
    : m_transaction(transaction)
{
    if (mode == StartNew || !m_transaction->Active())
        m_transaction->StartTransaction();
}

TQvTransactionScope::~TQvTransactionScope()
{
    Rollback();
}

void TQvTransactionScope::Commit()
{
    m_transaction->Commit();
    m_done = true;
}

void TQvTransactionScope::Rollback()
{
    if (m_done)
        return;
    m_done = true;
    if (!m_transaction->Active())
        return;
    try {
        m_transaction->Rollback();
    } catch (...) {
        try {
            m_transaction->EndTransaction(TARollback, true);
        } catch (...) {
            // Forced: the handle is gone either way.
        }
    }
}
