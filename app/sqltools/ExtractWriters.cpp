#include "app/sqltools/ExtractWriters.h"

#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MyConst.h"
#include "app/sqltools/ExtractCatalog.h"
#include "app/sqltools/ExtractPlan.h"
#include "app/sqltools/ExtractSupport.h"
#include "components/StrUtils.h"

#include <algorithm>
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

void WriteView(TExtractJob& job, const TView& view, const QString& terminator)
{
    QStringList& out = job.Output();
    const QString name = job.Name(view.name);
    out << QStringLiteral("/* View: ") + QvSql::CommentText(view.name) + QStringLiteral("  */");
    QStringList columns;
    for (const TViewColumn& column : view.columns)
        columns << job.Name(column.name);
    out << QStringLiteral("CREATE VIEW ") + name + QStringLiteral(" (") + columns.join(QLatin1Char(',')) + QLatin1Char(')');
    out << QStringLiteral("AS");
    // As stored: re-indenting would change the source on every round trip.
    out << Fragment(SourceText(view.source)) + terminator;
    out << QString();
    WriteCommentOn(job, QStringLiteral("VIEW"), view.name, view.description, terminator);
    for (const TViewColumn& column : view.columns)
        WriteCommentOn(job, QStringLiteral("COLUMN"), column.name, column.description, terminator, view.name);
}

// --- procedures, functions, packages ------------------------------------------

// A procedure or PSQL function: its header's parts and its body.
struct TRoutine
{
    QString name;
    QString source;
    QString description;
    QStringList inputs;
    QStringList outputs;
    QString returns;
    bool selectable = false;
    bool deterministic = false;
    QList<QPair<QString, QString>> parameterDescriptions;
};

// A description of a packaged routine or of one of its parameters.
struct TPackagedComment
{
    QString what;
    QString routine;
    QString parameter;
    QString description;
};

struct TPackage
{
    QString name;
    QString header;
    QString body;
    QString description;
    std::vector<TPackagedComment> comments;
};

// A parameter (or, without its name, a function's result) as its routine's
// header declares it, read from the P_* items of a parameter select.
QString ParameterText(TExtractJob& job, const TCatalogQuery& rows, const TFieldTypeReader& types, bool named,
                      const QString& routine)
{
    const QString domain = rows.Name(rows.Column(QStringLiteral("P_SOURCE")));
    const int mechanism = rows.Column(QStringLiteral("P_MECHANISM"));
    const int relation = rows.Column(QStringLiteral("P_RELATION"));
    const int field = rows.Column(QStringLiteral("P_FIELD"));
    const TFieldType type = types.Read(rows);
    const QString parameter = rows.Name(rows.Column(QStringLiteral("P_NAME")));
    QString text = named ? job.Name(parameter) + QLatin1Char(' ') : QString();
    if (!rows.IsNull(relation) && !rows.IsNull(field)) {
        text += QStringLiteral("TYPE OF COLUMN ") + job.Name(rows.Name(relation)) + QLatin1Char('.')
            + job.Name(rows.Name(field));
    } else if (!type.IsImplicitDomain()) {
        if (!rows.IsNull(mechanism) && rows.Integer(mechanism) == 1)
            text += QStringLiteral("TYPE OF ");
        text += job.Name(domain);
    } else {
        text += job.Catalog().TypeText(type, named ? QStringLiteral("Parameter %1 of %2").arg(parameter, routine)
                                                   : QStringLiteral("The result of %1").arg(routine));
    }
    const int nullFlag = rows.Column(QStringLiteral("P_NULL_FLAG"));
    if (!rows.IsNull(nullFlag) && rows.Integer(nullFlag) == 1)
        text += QStringLiteral(" NOT NULL");
    const int collation = rows.Column(QStringLiteral("P_COLLATION"));
    if (!rows.IsNull(collation))
        text += job.Catalog().CollateClause(type.characterSet, rows.Integer(collation));
    const QString defaultSource = rows.Text(QStringLiteral("P_DEFAULT")).trimmed();
    if (!defaultSource.isEmpty())
        text += QLatin1Char(' ') + Fragment(defaultSource);
    // No description here: the server would keep it as part of the
    // default; COMMENT ON PARAMETER gives it back.
    return text;
}

