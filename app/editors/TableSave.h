#pragma once

// Saving the table editor's changes: the column changes, the primary key,
// the foreign keys, the indices, the checks, the uniques and the column
// descriptions, in that order, each statement committed on its own. What a
// committed statement did is taken into the definition at once (states
// reset, dropped entries removed), so saving again after a failure never
// sends it a second time.

#include "app/editors/TableDDL.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TQvDatabase;
class TQvQuery;
class TQvTransaction;
class TTableCatalog;

class TTableSaver
{
public:
    enum Result {
        Saved,     // everything was written
        Refused,   // the definition cannot be saved; nothing was sent (RefusalMessage)
        Declined,  // the user declined to lose column values; nothing was sent
        Failed,    // a statement failed (FailedStep, ServerMessage); what came before stays
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
    // The CREATE TABLE of a new table was committed.
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

    TTableDefinition& m_table;
    int m_dialect;
    std::unique_ptr<TQvTransaction> m_transaction;
    std::unique_ptr<TQvQuery> m_query;
    std::unique_ptr<TTableCatalog> m_catalog;
    QString m_refusal;
    QString m_failedStep;
    QString m_serverMessage;
    QStringList m_sent;
};
