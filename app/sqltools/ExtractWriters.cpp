#include "app/sqltools/ExtractWriters.h"

#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MyConst.h"
#include "app/sqltools/ExtractCatalog.h"
#include "app/sqltools/ExtractOrder.h"
#include "app/sqltools/ExtractSupport.h"
#include "components/StrUtils.h"

#include <vector>

namespace {

const QString Semicolon = QStringLiteral(";");
const QString Caret = QStringLiteral(" ^");

// A source as the script writes it: as stored, without a first empty line.
QString SourceText(QString source)
{
    if (source.startsWith(QLatin1String("\r\n")))
        source.remove(0, 2);
    else if (source.startsWith(QLatin1Char('\n')))
        source.remove(0, 1);
    return source;
}

QString systemFlagFree(const char* alias)
{
    return QStringLiteral("(%1rdb$system_flag is null or %1rdb$system_flag=0)").arg(QLatin1String(alias));
}

// --- views -------------------------------------------------------------

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

// The selected views in creation order, parted into those that can be
// written with the tables and those that need a selected procedure.
struct TViewPlan
{
    std::vector<TView> early;
    std::vector<TView> afterProcedureHeaders;
};

TViewPlan ReadViewPlan(TExtractJob& job, TQvQuery& query)
{
    QHash<QString, TView> views;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$relation_name, rdb$view_source, rdb$description from rdb$relations "
                           "where rdb$view_blr is not null order by rdb$relation_name"));
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            if (job.Selected(name))
                views.insert(name, TView{name, rows.Text(1), rows.Text(2), {}});
        }
    }
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select f.rdb$relation_name, f.rdb$field_name, f.rdb$description from rdb$relation_fields f, "
                           "rdb$relations r where r.rdb$relation_name=f.rdb$relation_name and r.rdb$view_blr is not null "
                           "order by f.rdb$relation_name, f.rdb$field_position"));
        for (; !rows.Eof(); rows.Next()) {
            auto view = views.find(rows.Name(0));
            if (view != views.end())
                view->columns.push_back({rows.Name(1), rows.Text(2)});
        }
    }
    QHash<QString, QSet<QString>> dependsOn;
    QSet<QString> needsProcedure;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select distinct rdb$dependent_name, rdb$depended_on_name, rdb$depended_on_type "
                           "from rdb$dependencies where rdb$dependent_type=1"));
        for (; !rows.Eof(); rows.Next()) {
            const QString view = rows.Name(0);
            const QString needed = rows.Name(1);
            if (rows.Integer(2) == 5 && job.Selected(needed))
                needsProcedure.insert(view);
            else
                dependsOn[view].insert(needed);
        }
    }
    TViewPlan plan;
    const QStringList order = DependencyOrder(views.keys(), dependsOn);
    for (const QString& name : order) {
        // A view on a view that waits for a procedure waits as well.
        bool late = needsProcedure.contains(name);
        for (const QString& needed : dependsOn.value(name))
            late = late || (views.contains(needed) && needsProcedure.contains(needed));
        if (late)
            needsProcedure.insert(name);
        (late ? plan.afterProcedureHeaders : plan.early).push_back(views.value(name));
    }
    return plan;
}

void WriteView(TExtractJob& job, const TView& view, const QString& terminator)
{
    QStringList& out = job.Output();
    const QString name = job.Name(view.name);
    out << QStringLiteral("/* View: ") + view.name + QStringLiteral("  */");
    QStringList columns;
    for (const TViewColumn& column : view.columns)
        columns << job.Name(column.name);
    out << QStringLiteral("CREATE VIEW ") + name + QStringLiteral(" (") + columns.join(QLatin1Char(',')) + QLatin1Char(')');
    out << QStringLiteral("AS");
    // As stored: re-indenting would change the source on every round trip.
    out << SourceText(view.source) + terminator;
    out << QString();
    WriteCommentOn(job, QStringLiteral("VIEW"), name, view.description, terminator);
    for (const TViewColumn& column : view.columns)
        WriteCommentOn(job, QStringLiteral("COLUMN"), name + QLatin1Char('.') + job.Name(column.name),
                       column.description, terminator);
}

