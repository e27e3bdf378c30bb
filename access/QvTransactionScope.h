#pragma once

// Starts a transaction for one piece of work and ends it on every path:
// committed when the work says so, rolled back when it leaves by an error.

class TQvTransaction;

class TQvTransactionScope
{
public:
    enum StartMode {
        StartNew,       // starts the transaction (raises when it is active)
        TakeOverActive, // takes an active transaction over; starts one otherwise
    };

    explicit TQvTransactionScope(TQvTransaction* transaction, StartMode mode = StartNew);
    explicit TQvTransactionScope(TQvTransaction& transaction, StartMode mode = StartNew)
        : TQvTransactionScope(&transaction, mode)
    {
    }
    // Rolls back unless committed; never throws.
    ~TQvTransactionScope();
    TQvTransactionScope(const TQvTransactionScope&) = delete;
    TQvTransactionScope& operator=(const TQvTransactionScope&) = delete;

    // Raises when the commit fails; the destructor then rolls back.
    void Commit();
    // Ends the transaction now, rolling it back; never throws.
    void Rollback();

private:
    TQvTransaction* m_transaction;
    bool m_done = false;
};
