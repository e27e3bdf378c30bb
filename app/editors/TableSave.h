#pragma once

// Saving the table editor's changes: the column changes, the primary key,
// the foreign keys, the indices, the checks, the uniques and the column
// descriptions, in that order, in one transaction (the server applies the
// definitions at its commit). A save that fails anywhere, the commit
// included, is rolled back whole: the table stays as it was, and so does the
// definition, which takes what was saved (states reset, dropped entries
// removed) only once the commit went through.

#include "app/editors/TableCatalog.h"
#include "app/editors/TableDDL.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TQvDatabase;
class TQvQuery;
class TQvTransaction;

class TTableSaver
{
public:
    enum Result {
        Saved,     // everything was written
        Refused,   // the definition cannot be saved; nothing was sent (RefusalMessage)
        Declined,  // the user declined to lose column values; nothing was sent
        Failed,    // a statement or the commit failed (FailedStep, ServerMessage); nothing was applied
    };

    TTableSaver(TQvDatabase* database, TTableDefinition& table);
    ~TTableSaver();
    TTableSaver(const TTableSaver&) = delete;
    TTableSaver& operator=(const TTableSaver&) = delete;

    // The progress text of each part of the work.
    std::function<void(const QString& step)> OnProgress;
    // Asked before columns are dropped and added anew; the names of the
    // columns whose values would be lost. False stops before anything is sent.
    std::function<bool(const QStringList& columns)> ConfirmDataLoss;
    // The save that created a new table was committed.
    std::function<void()> OnTableCreated;

    // Why the definition cannot be saved, or "" when it can.
    QString Validate() const;
    Result Save();

    QString RefusalMessage() const { return m_refusal; }
    QString FailedStep() const { return m_failedStep; }
    QString ServerMessage() const { return m_serverMessage; }
    // Every statement sent by this saver, in order.
    const QStringList& Sent() const { return m_sent; }

private:
    bool SaveColumns();
    bool SavePrimaryKey();
    bool SaveItems(TConstraintKind kind);
    bool SaveDescriptions();
    bool Execute(const QString& sql, const QString& failedStep);
    void Progress(const QString& step) const;

    // The caller's definition, and the copy the steps work on until the commit.
    TTableDefinition& m_target;
    TTableDefinition m_table;
    // The primary key the database holds, read before anything is changed.
    TPrimaryKeyInfo m_storedKey;
    int m_dialect;
    std::unique_ptr<TQvTransaction> m_transaction;
    std::unique_ptr<TQvQuery> m_query;
    std::unique_ptr<TTableCatalog> m_catalog;
    QString m_refusal;
    QString m_failedStep;
    QString m_serverMessage;
    QStringList m_sent;
};
