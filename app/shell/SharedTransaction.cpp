#include "app/shell/SharedTransaction.h"

#include "access/QvDatabase.h"

TSharedTransaction::TSharedTransaction(TQvTransaction* transaction)
    : m_transaction(transaction)
{
    m_transaction->StartTransaction();
}

TSharedTransaction::~TSharedTransaction()
{
    if (m_done || !m_transaction->Active())
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

void TSharedTransaction::Commit()
{
    m_transaction->Commit();
    m_done = true;
}