// --- procedures -----------------------------------------------------------

struct TProcedure
{
    QString name;
    QString source;
    QString description;
    QStringList inputs;
    QStringList outputs;
    QList<QPair<QString, QString>> parameterDescriptions;
};

QString ParameterText(TExtractJob& job, const TCatalogQuery& rows, const TFieldTypeReader& types)
{
    const QString domain = rows.Name(rows.Column(QStringLiteral("RDB$FIELD_SOURCE")));
    const int mechanism = rows.Column(QStringLiteral("RDB$PARAMETER_MECHANISM"));
    const int relation = rows.Column(QStringLiteral("RDB$RELATION_NAME"));
    const int field = rows.Column(QStringLiteral("P_FIELD"));
    const TFieldType type = types.Read(rows);
    QString text = job.Name(rows.Name(rows.Column(QStringLiteral("RDB$PARAMETER_NAME")))) + QLatin1Char(' ');
    if (!rows.IsNull(relation) && !rows.IsNull(field)) {
        text += QStringLiteral("TYPE OF COLUMN ") + job.Name(rows.Name(relation)) + QLatin1Char('.')
            + job.Name(rows.Name(field));
    } else if (!domain.contains(QLatin1String("RDB$"))) {
        if (!rows.IsNull(mechanism) && rows.Integer(mechanism) == 1)
            text += QStringLiteral("TYPE OF ");
        text += job.Name(domain);
    } else {
        text += job.Catalog().TypeText(type);
    }
    const int nullFlag = rows.Column(QStringLiteral("P_NULL_FLAG"));
    if (!rows.IsNull(nullFlag) && rows.Integer(nullFlag) == 1)
        text += QStringLiteral(" NOT NULL");
    const int collation = rows.Column(QStringLiteral("P_COLLATION"));
    if (!rows.IsNull(collation))
        text += job.Catalog().CollateClause(type.characterSet, rows.Integer(collation));
    const QString defaultSource = rows.Text(QStringLiteral("P_DEFAULT")).trimmed();
    if (!defaultSource.isEmpty())
        text += QLatin1Char(' ') + defaultSource;
    QString description = StrTrimTrailingSpaces(rows.Text(QStringLiteral("P_DESCRIPTION")));
    if (!description.isEmpty()) {
        description.remove(QStringLiteral("/*"));
        description.remove(QStringLiteral("*/"));
        text += QStringLiteral(" /*") + description + QStringLiteral("*/");
    }
    return text;
}

std::vector<TProcedure> ReadProcedures(TExtractJob& job, TQvQuery& query)
{
    std::vector<TProcedure> procedures;
    QHash<QString, qsizetype> byName;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$procedure_name, rdb$procedure_source, rdb$description from rdb$procedures "
                           "where rdb$package_name is null order by rdb$procedure_name"));
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            if (!job.Selected(name))
                continue;
            byName.insert(name, qsizetype(procedures.size()));
            procedures.push_back({name, rows.Text(1), rows.Text(2), {}, {}, {}});
        }
    }
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select a.rdb$procedure_name, a.rdb$parameter_name, a.rdb$parameter_type, a.rdb$field_source, "
                       "a.rdb$parameter_mechanism, a.rdb$relation_name, a.rdb$field_name P_FIELD, "
                       "a.rdb$null_flag P_NULL_FLAG, a.rdb$collation_id P_COLLATION, a.rdb$default_source P_DEFAULT, "
                       "a.rdb$description P_DESCRIPTION, ")
            + FieldTypeColumns(QStringLiteral("b"))
            + QStringLiteral(" from rdb$procedure_parameters a, rdb$fields b where a.rdb$field_source=b.rdb$field_name "
                             "and a.rdb$package_name is null "
                             "order by a.rdb$procedure_name, a.rdb$parameter_type, a.rdb$parameter_number"));
    const TFieldTypeReader types(rows);
    for (; !rows.Eof(); rows.Next()) {
        const auto found = byName.constFind(rows.Name(0));
        if (found == byName.cend())
            continue;
        TProcedure& procedure = procedures[std::size_t(*found)];
        const QString text = ParameterText(job, rows, types);
        (rows.Integer(2) == 0 ? procedure.inputs : procedure.outputs) << text;
        const QString description = rows.Text(QStringLiteral("P_DESCRIPTION"));
        if (!description.isEmpty())
            procedure.parameterDescriptions.append({rows.Name(1), description});
    }
    return procedures;
}