// The select items ParameterText reads, from the parameter row `a`.
QString ParameterColumns(const char* nameColumn, const char* mechanismColumn)
{
    return QStringLiteral("a.%1 P_NAME, a.rdb$field_source P_SOURCE, a.%2 P_MECHANISM, a.rdb$relation_name P_RELATION, "
                          "a.rdb$field_name P_FIELD, a.rdb$null_flag P_NULL_FLAG, a.rdb$collation_id P_COLLATION, "
                          "a.rdb$default_source P_DEFAULT, a.rdb$description P_DESCRIPTION, ")
               .arg(QLatin1String(nameColumn), QLatin1String(mechanismColumn))
        + FieldTypeColumns(QStringLiteral("b"));
}

std::vector<TRoutine> ReadProcedures(TExtractJob& job, TQvQuery& query)
{
    std::vector<TRoutine> procedures;
    QHash<QString, qsizetype> byName;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$procedure_name, rdb$procedure_source, rdb$description, rdb$procedure_type "
                           "from rdb$procedures where rdb$package_name is null order by rdb$procedure_name"));
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            if (!job.Selected(name))
                continue;
            byName.insert(name, qsizetype(procedures.size()));
            TRoutine procedure;
            procedure.name = name;
            procedure.source = rows.Text(1);
            procedure.description = rows.Text(2);
            procedure.selectable = !rows.IsNull(3) && rows.Integer(3) == 1;
            procedures.push_back(procedure);
        }
    }
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select a.rdb$procedure_name, a.rdb$parameter_type, ")
            + ParameterColumns("rdb$parameter_name", "rdb$parameter_mechanism")
            + QStringLiteral(" from rdb$procedure_parameters a, rdb$fields b where a.rdb$field_source=b.rdb$field_name "
                             "and a.rdb$package_name is null "
                             "order by a.rdb$procedure_name, a.rdb$parameter_type, a.rdb$parameter_number"));
    const TFieldTypeReader types(rows);
    for (; !rows.Eof(); rows.Next()) {
        const auto found = byName.constFind(rows.Name(0));
        if (found == byName.cend())
            continue;
        TRoutine& procedure = procedures[std::size_t(*found)];
        const QString text = ParameterText(job, rows, types, true, procedure.name);
        (rows.Integer(1) == 0 ? procedure.inputs : procedure.outputs) << text;
        const QString description = rows.Text(QStringLiteral("P_DESCRIPTION"));
        if (!description.isEmpty())
            procedure.parameterDescriptions.append({rows.Name(rows.Column(QStringLiteral("P_NAME"))), description});
    }
    return procedures;
}

// The selected functions written in PSQL (not in a package).
std::vector<TRoutine> ReadFunctions(TExtractJob& job, TQvQuery& query)
{
    std::vector<TRoutine> functions;
    QHash<QString, qsizetype> byName;
    QHash<QString, int> resultPosition;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$function_name, rdb$function_source, rdb$description, rdb$deterministic_flag, "
                           "rdb$return_argument from rdb$functions where rdb$module_name is null "
                           "and rdb$package_name is null and (rdb$system_flag is null or rdb$system_flag=0) "
                           "order by rdb$function_name"));
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            if (!job.Selected(name))
                continue;
            byName.insert(name, qsizetype(functions.size()));
            resultPosition.insert(name, rows.IsNull(4) ? 0 : rows.Integer(4));
            TRoutine function;
            function.name = name;
            function.source = rows.Text(1);
            function.description = rows.Text(2);
            function.deterministic = !rows.IsNull(3) && rows.Integer(3) == 1;
            functions.push_back(function);
        }
    }
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select a.rdb$function_name, a.rdb$argument_position, ")
            + ParameterColumns("rdb$argument_name", "rdb$argument_mechanism")
            + QStringLiteral(" from rdb$function_arguments a, rdb$fields b where a.rdb$field_source=b.rdb$field_name "
                             "and a.rdb$package_name is null order by a.rdb$function_name, a.rdb$argument_position"));
    const TFieldTypeReader types(rows);
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        const auto found = byName.constFind(name);
        if (found == byName.cend())
            continue;
        TRoutine& function = functions[std::size_t(*found)];
        if (rows.Integer(1) == resultPosition.value(name)) {
            function.returns = ParameterText(job, rows, types, false, name);
            continue;
        }
        function.inputs << ParameterText(job, rows, types, true, name);
        const QString description = rows.Text(QStringLiteral("P_DESCRIPTION"));
        if (!description.isEmpty())
            function.parameterDescriptions.append({rows.Name(rows.Column(QStringLiteral("P_NAME"))), description});
    }
    return functions;
}

