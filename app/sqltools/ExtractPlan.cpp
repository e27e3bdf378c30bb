#include "app/sqltools/ExtractPlan.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlRead.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractOrder.h"
#include "app/sqltools/ExtractWriters.h"

#include <algorithm>

namespace {

// RDB$DEPENDENCIES' kinds of object.
enum TObjectType : int {
    otTable = 0,
    otView = 1,
    otTrigger = 2,
    otComputed = 3,
    otValidation = 4,
    otProcedure = 5,
    otIndexExpression = 6,
    otFunction = 15,
    otPackageHeader = 18,
    otPackageBody = 19,
};

// The selected objects a dependency can name, each under a key of its kind.
QString ViewKey(const QString& name) { return QStringLiteral("V:") + name; }
QString TableKey(const QString& name) { return QStringLiteral("T:") + name; }
QString FunctionKey(const QString& name) { return QStringLiteral("F:") + name; }
QString ProcedureKey(const QString& name) { return QStringLiteral("P:") + name; }
QString PackageKey(const QString& name) { return QStringLiteral("K:") + name; }

bool IsRoutineKey(const QString& key)
{
    return key.startsWith(QLatin1String("F:")) || key.startsWith(QLatin1String("P:"))
        || key.startsWith(QLatin1String("K:"));
}

// The selected objects of the kinds that dependencies name.
struct TSelection
{
    QSet<QString> tables, views, functions, procedures, packages;

    // The key of what a dependency names, empty when it is nothing selected.
    QString Key(const QString& name, int type, const QString& package) const
    {
        switch (type) {
        case otTable:
            return tables.contains(name) ? TableKey(name) : QString();
        case otView:
            return views.contains(name) ? ViewKey(name) : QString();
        case otProcedure:
        case otFunction:
            if (!package.isEmpty())
                return packages.contains(package) ? PackageKey(package) : QString();
            if (type == otProcedure)
                return procedures.contains(name) ? ProcedureKey(name) : QString();
            return functions.contains(name) ? FunctionKey(name) : QString();
        case otPackageHeader:
        case otPackageBody:
            return packages.contains(name) ? PackageKey(name) : QString();
        default:
            return {};
        }
    }
};

QSet<QString> SelectedNames(TExtractJob& job, TQvQuery& query, const QString& sql)
{
    QSet<QString> names;
    TCatalogQuery rows(query, &job.Database(), sql);
    for (; !rows.Eof(); rows.Next())
        if (job.Selected(rows.Name(0)))
            names.insert(rows.Name(0));
    return names;
}

TSelection ReadSelection(TExtractJob& job, TQvQuery& query)
{
    TSelection selected;
    selected.tables = SelectedNames(job, query,
        QStringLiteral("select rdb$relation_name from rdb$relations where rdb$view_blr is null "
                       "and coalesce(rdb$system_flag, 0)=0"));
    selected.views = SelectedNames(job, query,
        QStringLiteral("select rdb$relation_name from rdb$relations where rdb$view_blr is not null"));
    selected.functions = SelectedNames(job, query,
        QStringLiteral("select rdb$function_name from rdb$functions where rdb$module_name is null "
                       "and rdb$package_name is null and coalesce(rdb$system_flag, 0)=0"));
    selected.procedures = SelectedNames(job, query,
        QStringLiteral("select rdb$procedure_name from rdb$procedures where rdb$package_name is null "
                       "and coalesce(rdb$system_flag, 0)=0"));
    selected.packages = SelectedNames(job, query,
        QStringLiteral("select rdb$package_name from rdb$packages where coalesce(rdb$system_flag, 0)=0"));
    return selected;
}

// The selected views with their columns, in the order the database made
// them, which a copy keeps.
std::vector<TView> ReadViews(TExtractJob& job, TQvQuery& query)
{
    std::vector<TView> views;
    QHash<QString, std::size_t> byName;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$relation_name, rdb$view_source, rdb$description from rdb$relations "
                           "where rdb$view_blr is not null order by rdb$relation_id"));
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0))) {
                byName.insert(rows.Name(0), views.size());
                views.push_back(TView{rows.Name(0), rows.Text(1), rows.Text(2), {}});
            }
    }
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select f.rdb$relation_name, f.rdb$field_name, f.rdb$description from rdb$relation_fields f, "
                       "rdb$relations r where r.rdb$relation_name=f.rdb$relation_name and r.rdb$view_blr is not null "
                       "order by f.rdb$relation_name, f.rdb$field_position"));
    for (; !rows.Eof(); rows.Next()) {
        const auto view = byName.constFind(rows.Name(0));
        if (view != byName.cend())
            views[*view].columns.push_back({rows.Name(1), rows.Text(2)});
    }
    return views;
}