// --- triggers -----------------------------------------------------------------

QString ActionWord(int slot)
{
    switch (slot) {
    case 1: return QStringLiteral("INSERT");
    case 2: return QStringLiteral("UPDATE");
    case 3: return QStringLiteral("DELETE");
    default: return {};
    }
}

} // namespace

// --- the job ----------------------------------------------------------------

TExtractJob::TExtractJob(TQvDatabase& database, TQvTransaction& transaction, const QStringList& selected, int flags,
                         QStringList& output)
    : m_database(database)
    , m_transaction(transaction)
    , m_flags(flags)
    , m_dialect(database.SQLDialect() == 3 ? 3 : 1)
    , m_output(output)
{
    for (const QString& name : selected)
        m_selected.insert(StrTrimTrailingSpaces(name));
}

TExtractJob::~TExtractJob() = default;

QString TExtractJob::Name(const QString& name) const
{
    return QvSql::Identifier(name, m_dialect);
}

QString TExtractJob::Literal(const QString& text) const
{
    return QvSql::Literal(text, m_dialect);
}

void TExtractJob::Progress(int base, int slice, int k, int n) const
{
    if (m_progress && n > 0)
        m_progress(base + int(qint64(slice) * k / n));
}

void TExtractJob::Report(const QString& text)
{
    m_reports << text;
    QString comment = text;
    comment.remove(QStringLiteral("/*"));
    comment.remove(QStringLiteral("*/"));
    m_output << QStringLiteral("/* ") + comment + QStringLiteral(" */");
}

TExtractCatalog& TExtractJob::Catalog()
{
    if (!m_catalog)
        m_catalog = std::make_unique<TExtractCatalog>(m_database, m_transaction, m_dialect);
    return *m_catalog;
}

TWriterScope::TWriterScope(TExtractJob& job)
    : m_transaction(job.Transaction())
{
    m_query.SetDatabase(&job.Database());
    m_query.SetTransaction(&job.Transaction());
}

void WriteCommentOn(TExtractJob& job, const QString& what, const QString& name, const QString& description,
                    const QString& terminator)
{
    if (description.isEmpty())
        return;
    job.Output() << QStringLiteral("COMMENT ON ") + what + QLatin1Char(' ') + name + QStringLiteral(" IS ")
            + QvSql::SingleQuoted(description) + (terminator == Semicolon ? terminator : Caret);
}

void WriteBanner(QStringList& output, const QString& title)
{
    const QString rule = QStringLiteral("/***********************************/");
    output << rule << title << rule << QString();
}

QString DescriptionComment(const QString& description)
{
    QString text = description;
    text.remove(QStringLiteral("/*"));
    text.remove(QStringLiteral("*/"));
    return QStringLiteral("/* ") + text + QStringLiteral("  */");
}

// --- domains, generators, exceptions --------------------------------------------