std::vector<TPackage> ReadPackages(TExtractJob& job, TQvQuery& query)
{
    std::vector<TPackage> packages;
    QHash<QString, qsizetype> byName;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$package_name, rdb$package_header_source, rdb$package_body_source, rdb$description "
                           "from rdb$packages where rdb$system_flag is null or rdb$system_flag=0 "
                           "order by rdb$package_name"));
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0))) {
                byName.insert(rows.Name(0), qsizetype(packages.size()));
                packages.push_back({rows.Name(0), rows.Text(1), rows.Text(2), rows.Text(3), {}});
            }
    }
    if (packages.empty())
        return packages;
    // The packaged routines' descriptions and their parameters'.
    const char* const selects[] = {
        "select rdb$package_name, rdb$procedure_name, null, rdb$description from rdb$procedures",
        "select rdb$package_name, rdb$procedure_name, rdb$parameter_name, rdb$description from rdb$procedure_parameters",
        "select rdb$package_name, rdb$function_name, null, rdb$description from rdb$functions",
        "select rdb$package_name, rdb$function_name, rdb$argument_name, rdb$description from rdb$function_arguments",
    };
    const char* const kinds[] = {"PROCEDURE", "PARAMETER", "FUNCTION", "PARAMETER"};
    for (int i = 0; i < 4; ++i) {
        TCatalogQuery rows(query, &job.Database(),
            QLatin1String(selects[i])
                + QStringLiteral(" where rdb$package_name is not null and rdb$description is not null order by 1, 2, 3"));
        for (; !rows.Eof(); rows.Next()) {
            const auto found = byName.constFind(rows.Name(0));
            const QString description = rows.Text(3);
            if (found != byName.cend() && !description.isEmpty())
                packages[std::size_t(*found)].comments.push_back(
                    {QLatin1String(kinds[i]), rows.Name(1), rows.Name(2), description});
        }
    }
    return packages;
}

// "name(inputs)" as a header starts.
QString RoutineHead(TExtractJob& job, const TRoutine& routine)
{
    QString head = job.Name(routine.name);
    if (!routine.inputs.isEmpty())
        head += QLatin1Char('(') + routine.inputs.join(QLatin1Char(',')) + QLatin1Char(')');
    return head;
}

QString FunctionResult(const TRoutine& function)
{
    return QStringLiteral("RETURNS ") + function.returns
        + (function.deterministic ? QStringLiteral(" DETERMINISTIC") : QString());
}

