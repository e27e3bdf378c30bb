#pragma once

// Starts a transaction for one handler and ends it on every path: committed
// when the handler says so, rolled back when it leaves by an error.

class TQvTransaction;

class TSharedTransaction
{
public:
    explicit TSharedTransaction(TQvTransaction* transaction);
    // Rolls back unless committed; never throws.
    ~TSharedTransaction();
    TSharedTransaction(const TSharedTransaction&) = delete;
    TSharedTransaction& operator=(const TSharedTransaction&) = delete;

    void Commit();

private:
    TQvTransaction* m_transaction;
    bool m_done = false;
};