void ExtractDomains(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*              Domains            */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select f.rdb$default_source, f.rdb$null_flag, f.rdb$validation_source, f.rdb$description, ")
            + FieldTypeColumns(QStringLiteral("f"))
            + QStringLiteral(" from rdb$fields f where f.rdb$field_name not starting with 'RDB$' and ")
            + systemFlagFree("f.") + QStringLiteral(" order by f.rdb$field_name"));
    const TFieldTypeReader types(rows);
    struct Row { TFieldType type; QString defaultSource; bool notNull; QString check; QString description; };
    std::vector<Row> domains;
    for (; !rows.Eof(); rows.Next()) {
        TFieldType type = types.Read(rows);
        if (job.Selected(type.fieldName))
            domains.push_back({type, rows.Text(0), !rows.IsNull(1) && rows.Integer(1) == 1, rows.Text(2),
                               rows.Text(3)});
    }
    TExtractCatalog& catalog = job.Catalog();
    for (std::size_t k = 0; k < domains.size(); ++k) {
        job.Progress(0, 5, int(k), int(domains.size()));
        const Row& domain = domains[k];
        const QString name = job.Name(domain.type.fieldName);
        QString line = QStringLiteral("CREATE DOMAIN ") + name + QStringLiteral(" AS ") + catalog.TypeText(domain.type);
        if (!domain.defaultSource.isEmpty())
            line += QLatin1Char(' ') + domain.defaultSource;
        if (domain.notNull)
            line += QStringLiteral(" NOT NULL");
        if (!domain.check.isEmpty())
            line += QLatin1Char(' ') + domain.check;
        line += catalog.CollateClause(domain.type.characterSet, domain.type.collation);
        out << line + Semicolon << QString();
        WriteCommentOn(job, QStringLiteral("DOMAIN"), name, domain.description);
    }
    scope.Commit();
}

void ExtractGenerators(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*             Generators          */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select rdb$generator_name, rdb$initial_value, rdb$generator_increment, rdb$description "
                       "from rdb$generators where rdb$system_flag=0 or rdb$system_flag is null "
                       "order by rdb$generator_name"));
    QStringList comments;
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (!job.Selected(name))
            continue;
        QString line = QStringLiteral("CREATE GENERATOR ") + job.Name(name);
        // A sequence's own start and step, so that it counts on as before.
        if (!rows.IsNull(1) && rows.Text(1) != QLatin1String("0"))
            line += QStringLiteral(" START WITH ") + rows.Text(1);
        if (!rows.IsNull(2) && rows.Integer(2) != 1)
            line += QStringLiteral(" INCREMENT BY ") + rows.Text(2);
        out << line + Semicolon;
        const QString description = rows.Text(3);
        if (!description.isEmpty())
            comments << QStringLiteral("COMMENT ON GENERATOR ") + job.Name(name) + QStringLiteral(" IS ")
                    + QvSql::SingleQuoted(description) + Semicolon;
    }
    out << comments << QString();
    scope.Commit();
}

void ExtractExceptions(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*             Exceptions          */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select rdb$exception_name, rdb$message, rdb$description from rdb$exceptions "
                       "where rdb$system_flag=0 or rdb$system_flag is null order by rdb$exception_name"));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (!job.Selected(name))
            continue;
        const QString description = rows.Text(2);
        if (!description.isEmpty())
            out << DescriptionComment(description);
        out << QStringLiteral("CREATE EXCEPTION ") + job.Name(name) + QLatin1Char(' ')
                + QvSql::SingleQuoted(StrTrimTrailingSpaces(rows.Text(1))) + Semicolon;
        WriteCommentOn(job, QStringLiteral("EXCEPTION"), job.Name(name), description);
    }
    out << QString();
    scope.Commit();
}

// --- views, functions ---------------------------------------------------------

void ExtractViews(TExtractJob& job)
{
    WriteBanner(job.Output(), QStringLiteral("/*              Views              */"));
    TWriterScope scope(job);
    const TViewPlan plan = ReadViewPlan(job, scope.Query());
    const int n = int(plan.early.size());
    for (int k = 0; k < n; ++k) {
        job.Progress(35, 20, k, n);
        WriteView(job, plan.early[std::size_t(k)], Semicolon);
    }
    scope.Commit();
}