void WriteParameterComments(TExtractJob& job, const TRoutine& routine)
{
    for (const auto& parameter : routine.parameterDescriptions)
        WriteCommentOn(job, QStringLiteral("PARAMETER"), parameter.first, parameter.second, Caret, routine.name);
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

void TExtractJob::Flush()
{
    if (!m_sink || m_output.isEmpty())
        return;
    m_sink(m_output);
    m_output.clear();
}

void TExtractJob::Progress(int base, int slice, int k, int n) const
{
    if (m_progress && n > 0)
        m_progress(base + int(qint64(slice) * k / n));
}

void TExtractJob::Report(const QString& text)
{
    m_reports << text;
    m_output << QStringLiteral("/* ") + QvSql::CommentText(text) + QStringLiteral(" */");
}

TExtractCatalog& TExtractJob::Catalog()
{
    if (!m_catalog)
        m_catalog = std::make_unique<TExtractCatalog>(m_database, m_transaction, m_dialect);
    return *m_catalog;
}

const TExtractPlan& TExtractJob::Plan()
{
    if (!m_plan) {
        TQvQuery query;
        query.SetDatabase(&m_database);
        query.SetTransaction(&m_transaction);
        m_plan = std::make_unique<TExtractPlan>(*this, query);
    }
    return *m_plan;
}

TWriterScope::TWriterScope(TExtractJob& job)
    : m_transaction(job.Transaction())
{
    m_query.SetDatabase(&job.Database());
    m_query.SetTransaction(&job.Transaction());
}

void WriteCommentOn(TExtractJob& job, const QString& what, const QString& name, const QString& description,
                    const QString& terminator, const QString& owner, const QString& package)
{
    if (description.isEmpty())
        return;
    job.Output() << QvSql::ScriptCommentOn(what, name, description, job.Dialect(), job.Database().TextCodec(), owner, package)
            + (terminator == Semicolon ? terminator : Caret);
}

void WriteBanner(QStringList& output, const QString& title)
{
    const QString rule = QStringLiteral("/***********************************/");
    output << rule << title << rule << QString();
}

QString DescriptionComment(const QString& description)
{
    return QStringLiteral("/* ") + QvSql::CommentText(description) + QStringLiteral("  */");
}

// --- domains, generators, exceptions --------------------------------------------

namespace {

// The length of the longest end of `first` that `second` starts with, when
// `second` starts with a comment rather than its keyword.
qsizetype CommonEnd(const QString& first, const QString& second)
{
    if (!second.startsWith(QLatin1String("--")) && !second.startsWith(QLatin1String("/*")))
        return 0;
    for (qsizetype length = std::min(first.size(), second.size()); length > 0; --length)
        if (first.endsWith(QStringView(second).left(length)))
            return length;
    return 0;
}

} // namespace

void ExtractDomains(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*              Domains            */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select f.rdb$default_source, f.rdb$null_flag, f.rdb$validation_source, f.rdb$description, ")
            + FieldTypeColumns(QStringLiteral("f"))
            + QStringLiteral(" from rdb$fields f where ") + systemFlagFree("f.")
            + QStringLiteral(" order by f.rdb$field_name"));
    const TFieldTypeReader types(rows);
    struct Row { TFieldType type; QString defaultSource; bool notNull; QString check; QString description; };
    std::vector<Row> domains;
    for (; !rows.Eof(); rows.Next()) {
        TFieldType type = types.Read(rows);
        if (job.Selected(type.fieldName) && !QvTypes::IsImplicitDomain(type.fieldName))
            domains.push_back({type, rows.Text(0), !rows.IsNull(1) && rows.Integer(1) == 1, rows.Text(2),
                               rows.Text(3)});
    }
    TExtractCatalog& catalog = job.Catalog();
    const TExtractPlan& plan = job.Plan();
    for (std::size_t k = 0; k < domains.size(); ++k) {
        job.Progress(0, 5, int(k), int(domains.size()));
        const Row& domain = domains[k];
        const QString name = job.Name(domain.type.fieldName);
        QString line = QStringLiteral("CREATE DOMAIN ") + name + QStringLiteral(" AS ") + catalog.TypeText(domain.type, QStringLiteral("Domain %1").arg(domain.type.fieldName));
        // A check that uses a routine or a table is added when they exist.
        const QString check = plan.DomainCheckWaits(domain.type.fieldName) ? QString() : domain.check;
        // The server keeps a check's source from the end of the default's
        // value, so a comment after the default starts both: written once.
        const qsizetype overlap = domain.notNull ? 0 : CommonEnd(domain.defaultSource, check);
        if (!domain.defaultSource.isEmpty())
            line += QLatin1Char(' ')
                + Fragment(StrTrimTrailingSpaces(domain.defaultSource.left(domain.defaultSource.size() - overlap)));
        if (domain.notNull)
            line += QStringLiteral(" NOT NULL");
        if (!check.isEmpty())
            line += QLatin1Char(' ') + Fragment(check);
        line += catalog.CollateClause(domain.type.characterSet, domain.type.collation);
        out << line + Semicolon << QString();
        WriteCommentOn(job, QStringLiteral("DOMAIN"), domain.type.fieldName, domain.description);
    }
    scope.Commit();
}

void ExtractCollations(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*             Collations          */"));
    TWriterScope scope(job);
    TCatalogQuery rows(scope.Query(), &job.Database(),
        QStringLiteral("select c.rdb$collation_name, s.rdb$character_set_name, c.rdb$base_collation_name, "
                       "c.rdb$collation_attributes, c.rdb$specific_attributes, c.rdb$description "
                       "from rdb$collations c, rdb$character_sets s where c.rdb$character_set_id=s.rdb$character_set_id "
                       "and c.rdb$system_flag=0 order by c.rdb$collation_id"));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (!job.Selected(name))
            continue;
        // The base as the collation's library names it, and the attributes
        // as stored (with the library's version), so the copy sorts alike.
        QString line = QStringLiteral("CREATE COLLATION ") + job.Name(name) + QStringLiteral(" FOR ")
            + job.Name(rows.Name(1)) + QStringLiteral(" FROM EXTERNAL (")
            + QvSql::SingleQuoted(rows.Name(2)) + QLatin1Char(')');
        const int attributes = rows.IsNull(3) ? 0 : rows.Integer(3);
        line += (attributes & 1) != 0 ? QStringLiteral(" PAD SPACE") : QStringLiteral(" NO PAD");
        if ((attributes & 2) != 0)
            line += QStringLiteral(" CASE INSENSITIVE");
        if ((attributes & 4) != 0)
            line += QStringLiteral(" ACCENT INSENSITIVE");
        const QString specific = rows.Text(4);
        if (!specific.isEmpty())
            line += QLatin1Char(' ') + QvSql::SingleQuoted(specific);
        out << line + Semicolon;
        WriteCommentOn(job, QStringLiteral("COLLATION"), name, rows.Text(5));
    }
    out << QString();
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
            comments << QvSql::ScriptCommentOn(QStringLiteral("GENERATOR"), name, description, job.Dialect(),
                                               job.Database().TextCodec())
                    + Semicolon;
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
        // The message has no character set: its bytes are the connection's that made it.
        QStringLiteral("select rdb$exception_name, cast(rdb$message as varchar(1021) character set octets), "
                       "rdb$description from rdb$exceptions "
                       "where rdb$system_flag=0 or rdb$system_flag is null order by rdb$exception_name"));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (!job.Selected(name))
            continue;
        const QString description = rows.Text(2);
        if (!description.isEmpty())
            out << DescriptionComment(description);
        out << QStringLiteral("CREATE EXCEPTION ") + job.Name(name) + QLatin1Char(' ')
                + QvSql::StoredBytesLiteral(StrTrimTrailingSpaces(rows.Text(1)).toLatin1(), job.Database().TextCodec())
                + Semicolon;
        WriteCommentOn(job, QStringLiteral("EXCEPTION"), name, description);
    }
    out << QString();
    scope.Commit();
}

