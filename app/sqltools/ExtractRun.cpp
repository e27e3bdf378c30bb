#include "app/sqltools/ExtractRun.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvScriptCodec.h"
#include "access/QvSqlRead.h"
#include "access/QvTextCodec.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractWriters.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"

#include <QSaveFile>

namespace {

bool hasKind(const QList<TExtractItem>& items, int kind)
{
    for (const TExtractItem& item : items)
        if (item.kind == kind)
            return true;
    return false;
}

bool namesCharacterSet(const QString& characterSet)
{
    return !characterSet.isEmpty() && characterSet.compare(QLatin1String("NONE"), Qt::CaseInsensitive) != 0;
}

// The database's own default character set, which a new copy must have.
QString DefaultCharacterSet(TQvDatabase& database, TQvTransaction& transaction)
{
    TQvTransactionScope scope(transaction);
    TQvQuery query;
    query.SetTransaction(&transaction);
    QString name;
    {
        TCatalogQuery row(query, &database, QStringLiteral("select rdb$character_set_name from rdb$database"));
        if (!row.Eof())
            name = row.Name(0);
    }
    scope.Commit();
    return name;
}

// The text as the character set can carry it, a character it cannot as "?".
QString Carried(const QString& text, const QvTextCodec& codec)
{
    QString carried;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, width);
        carried += codec.firstUncarried(character) < 0 ? character : QStringLiteral("?");
        i += width - 1;
    }
    return carried;
}

QStringList HeaderLines(TExtractJob& job, const TExtractHeader& header)
{
    QStringList lines;
    const bool create = job.Flag(efCreateDatabase);
    // A reader assumes dialect 3 where a script names none.
    lines << QStringLiteral("SET SQL DIALECT %1;").arg(job.Dialect()) << QString();
    // The connection's character set, always: the file's bytes are in it
    // (isql-fb reads them so), and the copy's connection reads as this one did.
    const QString names = namesCharacterSet(header.characterSet) ? header.characterSet.trimmed().toUpper()
                                                                 : QStringLiteral("NONE");
    lines << QStringLiteral("SET NAMES ") + names + QLatin1Char(';');
    QString line = create ? QStringLiteral("CREATE DATABASE ") : QStringLiteral("CONNECT ");
    line += job.Literal(header.path) + QLatin1Char(' ');
    if (job.Flag(efUserPassword))
        line += QStringLiteral("USER ") + job.Literal(header.user) + QStringLiteral(" PASSWORD ")
            + job.Literal(header.password);
    // A new database gets the original's page size and character set.
    if (create) {
        line += QStringLiteral(" PAGE_SIZE ") + QString::number(job.Database().PageSize());
        const QString characterSet = DefaultCharacterSet(job.Database(), job.Transaction());
        if (namesCharacterSet(characterSet))
            line += QStringLiteral(" DEFAULT CHARACTER SET ") + job.Name(characterSet);
    }
    // Only a comment: a name the script's character set cannot carry loses
    // the characters it cannot.
    lines << QStringLiteral("/* Create database : ") + QvSql::CommentText(Carried(header.name, QvTextCodec(names)))
            + QStringLiteral("       */");
    lines << line + QLatin1Char(';') << QString();
    return lines;
}

} // namespace