void ExtractFunctions(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*          External Functions     */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select a.rdb$function_name, a.rdb$module_name, a.rdb$entrypoint, a.rdb$return_argument, "
                       "a.rdb$description, b.rdb$argument_position, b.rdb$mechanism, b.rdb$field_type T_TYPE, "
                       "b.rdb$field_sub_type T_SUB_TYPE, b.rdb$field_length T_LENGTH, b.rdb$field_scale T_SCALE, "
                       "b.rdb$field_precision T_PRECISION, b.rdb$character_length T_CHAR_LENGTH, "
                       "b.rdb$character_set_id T_CHARSET from rdb$functions a, rdb$function_arguments b "
                       "where a.rdb$function_name=b.rdb$function_name and a.rdb$module_name is not null "
                       "and a.rdb$package_name is null "
                       "order by a.rdb$function_name, b.rdb$argument_position"));
    const TFieldTypeReader types(rows);
    while (!rows.Eof()) {
        const QString name = rows.Name(0);
        const QString module = StrTrimTrailingSpaces(rows.Text(1));
        const QString entryPoint = StrTrimTrailingSpaces(rows.Text(2));
        const int returnArgument = rows.IsNull(3) ? 0 : rows.Integer(3);
        const QString description = rows.Text(4);
        QStringList arguments;
        QString result;
        for (; !rows.Eof() && rows.Name(0) == name; rows.Next()) {
            const int mechanism = rows.IsNull(6) ? 1 : rows.Integer(6);
            QString type = job.Catalog().TypeText(types.Read(rows));
            // A result returned through an argument is an argument as well.
            if (returnArgument == 0 && rows.Integer(5) == 0) {
                result = type;
                if (mechanism == 0)
                    result += QStringLiteral(" BY VALUE");
                else if (mechanism == 2)
                    result += QStringLiteral(" BY DESCRIPTOR");
                if (mechanism < 0)
                    result += QStringLiteral(" FREE_IT");
            } else {
                if (mechanism == 0)
                    type += QStringLiteral(" BY VALUE");
                else if (mechanism == 2)
                    type += QStringLiteral(" BY DESCRIPTOR");
                else if (mechanism == 5)
                    type += QStringLiteral(" NULL");
                arguments << type;
            }
        }
        if (returnArgument > 0)
            result = QStringLiteral("PARAMETER %1").arg(returnArgument);
        if (!job.Selected(name))
            continue;
        const QString shown = job.Name(name);
        if (!description.isEmpty())
            out << DescriptionComment(description);
        out << QStringLiteral("DECLARE EXTERNAL FUNCTION ") + shown;
        if (!arguments.isEmpty())
            out << QStringLiteral("   ") + arguments.join(QLatin1Char(','));
        out << QStringLiteral("   RETURNS ") + result;
        out << QStringLiteral("   ENTRY_POINT ") + QvSql::SingleQuoted(entryPoint);
        out << QStringLiteral("   MODULE_NAME ") + QvSql::SingleQuoted(module) + Semicolon;
        out << QString();
        WriteCommentOn(job, QStringLiteral("EXTERNAL FUNCTION"), shown, description);
    }
    out << QString();
    {
        // Functions written in PSQL are no external ones; say so rather than drop them.
        TCatalogQuery psql(scope.Query(), &job.Database(),
            QStringLiteral("select rdb$function_name from rdb$functions where rdb$module_name is null "
                           "and (rdb$system_flag is null or rdb$system_flag=0) order by rdb$function_name"));
        for (; !psql.Eof(); psql.Next())
            if (job.Selected(psql.Name(0)))
                job.Report(QStringLiteral("Function %1 is written in PSQL and is not extracted.").arg(psql.Name(0)));
    }
    scope.Commit();
}

// --- procedures, triggers ------------------------------------------------------