// What each dependent uses among the selected objects, by the dependent's
// key; computed columns, domains' checks, indices and triggers under keys
// of their own.
using TUses = QHash<QString, QSet<QString>>;

TUses ReadUses(TExtractJob& job, TQvQuery& query, const TSelection& selected, const std::vector<TView>& views)
{
    TUses uses;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select distinct rdb$dependent_name, rdb$dependent_type, rdb$depended_on_name, "
                           "rdb$depended_on_type, rdb$package_name from rdb$dependencies "
                           "where rdb$dependent_type in (1,2,3,4,5,6,15,19)"));
        for (; !rows.Eof(); rows.Next()) {
            const QString used = selected.Key(rows.Name(2), rows.Integer(3), rows.Name(4));
            if (used.isEmpty())
                continue;
            const QString dependent = rows.Name(0);
            switch (rows.Integer(1)) {
            case otView: uses[ViewKey(dependent)].insert(used); break;
            case otProcedure: uses[ProcedureKey(dependent)].insert(used); break;
            case otFunction: uses[FunctionKey(dependent)].insert(used); break;
            case otPackageBody: uses[PackageKey(dependent)].insert(used); break;
            case otComputed: uses[QStringLiteral("C:") + dependent].insert(used); break;
            case otValidation: uses[QStringLiteral("D:") + dependent].insert(used); break;
            case otIndexExpression: uses[QStringLiteral("I:") + dependent].insert(used); break;
            case otTrigger: uses[QStringLiteral("G:") + dependent].insert(used); break;
            default: break;
            }
        }
    }
    // The server records no view's use of a function: a view whose code
    // calls a selected PSQL function, or a function of a selected package,
    // uses it. Names are compared as stored: "f" is not F.
    if (selected.functions.isEmpty() && selected.packages.isEmpty())
        return uses;
    for (const TView& view : views)
        for (const QvSql::NameUse& use : QvSql::NamesUsed(view.source, job.Dialect())) {
            if (!use.Called)
                continue;
            if (use.Qualifier.isEmpty() && selected.functions.contains(use.Name))
                uses[ViewKey(view.name)].insert(FunctionKey(use.Name));
            else if (selected.packages.contains(use.Qualifier))
                uses[ViewKey(view.name)].insert(PackageKey(use.Qualifier));
        }
    return uses;
}

// The keys of the late views and of the selected routines' bodies in the
// order to write them: a body as soon as the views it reads are there; the
// views in `lateViews`' order but after the bodies they read, unless that
// makes a cycle.
QStringList LateStepKeys(const TSelection& selected, const QStringList& lateViews, const TUses& uses)
{
    QStringList steps;
    const auto addBodies = [&steps](const QSet<QString>& names, QString (*key)(const QString&)) {
        QStringList sorted(names.cbegin(), names.cend());
        std::sort(sorted.begin(), sorted.end());
        for (const QString& name : std::as_const(sorted))
            steps << key(name);
    };
    addBodies(selected.functions, FunctionKey);
    addBodies(selected.packages, PackageKey);
    addBodies(selected.procedures, ProcedureKey);
    for (const QString& name : lateViews)
        steps << ViewKey(name);
    const QSet<QString> present(steps.cbegin(), steps.cend());
    TUses viewsOnly;
    TUses withBodies;
    for (const QString& step : std::as_const(steps))
        for (const QString& used : uses.value(step)) {
            if (!present.contains(used))
                continue;
            if (used.startsWith(QLatin1String("V:")))
                viewsOnly[step].insert(used);
            if (step.startsWith(QLatin1String("V:")) || used.startsWith(QLatin1String("V:")))
                withBodies[step].insert(used);
        }
    bool complete = false;
    const QStringList ordered = PreferredDependencyOrder(steps, withBodies, &complete);
    return complete ? ordered : PreferredDependencyOrder(steps, viewsOnly);
}