QList<TExtractItem> ListExtractObjects(TQvDatabase& database, TQvTransaction& transaction)
{
    QList<TExtractItem> items;
    TQvTransactionScope scope(transaction);
    TQvQuery query;
    query.SetTransaction(&transaction);
    // The catalog's system flag tells the system's objects (the MON$ and
    // SEC$ relations among them); a user's T_RDB$X is the user's.
    const auto list = [&](int kind, const QString& sql, auto&& accept) {
        TCatalogQuery rows(query, &database, sql);
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            if (accept(rows, name))
                items.append({name, kind});
        }
    };
    const auto any = [](const TCatalogQuery&, const QString&) { return true; };
    {
        QList<TExtractItem> tables;
        TCatalogQuery rows(query, &database,
            QStringLiteral("select t.rdb$relation_name, t.rdb$dbkey_length from rdb$relations t "
                           "where rdb$relation_name not in (select rdb$view_name from rdb$view_relations) "
                           "and rdb$view_blr is null and coalesce(rdb$system_flag, 0)=0 "
                           "order by rdb$relation_name desc"));
        for (; !rows.Eof(); rows.Next())
            if (rows.Integer(1) == 8)
                tables.prepend({rows.Name(0), ekTable});
        items << tables;
    }
    // Once per view, not once per table it reads; a view of no table at all
    // has no row there.
    list(ekView, QStringLiteral("select rdb$relation_name from rdb$relations where rdb$view_blr is not null "
                                "and coalesce(rdb$system_flag, 0)=0 order by rdb$relation_name"),
         any);
    list(ekProcedure, QStringLiteral("select rdb$procedure_name from rdb$procedures where rdb$package_name is null "
                                     "and coalesce(rdb$system_flag, 0)=0 order by rdb$procedure_name"),
         any);
    // The user's triggers only: not those the server makes for checks and
    // cascading keys, which carry a system flag (or, from older servers,
    // only their CHECK source).
    list(ekTrigger,
         QStringLiteral("select rdb$trigger_name, rdb$trigger_source from rdb$triggers "
                        "where coalesce(rdb$system_flag, 0)=0 order by rdb$trigger_name"),
         [](const TCatalogQuery& rows, const QString&) {
             const QString source = rows.Text(1);
             const QList<QvSql::Word> first = QvSql::LeadWords(source, 1);
             return first.isEmpty() || !QvSql::IsKeyword(source, first.front(), QLatin1String("CHECK"));
         });
    list(ekDomain, QStringLiteral("select rdb$field_name from rdb$fields where coalesce(rdb$system_flag, 0)=0 "
                                  "order by rdb$field_name"),
         [](const TCatalogQuery&, const QString& name) { return !QvTypes::IsImplicitDomain(name); });
    list(ekGenerator, QStringLiteral("select rdb$generator_name from rdb$generators "
                                     "where coalesce(rdb$system_flag, 0)=0 order by rdb$generator_name"),
         any);
    list(ekFunction, QStringLiteral("select rdb$function_name from rdb$functions where rdb$package_name is null "
                                    "and coalesce(rdb$system_flag, 0)=0 order by rdb$function_name"),
         any);
    list(ekFunction, QStringLiteral("select rdb$function_name from rdb$filters "
                                    "where coalesce(rdb$system_flag, 0)=0 order by rdb$function_name"),
         any);
    list(ekException, QStringLiteral("select rdb$exception_name from rdb$exceptions "
                                     "where coalesce(rdb$system_flag, 0)=0 order by rdb$exception_name"),
         any);
    list(ekPackage, QStringLiteral("select rdb$package_name from rdb$packages "
                                   "where coalesce(rdb$system_flag, 0)=0 order by rdb$package_name"),
         any);
    list(ekCollation, QStringLiteral("select rdb$collation_name from rdb$collations "
                                     "where coalesce(rdb$system_flag, 0)=0 order by rdb$collation_name"),
         any);
    list(ekRole, QStringLiteral("select rdb$role_name from rdb$roles where coalesce(rdb$system_flag, 0)=0 "
                                "order by rdb$role_name"),
         any);
    scope.Commit();
    return items;
}

namespace {

// A script file written a block at a time as the lines come, joined with
// CR LF as ScriptText joins them, each part in the character set its SET
// NAMES names.
class TScriptFileWriter
{
public:
    TScriptFileWriter(const QString& fileName, bool holdsPassword)
        : m_file(fileName)
    {
        m_ok = m_file.open(QIODevice::WriteOnly);
        // Readable by its owner alone, as the registry is.
        if (m_ok && holdsPassword)
            m_ok = m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_block.reserve(2 * BlockBytes);
    }

    bool Ok() const { return m_ok; }

    // Raises EQvClientError when a line holds a character its character set
    // cannot carry; the file is then not written.
    void Write(const QStringList& lines)
    {
        for (const QString& line : lines) {
            if (!m_first)
                m_block += "\r\n";
            m_first = false;
            // Each line on its own gives the bytes of the joined text: a
            // line holds whole characters, and the separator is plain ASCII.
            m_block += m_encoder.Encode(line);
            if (m_block.size() >= BlockBytes)
                WriteBlock();
        }
    }

    bool Commit()
    {
        WriteBlock();
        return m_ok && m_file.commit();
    }

private:
    static constexpr qsizetype BlockBytes = 1 << 20;

    void WriteBlock()
    {
        if (m_ok && m_file.write(m_block) != m_block.size())
            m_ok = false;
        m_block.resize(0);
    }