void ExtractProcedures(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*        Stored Procedures        */"));
    TWriterScope scope(job);
    const std::vector<TProcedure> procedures = ReadProcedures(job, scope.Query());
    const int n = int(procedures.size());
    int k = 0;
    // First every header, so that any body, and any view, can call any procedure.
    for (const TProcedure& procedure : procedures) {
        job.Progress(55, 20, k++, 2 * n);
        if (!procedure.description.isEmpty())
            out << DescriptionComment(procedure.description);
        QString line = QStringLiteral("CREATE PROCEDURE ") + job.Name(procedure.name);
        if (!procedure.inputs.isEmpty())
            line += QLatin1Char('(') + procedure.inputs.join(QLatin1Char(',')) + QLatin1Char(')');
        if (!procedure.outputs.isEmpty())
            line += QStringLiteral(" RETURNS (") + procedure.outputs.join(QLatin1Char(',')) + QLatin1Char(')');
        out << line + QStringLiteral(" AS BEGIN EXIT; END ^");
    }
    const TViewPlan views = ReadViewPlan(job, scope.Query());
    if (!views.afterProcedureHeaders.empty()) {
        out << QString();
        for (const TView& view : views.afterProcedureHeaders)
            WriteView(job, view, Caret);
    }
    for (const TProcedure& procedure : procedures) {
        job.Progress(55, 20, k++, 2 * n);
        const QString name = job.Name(procedure.name);
        out << QStringLiteral("/* Procedure: ") + procedure.name + QStringLiteral("  */");
        if (!procedure.description.isEmpty())
            out << DescriptionComment(procedure.description);
        QString line = QStringLiteral("ALTER PROCEDURE ") + name;
        if (!procedure.inputs.isEmpty())
            line += QLatin1Char('(') + procedure.inputs.join(QLatin1Char(',')) + QLatin1Char(')');
        out << line;
        if (!procedure.outputs.isEmpty())
            out << QStringLiteral("RETURNS (") + procedure.outputs.join(QLatin1Char(',')) + QLatin1Char(')');
        out << QStringLiteral("AS");
        out << SourceText(procedure.source);
        out << QStringLiteral(" ^ ");
        out << QString();
        WriteCommentOn(job, QStringLiteral("PROCEDURE"), name, procedure.description, Caret);
        for (const auto& [parameter, description] : procedure.parameterDescriptions)
            WriteCommentOn(job, QStringLiteral("PARAMETER"), name + QLatin1Char('.') + job.Name(parameter),
                           description, Caret);
    }
    scope.Commit();
}

namespace {

constexpr qint64 DdlTriggerFlag = 0x4000;
// Every event bit: what ANY DDL STATEMENT stores besides the flag and phase.
constexpr qint64 AnyDdlEvents = 0x7FFFFFFFFFFFDFFELL & ~DdlTriggerFlag;

// The statement a DDL trigger's event bit stands for; the bits 13 to 15
// belong to the trigger kinds and name no event.
const char* DdlEventWords(int bit)
{
    static const char* const objects[] = {"TABLE", "PROCEDURE", "FUNCTION", "TRIGGER", nullptr,
                                          "EXCEPTION", "VIEW", "DOMAIN", "ROLE", "INDEX", "SEQUENCE", "USER"};
    static const char* const actions[] = {"CREATE ", "ALTER ", "DROP "};
    static const char* const later[] = {"CREATE COLLATION", "DROP COLLATION", "ALTER CHARACTER SET",
                                        "CREATE PACKAGE", "ALTER PACKAGE", "DROP PACKAGE",
                                        "CREATE PACKAGE BODY", "DROP PACKAGE BODY",
                                        "CREATE MAPPING", "ALTER MAPPING", "DROP MAPPING"};
    static QList<QByteArray> words = [] {
        QList<QByteArray> list(48);
        for (int object = 0; object < 12; ++object)
            if (objects[object])
                for (int action = 0; action < 3; ++action)
                    list[1 + object * 3 + action] = QByteArray(actions[action]) + objects[object];
        for (int i = 0; i < 11; ++i)
            list[37 + i] = later[i];
        return list;
    }();
    return bit > 0 && bit < words.size() && !words[bit].isEmpty() ? words[bit].constData() : nullptr;
}

QString DdlTriggerEvent(qint64 type)
{
    const QString phase = (type & 1) == 0 ? QStringLiteral(" BEFORE ") : QStringLiteral(" AFTER ");
    const qint64 events = type & ~(DdlTriggerFlag | 1);
    if (events == AnyDdlEvents)
        return phase + QStringLiteral("ANY DDL STATEMENT");
    QStringList names;
    for (int bit = 1; bit < 63; ++bit) {
        if ((events & (qint64(1) << bit)) == 0)
            continue;
        const char* words = DdlEventWords(bit);
        if (!words)
            return {};
        names << QLatin1String(words);
    }
    return names.isEmpty() ? QString() : phase + names.join(QStringLiteral(" OR "));
}

QString TriggerEvent(qint64 type)
{
    if ((type & DdlTriggerFlag) != 0)
        return DdlTriggerEvent(type);
    if (type >= 1 && type <= 6) {
        static const char* const single[] = {" BEFORE INSERT", " AFTER INSERT", " BEFORE UPDATE",
                                             " AFTER UPDATE", " BEFORE DELETE", " AFTER DELETE"};
        return QLatin1String(single[type - 1]);
    }
    if ((type & 0x2000) != 0 && (type & 0x4000) == 0) {
        static const char* const database[] = {" ON CONNECT", " ON DISCONNECT", " ON TRANSACTION START",
                                               " ON TRANSACTION COMMIT", " ON TRANSACTION ROLLBACK"};
        const int event = type & ~0x2000;
        return event >= 0 && event < 5 ? QLatin1String(database[event]) : QString();
    }
    if (type < 0 || type >= 0x2000)
        return {};
    // Several actions in one trigger: two bits per action after the phase bit.
    const int value = int(type) + 1;
    QStringList actions;
    for (int slot = 1; slot <= 3; ++slot) {
        const QString action = ActionWord((value >> (slot * 2 - 1)) & 3);
        if (!action.isEmpty())
            actions << action;
    }
    if (actions.isEmpty())
        return {};
    return ((value & 1) == 0 ? QStringLiteral(" BEFORE ") : QStringLiteral(" AFTER ")) + actions.join(QStringLiteral(" OR "));
}

} // namespace