// --- views, functions ---------------------------------------------------------

void ExtractViews(TExtractJob& job)
{
    WriteBanner(job.Output(), QStringLiteral("/*              Views              */"));
    TWriterScope scope(job);
    const std::vector<TView>& views = job.Plan().EarlyViews();
    const int n = int(views.size());
    for (int k = 0; k < n; ++k) {
        job.Progress(35, 20, k, n);
        WriteView(job, views[std::size_t(k)], Semicolon);
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
            QString type = job.Catalog().TypeText(types.Read(rows),
                                                  QStringLiteral("Argument %1 of function %2").arg(rows.Integer(5)).arg(name));
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
        WriteCommentOn(job, QStringLiteral("EXTERNAL FUNCTION"), name, description);
    }
    out << QString();
    {
        // Blob filters: code of a module, as external functions are.
        TCatalogQuery filters(scope.Query(), &job.Database(),
            QStringLiteral("select rdb$function_name, rdb$module_name, rdb$entrypoint, rdb$input_sub_type, "
                           "rdb$output_sub_type, rdb$description from rdb$filters "
                           "where rdb$system_flag is null or rdb$system_flag=0 order by rdb$function_name"));
        for (; !filters.Eof(); filters.Next()) {
            const QString name = filters.Name(0);
            if (!job.Selected(name))
                continue;
            out << QStringLiteral("DECLARE FILTER %1 INPUT_TYPE %2 OUTPUT_TYPE %3 ENTRY_POINT %4 MODULE_NAME %5;")
                       .arg(job.Name(name), QString::number(filters.Integer(3)), QString::number(filters.Integer(4)),
                            QvSql::SingleQuoted(StrTrimTrailingSpaces(filters.Text(2))),
                            QvSql::SingleQuoted(StrTrimTrailingSpaces(filters.Text(1))));
            WriteCommentOn(job, QStringLiteral("FILTER"), name, filters.Text(5));
        }
        out << QString();
    }
    scope.Commit();
}

// --- procedures, triggers ------------------------------------------------------