    QSaveFile m_file;
    QvScriptCodec::TEncoder m_encoder;
    QByteArray m_block;
    bool m_ok = false;
    bool m_first = true;
};

void RunWriters(TExtractJob& job, TExtractResult& result, const TExtractHeader& header,
                const QList<TExtractItem>& items, int flags, const std::function<void(int)>& progress);

} // namespace

TExtractResult ExtractScript(TQvDatabase& database, TQvTransaction& transaction, const TExtractHeader& header,
                             const QList<TExtractItem>& items, int flags, const std::function<void(int)>& progress)
{
    TExtractResult result;
    QStringList selected;
    for (const TExtractItem& item : items)
        selected << item.name;
    TExtractJob job(database, transaction, selected, flags, result.lines);
    RunWriters(job, result, header, items, flags, progress);
    return result;
}

bool ExtractScriptToFile(TQvDatabase& database, TQvTransaction& transaction, const TExtractHeader& header,
                         const QList<TExtractItem>& items, int flags, const QString& fileName,
                         TExtractResult& result, const std::function<void(int)>& progress)
{
    TScriptFileWriter file(fileName, (flags & efUserPassword) != 0);
    if (!file.Ok())
        return false;
    QStringList selected;
    for (const TExtractItem& item : items)
        selected << item.name;
    TExtractJob job(database, transaction, selected, flags, result.lines);
    job.SetSink([&file](const QStringList& lines) { file.Write(lines); });
    RunWriters(job, result, header, items, flags, progress);
    job.Flush();
    return file.Commit();
}

namespace {

// Runs a section's writer; a section that wrote nothing but its banner and
// blank lines (external functions of a database that has only PSQL ones,
// views that all wait for routines) is taken out again.
void WriteSection(TExtractJob& job, void (*writer)(TExtractJob&))
{
    QStringList& out = job.Output();
    const qsizetype start = out.size();
    writer(job);
    if (out.size() < start + BannerLines)
        return;
    for (qsizetype i = start + BannerLines; i < out.size(); ++i)
        if (!out.at(i).trimmed().isEmpty())
            return;
    out.resize(start);
}

void RunWriters(TExtractJob& job, TExtractResult& result, const TExtractHeader& header,
                const QList<TExtractItem>& items, int flags, const std::function<void(int)>& progress)
{
    if (progress) {
        progress(0);
        job.SetProgressHandler(progress);
    }
    result.lines << HeaderLines(job, header);

    if ((flags & (efMetadataOnly | efMetadataAndData)) != 0) {
        if (job.Flag(efDropObjects))
            ExtractDrops(job);
        if (hasKind(items, ekCollation))
            WriteSection(job, ExtractCollations);
        // Domains, checks and computed columns may call external functions.
        if (hasKind(items, ekFunction))
            WriteSection(job, ExtractFunctions);
        if (hasKind(items, ekDomain))
            WriteSection(job, ExtractDomains);
        if (hasKind(items, ekGenerator))
            WriteSection(job, ExtractGenerators);
        if (hasKind(items, ekException))
            WriteSection(job, ExtractExceptions);
        if (hasKind(items, ekTable))
            WriteSection(job, ExtractTables);
        if (hasKind(items, ekView))
            WriteSection(job, ExtractViews);
        result.lines << QStringLiteral("COMMIT WORK;") << QStringLiteral("SET TERM ^ ;");
        if (hasKind(items, ekProcedure) || hasKind(items, ekFunction) || hasKind(items, ekPackage))
            WriteSection(job, ExtractProcedures);
        if (hasKind(items, ekTrigger))
            WriteSection(job, ExtractTriggers);
        result.lines << QStringLiteral("COMMIT WORK ^") << QStringLiteral("SET TERM ; ^");
        if (hasKind(items, ekTable) || hasKind(items, ekDomain))
            ExtractLateDefinitions(job);
        ExtractGrants(job);
    }
    if ((flags & (efDataOnly | efMetadataAndData)) != 0)
        ExtractData(job);
    if (job.Flag(efMetadataAndData) && hasKind(items, ekTable))
        ExtractConstraints(job);
    result.reports = job.Reports();
}

} // namespace

QString ScriptText(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

bool SaveScript(const QString& fileName, const QString& text, bool holdsPassword)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (holdsPassword && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const QByteArray bytes = QvScriptCodec::Encode(text);
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

bool SaveScript(const QString& fileName, const QStringList& lines, bool holdsPassword)
{
    TScriptFileWriter file(fileName, holdsPassword);
    if (!file.Ok())
        return false;
    file.Write(lines);
    return file.Commit();
}