// The computed columns (by field source) or indices of the selected tables
// that use anything selected but their own table.
QSet<QString> Waiting(TExtractJob& job, TQvQuery& query, const QString& sql, const QString& prefix,
                      const TSelection& selected, const TUses& uses)
{
    QSet<QString> waiting;
    TCatalogQuery rows(query, &job.Database(), sql);
    for (; !rows.Eof(); rows.Next()) {
        if (!selected.tables.contains(rows.Name(1)))
            continue;
        for (const QString& used : uses.value(prefix + rows.Name(0)))
            if (used != TableKey(rows.Name(1)))
                waiting.insert(rows.Name(0));
    }
    return waiting;
}

} // namespace

TExtractPlan::TExtractPlan(TExtractJob& job, TQvQuery& query)
{
    const TSelection selected = ReadSelection(job, query);
    const std::vector<TView> views = ReadViews(job, query);
    const TUses uses = ReadUses(job, query, selected, views);

    // The order they were made in holds unless a view was altered to read
    // one made after it. From the first view that reads a routine on, the
    // views wait for the routines' headers: those that read one must, and
    // the others keep their order.
    QStringList made;
    QHash<QString, const TView*> byName;
    TUses viewsRead;
    for (const TView& view : views) {
        made << view.name;
        byName.insert(view.name, &view);
        for (const QString& used : uses.value(ViewKey(view.name)))
            if (used.startsWith(QLatin1String("V:")))
                viewsRead[view.name].insert(used.mid(2));
    }
    bool late = false;
    QStringList lateViews;
    for (const QString& name : PreferredDependencyOrder(made, viewsRead)) {
        const TView& view = *byName.value(name);
        for (const QString& used : uses.value(ViewKey(name)))
            late = late || IsRoutineKey(used);
        if (late) {
            m_lateViews.insert(name, view);
            lateViews << name;
        } else {
            m_earlyViews.push_back(view);
        }
    }
    for (const QString& step : LateStepKeys(selected, lateViews, uses)) {
        const QString name = step.mid(2);
        switch (step.at(0).unicode()) {
        case u'V': m_lateSteps.push_back({TRoutineStep::stView, name}); break;
        case u'F': m_lateSteps.push_back({TRoutineStep::stFunction, name}); break;
        case u'K': m_lateSteps.push_back({TRoutineStep::stPackage, name}); break;
        default: m_lateSteps.push_back({TRoutineStep::stProcedure, name}); break;
        }
    }

    // What the domains' and tables' sections cannot write yet. Domains come
    // before everything they could use; computed columns and indices before
    // the views, the routines and the tables after their own.
    for (auto used = uses.cbegin(); used != uses.cend(); ++used)
        if (used.key().startsWith(QLatin1String("D:")) && job.Selected(used.key().mid(2)))
            m_waitingDomainChecks.insert(used.key().mid(2));
    m_waitingComputed = Waiting(job, query,
        QStringLiteral("select f.rdb$field_source, f.rdb$relation_name from rdb$relation_fields f, rdb$fields d "
                       "where d.rdb$field_name=f.rdb$field_source and d.rdb$computed_blr is not null"),
        QStringLiteral("C:"), selected, uses);
    m_waitingIndices = Waiting(job, query,
        QStringLiteral("select rdb$index_name, rdb$relation_name from rdb$indices where rdb$expression_blr is not null"),
        QStringLiteral("I:"), selected, uses);
    // The checks come after every table: only views and routines are later.
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select c.rdb$trigger_name, r.rdb$relation_name from rdb$check_constraints c, "
                       "rdb$relation_constraints r where r.rdb$constraint_name=c.rdb$constraint_name "
                       "and r.rdb$constraint_type='CHECK'"));
    for (; !rows.Eof() && !m_checksWait; rows.Next())
        if (selected.tables.contains(rows.Name(1)))
            for (const QString& used : uses.value(QStringLiteral("G:") + rows.Name(0)))
                m_checksWait = m_checksWait || !used.startsWith(QLatin1String("T:"));
}