void ExtractProcedures(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*        Stored Procedures        */"));
    TWriterScope scope(job);
    const std::vector<TRoutine> functions = ReadFunctions(job, scope.Query());
    const std::vector<TRoutine> procedures = ReadProcedures(job, scope.Query());
    const std::vector<TPackage> packages = ReadPackages(job, scope.Query());
    const TExtractPlan& plan = job.Plan();
    const int n = int(functions.size() + procedures.size() + packages.size());
    int k = 0;
    // First every header, so that any body, and any view, can call any
    // routine. A selectable procedure's stub must suspend, or no caller
    // that selects from it compiles.
    for (const TRoutine& function : functions) {
        job.Progress(55, 20, k++, 2 * n);
        out << QStringLiteral("CREATE FUNCTION ") + RoutineHead(job, function) + QLatin1Char(' ')
                + FunctionResult(function) + QStringLiteral(" AS BEGIN END ^");
    }
    for (const TRoutine& procedure : procedures) {
        job.Progress(55, 20, k++, 2 * n);
        if (!procedure.description.isEmpty())
            out << DescriptionComment(procedure.description);
        QString line = QStringLiteral("CREATE PROCEDURE ") + RoutineHead(job, procedure);
        if (!procedure.outputs.isEmpty())
            line += QStringLiteral(" RETURNS (") + procedure.outputs.join(QLatin1Char(',')) + QLatin1Char(')');
        out << line
                + (procedure.selectable ? QStringLiteral(" AS BEGIN SUSPEND; END ^")
                                        : QStringLiteral(" AS BEGIN EXIT; END ^"));
    }
    for (const TPackage& package : packages) {
        job.Progress(55, 20, k++, 2 * n);
        out << QStringLiteral("/* Package: ") + QvSql::CommentText(package.name) + QStringLiteral("  */");
        out << QStringLiteral("CREATE PACKAGE ") + job.Name(package.name) + QStringLiteral(" AS");
        out << SourceText(package.header);
        out << QStringLiteral(" ^ ");
    }
    const auto writeFunction = [&](const TRoutine& function) {
        out << QStringLiteral("/* Function: ") + QvSql::CommentText(function.name) + QStringLiteral("  */");
        out << QStringLiteral("ALTER FUNCTION ") + RoutineHead(job, function);
        out << FunctionResult(function);
        out << QStringLiteral("AS");
        out << SourceText(function.source);
        out << QStringLiteral(" ^ ");
        out << QString();
        WriteCommentOn(job, QStringLiteral("FUNCTION"), function.name, function.description, Caret);
        WriteParameterComments(job, function);
    };
    const auto writePackage = [&](const TPackage& package) {
        out << QStringLiteral("/* Package body: ") + QvSql::CommentText(package.name) + QStringLiteral("  */");
        if (!package.body.isEmpty()) {
            out << QStringLiteral("CREATE PACKAGE BODY ") + job.Name(package.name) + QStringLiteral(" AS");
            out << SourceText(package.body);
            out << QStringLiteral(" ^ ");
        }
        out << QString();
        WriteCommentOn(job, QStringLiteral("PACKAGE"), package.name, package.description, Caret);
        for (const TPackagedComment& comment : package.comments) {
            if (comment.parameter.isEmpty())
                WriteCommentOn(job, comment.what, comment.routine, comment.description, Caret, QString(),
                               package.name);
            else
                WriteCommentOn(job, comment.what, comment.parameter, comment.description, Caret, comment.routine,
                               package.name);
        }
    };
    const auto writeProcedure = [&](const TRoutine& procedure) {
        out << QStringLiteral("/* Procedure: ") + QvSql::CommentText(procedure.name) + QStringLiteral("  */");
        if (!procedure.description.isEmpty())
            out << DescriptionComment(procedure.description);
        out << QStringLiteral("ALTER PROCEDURE ") + RoutineHead(job, procedure);
        if (!procedure.outputs.isEmpty())
            out << QStringLiteral("RETURNS (") + procedure.outputs.join(QLatin1Char(',')) + QLatin1Char(')');
        out << QStringLiteral("AS");
        out << SourceText(procedure.source);
        out << QStringLiteral(" ^ ");
        out << QString();
        WriteCommentOn(job, QStringLiteral("PROCEDURE"), procedure.name, procedure.description, Caret);
        WriteParameterComments(job, procedure);
    };
    // Then the other views and the bodies, each after what it reads.
    const auto named = [](const auto& objects, const QString& name) {
        const auto found = std::find_if(objects.cbegin(), objects.cend(),
                                        [&name](const auto& object) { return object.name == name; });
        return found == objects.cend() ? nullptr : &*found;
    };
    for (const TRoutineStep& step : plan.LateSteps()) {
        switch (step.kind) {
        case TRoutineStep::stView:
            WriteView(job, plan.LateView(step.name), Caret);
            continue;
        case TRoutineStep::stFunction:
            if (const TRoutine* function = named(functions, step.name))
                writeFunction(*function);
            break;
        case TRoutineStep::stPackage:
            if (const TPackage* package = named(packages, step.name))
                writePackage(*package);
            break;
        case TRoutineStep::stProcedure:
            if (const TRoutine* procedure = named(procedures, step.name))
                writeProcedure(*procedure);
            break;
        }
        job.Progress(55, 20, k++, 2 * n);
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
                       "rdb$trigger_inactive, rdb$trigger_source, rdb$description from rdb$triggers where ")
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
        WriteCommentOn(job, QStringLiteral("TRIGGER"), trigger.name, trigger.description, Caret);
    }
    scope.Commit();
}
