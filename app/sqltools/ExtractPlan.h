#pragma once

// What the selected objects use, read once a run from the catalog's
// dependencies, and the order of the script that follows from it, so that
// nothing is used before it exists, whatever the names.

#include <QHash>
#include <QSet>
#include <QString>

#include <vector>

class TExtractJob;
class TQvQuery;

struct TViewColumn
{
    QString name;
    QString description;
};

struct TView
{
    QString name;
    QString source;
    QString description;
    std::vector<TViewColumn> columns;
};

// One step of the routines' section after the headers of every routine.
struct TRoutineStep
{
    enum TKind { stView, stFunction, stPackage, stProcedure };
    TKind kind;
    QString name;
};

class TExtractPlan
{
public:
    // Reads in the job's transaction, which must be active.
    TExtractPlan(TExtractJob& job, TQvQuery& query);

    // The selected views that read no selected routine, in the order they
    // were made (isql-fb lists them so): the views' section writes them.
    const std::vector<TView>& EarlyViews() const { return m_earlyViews; }
    // The other selected views and the bodies of the selected PSQL
    // functions, packages and procedures: a body after the views it reads,
    // a view after the views it reads and, unless that makes a cycle, after
    // the bodies of the routines it reads (a view holds on to a routine's
    // result types: a procedure that a view on a view reads can no longer
    // be altered).
    const std::vector<TRoutineStep>& LateSteps() const { return m_lateSteps; }
    const TView& LateView(const QString& name) const { return m_lateViews.find(name).value(); }

    // What the domains' and tables' sections leave for ExtractLateDefinitions
    // because it uses a routine, a view or a table written after it: a
    // computed column (by its field source), a domain's check, an index on
    // an expression.
    bool ComputedWaits(const QString& fieldSource) const { return m_waitingComputed.contains(fieldSource); }
    bool DomainCheckWaits(const QString& domain) const { return m_waitingDomainChecks.contains(domain); }
    bool IndexWaits(const QString& index) const { return m_waitingIndices.contains(index); }
    // A selected table's check uses a selected view or routine: every check
    // waits, so that the server numbers their triggers as before.
    bool ChecksWait() const { return m_checksWait; }
    // Whether a computed column, a domain's check or an index waits.
    bool DefinitionsWait() const
    {
        return !m_waitingComputed.isEmpty() || !m_waitingDomainChecks.isEmpty() || !m_waitingIndices.isEmpty();
    }

private:
    std::vector<TView> m_earlyViews;
    QHash<QString, TView> m_lateViews;
    std::vector<TRoutineStep> m_lateSteps;
    QSet<QString> m_waitingComputed;
    QSet<QString> m_waitingDomainChecks;
    QSet<QString> m_waitingIndices;
    bool m_checksWait = false;
};