void ExtractTriggers(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*              Triggers           */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        // The type as text: a DDL trigger's needs all 64 bits.
        QStringLiteral("select rdb$trigger_name, rdb$relation_name, cast(rdb$trigger_type as varchar(20)), "
                       "rdb$trigger_sequence, "
                       "rdb$trigger_inactive, rdb$trigger_source, rdb$description from rdb$triggers "
                       "where rdb$trigger_name not starting with 'RDB$' and ")
            + systemFlagFree("") + QStringLiteral(" order by rdb$trigger_name"));
    struct Row { QString name, relation; qint64 type; int position; bool inactive; QString source, description; };
    std::vector<Row> triggers;
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (job.Selected(name))
            triggers.push_back({name, rows.Name(1), rows.Text(2).trimmed().toLongLong(),
                                rows.IsNull(3) ? 0 : rows.Integer(3), !rows.IsNull(4) && rows.Integer(4) != 0,
                                rows.Text(5), rows.Text(6)});
    }
    const int n = int(triggers.size());
    for (int k = 0; k < n; ++k) {
        job.Progress(75, 20, k, n);
        const Row& trigger = triggers[std::size_t(k)];
        const QString name = job.Name(trigger.name);
        const QString event = TriggerEvent(trigger.type);
        if (event.isEmpty()) {
            job.Report(QStringLiteral("Trigger %1 fires on an event of type %2, which cannot be written; it is not "
                                      "extracted.")
                           .arg(trigger.name)
                           .arg(trigger.type));
            continue;
        }
        if (!trigger.description.isEmpty())
            out << DescriptionComment(trigger.description);
        out << QStringLiteral("CREATE TRIGGER ") + name
                + (trigger.relation.isEmpty() ? QString() : QStringLiteral(" FOR ") + job.Name(trigger.relation));
        out << (trigger.inactive ? QStringLiteral("INACTIVE") : QStringLiteral("ACTIVE")) + event
                + QStringLiteral(" POSITION %1").arg(trigger.position);
        out << trigger.source;
        out << QStringLiteral(" ^ ");
        out << QString();
        WriteCommentOn(job, QStringLiteral("TRIGGER"), name, trigger.description, Caret);
    }
    scope.Commit();
}
