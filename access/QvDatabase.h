#pragma once

// Connections, transactions, and the link that ties every statement, dataset
// and blob stream to both.

#include "access/Qv.h"
#include "access/QvSlotList.h"
#include "access/QvTextCodec.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace qv {
class Timer;
}
class TQvDatabase;
class TQvTransaction;

// How a transaction ends.
enum TTransactionAction { TARollback = 0, TACommit = 1, TACommitRetaining = 2 };

// The link of one SQL object (query, dataset, blob stream) to its database and
// transaction: registers the owner with both and passes their notifications on.
class TQvBase
{
public:
    explicit TQvBase(QObject* owner);
    virtual ~TQvBase();
    TQvBase(const TQvBase&) = delete;
    TQvBase& operator=(const TQvBase&) = delete;

    QObject* Owner() const { return m_owner; }
    TQvDatabase* Database() const { return m_database; }
    TQvTransaction* Transaction() const { return m_transaction; }

    // Notification handlers, each set by the owner or left empty.
    std::function<void()> OnDatabaseDisconnecting;
    std::function<void()> OnDatabaseDisconnected;
    std::function<void()> OnDatabaseFree;
    std::function<void()> OnTransactionEnding;
    std::function<void()> OnTransactionEnded;
    std::function<void()> OnTransactionFree;

    virtual void DoDatabaseDisconnecting();
    virtual void DoDatabaseDisconnected();
    virtual void DoDatabaseFree();
    virtual void DoTransactionEnding();
    virtual void DoTransactionEnded();
    virtual void DoTransactionFree();
    // Run the checks and give the handle's address, as the client calls take it.
    virtual isc_db_handle* GetDBHandle() const;
    virtual isc_tr_handle* GetTRHandle() const;
    virtual void SetDatabase(TQvDatabase* database);
    virtual void SetTransaction(TQvTransaction* transaction);
    // Client error 20 without a database, else 12 while it is detached.
    virtual void CheckDatabase() const;
    // Client error 21 without a transaction, else 15 while it is inactive.
    virtual void CheckTransaction() const;

private:
    friend class TQvDatabase;
    friend class TQvTransaction;

    QObject* m_owner;
    TQvDatabase* m_database = nullptr;
    int m_indexInDatabase = -1;
    TQvTransaction* m_transaction = nullptr;
    int m_indexInTransaction = -1;
};

// The database login dialog: shows the database name, lets the user change the
// user name and password, answers true for OK. Login shows the
// platform's dialog (qv::loginDialog) unless another one is installed.
using TQvLoginDialog =
    std::function<bool(const QString& databaseName, QString& userName, QString& password)>;
// Installs the dialog that Login shows and returns the one it replaces.
TQvLoginDialog SetQvLoginDialog(TQvLoginDialog dialog);

// One attachment to one database.
class TQvDatabase : public QObject
{
    Q_OBJECT

public:
    explicit TQvDatabase(QObject* parent = nullptr);
    ~TQvDatabase() override;

    void Open();
    void Close();
    // Detaches and forgets the handle even when the detach fails.
    void ForceClose();
    // Creates the database DBName names, with the DBParams lines as the
    // statement's options, in CreateSQLDialect, and stays attached to it. A
    // "SET NAMES x" among the options is the new connection's character set.
    void CreateDatabase();
    // The SQL dialect CreateDatabase makes a database in: 1 (the default) or 3.
    int CreateSQLDialect() const { return m_createDialect; }
    void SetCreateSQLDialect(int dialect);
    void DropDatabase();

    bool Connected() const { return m_handle != 0; }
    void SetConnected(bool connected);
    const QString& DBName() const { return m_dbName; }
    void SetDBName(const QString& name);
    const QStringList& DBParams() const { return m_dbParams; }
    void SetDBParams(const QStringList& lines);
    TQvTransaction* DefaultTransaction() const { return m_defaultTransaction; }
    void SetDefaultTransaction(TQvTransaction* transaction);
    // Milliseconds without client calls after which the connection closes; 0 = never.
    int Timeout() const;
    void SetTimeout(int milliseconds);
    bool UseLoginPrompt() const { return m_useLoginPrompt; }
    void SetUseLoginPrompt(bool use) { m_useLoginPrompt = use; }

    // Asks for user name and password; writes them back into DBParams on OK.
    bool Login();

    int AddTransaction(TQvTransaction* transaction);
    int FindTransaction(const TQvTransaction* transaction) const;
    TQvTransaction* Transactions(int index) const;
    int TransactionCount() const;
    // The transactions that include this database, empty slots left out.
    QList<TQvTransaction*> TransactionList() const;
    void RemoveTransaction(int index);
    void RemoveTransactions();

    int AddSQLObject(TQvBase* link);
    void RemoveSQLObject(int index);
    void RemoveSQLObjects();

    // Index of the DBParams line naming the constant, with or without "isc_dpb_".
    int IndexOfDBConst(const QString& name) const;

    // Client error 12 while detached / 13 while attached.
    void CheckActive() const;
    void CheckInactive() const;

    qint64 Allocation();
    int BaseLevel();
    QString DBFileName();
    qint64 ODSMinorVersion();
    qint64 ODSMajorVersion();
    qint64 PageSize();
    QString Version();
    qint64 CurrentMemory();
    qint64 ForcedWrites();
    qint64 MaxMemory();
    qint64 NumBuffers();
    qint64 SweepInterval();
    qint64 Fetches();
    qint64 Marks();
    qint64 Reads();
    qint64 Writes();
    // Per-table counters of this attachment, lines "relation id=count".
    QStringList ReadSeqCount();
    QStringList ReadIdxCount();
    QStringList InsertCount();
    QStringList UpdateCount();
    QStringList DeleteCount();
    QStringList GetOperationCounts(unsigned char item);
    // Reads the value of a per-table counter reply into "relation id=count" lines.
    static QStringList DecodeOperationCounts(const QByteArray& value);

    // The attachment handle, for the client calls that take its address.
    isc_db_handle* Handle() { return &m_handle; }
    // Status check of a client call made for this database: marks it busy,
    // notes a lost attachment and, when asked, raises a failure. Returns true
    // for success.
    bool Call(ISC_STATUS code, bool raise);

    // A lost attachment (the server shut it down, the network failed) is
    // noted by the status check of the call that found it, and dropped as
    // soon as the events are processed, or before the connection is used
    // again: its transactions end rolled back (never committed), every
    // linked statement, dataset and blob stream is told as at a close, the
    // handle is let go, and OnConnectionLost tells the windows. Open then
    // attaches anew.
    bool ConnectionLost() const { return m_lost; }
    // Marks the attachment lost; nothing is called on the server here.
    void NoteConnectionLost();
    // Asks the server whether the attachment still lives, noting it lost
    // when not; the calling thread's status vector is left as it was.
    void CheckConnection();
    // Drops a lost attachment now; nothing is raised. Does nothing for a
    // connection that was not lost.
    void DropLostConnection() noexcept;
    // Marks the connection busy for the idle time-out.
    void ResetIdle() { m_idle = false; }
    // The character set texts of this attachment are converted with.
    const QvTextCodec& TextCodec() const { return m_codec; }
    // The SQL dialect of the attached database (1 or 3), read when it was
    // attached or created; what users write and what is generated for their
    // objects is prepared in it.
    int SQLDialect() const { return m_sqlDialect; }

    static QByteArray GenerateDPB(const QStringList& lines);

signals:
    void OnConnect();
    void OnTimeout();
    // The attachment was lost and has been dropped.
    void OnConnectionLost();

private:
    void InternalClose(bool force);
    void EndTransactionsAndNotify();
    void NotifyLinks(void (TQvBase::*notification)());
    void TimeoutConnection();
    qint64 InfoInteger(unsigned char item);
    QvInfoValue InfoValue(unsigned char item, int bufferSize, QByteArray& reply);
    QString InfoFirstString(unsigned char item, int bufferSize);
    QString ConnectionCharacterSet() const;
    // Reads the attached database's dialect; detaches when it cannot.
    void ReadSQLDialect();

    TQvSlotList<TQvBase> m_sqlObjects;
    TQvSlotList<TQvTransaction> m_transactions;
    QString m_dbName;
    QStringList m_dbParams;
    bool m_dpbChanged = true;
    QvBuffer m_dpb;
    short m_dpbLength = 0;
    isc_db_handle m_handle = 0;
    bool m_useLoginPrompt = false;
    bool m_idle = false;
    qv::Timer* m_timer;
    TQvTransaction* m_defaultTransaction = nullptr;
    QvTextCodec m_codec;
    int m_sqlDialect = 1;
    bool m_lost = false;
    bool m_dropping = false;
    int m_createDialect = 1;
};

// One transaction over one or more databases.
class TQvTransaction : public QObject
{
    Q_OBJECT

public:
    explicit TQvTransaction(QObject* parent = nullptr);
    ~TQvTransaction() override;

    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    // Ends the transaction; forced, it ends whatever the server answers, and a
    // commit retaining becomes a hard commit.
    void EndTransaction(TTransactionAction action, bool force);

    bool Active() const { return m_handle != 0; }
    void SetActive(bool active);
    TQvDatabase* DefaultDatabase() const { return m_defaultDatabase; }
    void SetDefaultDatabase(TQvDatabase* database);
    const QStringList& TRParams() const { return m_trParams; }
    void SetTRParams(const QStringList& lines);
    int Timeout() const;
    void SetTimeout(int milliseconds);
    TTransactionAction TimeoutAction() const { return m_timeoutAction; }
    void SetTimeoutAction(TTransactionAction action) { m_timeoutAction = action; }

    int AddDatabase(TQvDatabase* database);
    int FindDatabase(const TQvDatabase* database) const;
    TQvDatabase* Databases(int index) const;
    int DatabaseCount() const;
    void RemoveDatabase(int index);
    void RemoveDatabases();

    int AddSQLObject(TQvBase* link);
    void RemoveSQLObject(int index);
    void RemoveSQLObjects();

    void CheckInTransaction() const;
    void CheckNotInTransaction() const;
    void CheckDatabasesInList() const;

    isc_tr_handle* Handle() { return &m_handle; }
    // Status check of a client call made in this transaction: marks it and its
    // databases busy, notes which of them a lost attachment is, and, when
    // asked, raises a failure. True for success.
    bool Call(ISC_STATUS code, bool raise);
    // A statement executed in this transaction ended it (a COMMIT or ROLLBACK
    // sent as text): brings the component back in step with the server.
    void EndedByStatement(TTransactionAction action);

    static QByteArray GenerateTPB(const QStringList& lines);

signals:
    void OnTimeout();

private:
    void NotifyLinks(void (TQvBase::*notification)());
    void TimeoutTransaction();

    TQvSlotList<TQvDatabase> m_databases;
    TQvSlotList<TQvBase> m_sqlObjects;
    TQvDatabase* m_defaultDatabase = nullptr;
    isc_tr_handle m_handle = 0;
    bool m_idle = false;
    QvBuffer m_tpb;
    short m_tpbLength = 0;
    TTransactionAction m_timeoutAction = TARollback;
    qv::Timer* m_timer;
    QStringList m_trParams;
    bool m_tpbChanged = true;
};
