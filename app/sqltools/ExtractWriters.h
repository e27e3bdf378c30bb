#pragma once

// The writers of an extracted script: each turns one kind of object of a
// database (or the rows of its tables) into script text. They read the
// system tables on a connection and transaction they are lent, write only
// the objects whose names are selected, and append lines to an output list.
// An output line may hold line breaks of its own (a source or a value as the
// database keeps it); the script joins the lines with CR LF.

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TQvDatabase;
class TQvTransaction;

// Option flags of an extraction run.
enum TExtractFlag : int {
    efDropObjects = 1,
    efIndices = 2,
    efKeys = 4,
    efPreview = 8,
    efCreateDatabase = 16,
    efUserPassword = 32,
    efMetadataOnly = 64,
    efMetadataAndData = 128,
    efDataOnly = 256,
};

// Kinds of object in the selection, numbered as the extraction dialog's items.
enum TExtractKind : int {
    ekTable = 1,
    ekView = 2,
    ekProcedure = 3,
    ekTrigger = 4,
    ekDomain = 5,
    ekGenerator = 6,
    ekFunction = 7,
    ekException = 8,
    ekPackage = 9,
    ekCollation = 10,
    ekRole = 11,
};

class TExtractCatalog;
class TExtractPlan;

// One extraction's shared state: where the writers read, what they write,
// and what they had to report.
class TExtractJob
{
public:
    // The transaction must be bound to the database and not active; each
    // writer starts it and ends it. `selected` holds the names (trailing
    // blanks removed) of the objects to write, whatever their kind.
    TExtractJob(TQvDatabase& database, TQvTransaction& transaction, const QStringList& selected, int flags,
                QStringList& output);
    ~TExtractJob();
    TExtractJob(const TExtractJob&) = delete;
    TExtractJob& operator=(const TExtractJob&) = delete;

    TQvDatabase& Database() const { return m_database; }
    TQvTransaction& Transaction() const { return m_transaction; }
    int Flags() const { return m_flags; }
    bool Flag(int flag) const { return (m_flags & flag) != 0; }
    int Dialect() const { return m_dialect; }
    QStringList& Output() const { return m_output; }
    bool Selected(const QString& name) const { return m_selected.contains(name); }

    // An object name as a statement of the database's dialect writes it.
    QString Name(const QString& name) const;
    // A string literal in the database's dialect.
    QString Literal(const QString& text) const;

    // With a sink, Flush hands it the lines written so far and empties the
    // output: a long run (the rows of a big table) is never held whole.
    void SetSink(std::function<void(const QStringList&)> sink) { m_sink = std::move(sink); }
    void Flush();

    // Called with the bar's new position (0 to 100) as the writers go.
    void SetProgressHandler(std::function<void(int)> handler) { m_progress = std::move(handler); }
    // Moves the bar to base + slice * k / n.
    void Progress(int base, int slice, int k, int n) const;

    // What the writers could not write as it is, for the user; each is also
    // a comment in the script.
    void Report(const QString& text);
    const QStringList& Reports() const { return m_reports; }

    // Character sets, collations and array bounds, read once per run.
    TExtractCatalog& Catalog();
    // What the selected objects use, and the order that follows, read once
    // per run; the transaction must be active.
    const TExtractPlan& Plan();

private:
    TQvDatabase& m_database;
    TQvTransaction& m_transaction;
    QSet<QString> m_selected;
    int m_flags;
    int m_dialect;
    QStringList& m_output;
    std::function<void(int)> m_progress;
    std::function<void(const QStringList&)> m_sink;
    QStringList m_reports;
    std::unique_ptr<TExtractCatalog> m_catalog;
    std::unique_ptr<TExtractPlan> m_plan;
};

// With the drop flag, the run calls this first: a DROP for every selected
// object, dependents before what they depend on, so each can succeed.
void ExtractDrops(TExtractJob& job);

// The writers, in the order an extraction run calls them.
void ExtractCollations(TExtractJob& job);
// External functions (DECLARE EXTERNAL FUNCTION); PSQL ones come with the
// procedures.
void ExtractFunctions(TExtractJob& job);
void ExtractDomains(TExtractJob& job);
void ExtractGenerators(TExtractJob& job);
void ExtractExceptions(TExtractJob& job);
// Tables with their keys and indices; a computed column, an index or a
// check that uses what comes later waits for ExtractLateDefinitions.
void ExtractTables(TExtractJob& job);
// The views that read no selected routine, in the order they were made.
// The others are written by ExtractProcedures, when the routines' headers
// exist.
void ExtractViews(TExtractJob& job);
// PSQL functions, procedures and packages: stubs of the functions and
// procedures and the packages' headers first, then the other views and the
// bodies, each after what it reads (see TExtractPlan).
void ExtractProcedures(TExtractJob& job);
void ExtractTriggers(TExtractJob& job);
// What the domains' and tables' sections left because it uses routines,
// views or later tables: domains' checks, computed columns, indices on
// expressions and, with metadata only, the checks of the tables.
void ExtractLateDefinitions(TExtractJob& job);
// The selected roles with their descriptions and members, then the GRANTs
// of the privileges others hold on the selected objects (their owner's own
// come with them), of those the selected objects and roles hold on the
// system's tables, and of the DDL privileges (CREATE, ALTER ANY, DROP ANY)
// the selected roles hold and, in a script that makes the database, the
// users.
void ExtractGrants(TExtractJob& job);
// With metadata and data, foreign keys and check constraints come after
// the rows (keys may form a cycle no order of rows satisfies; a check may
// read other tables as they were when its row was written): ExtractTables
// leaves them out, and the run writes them here after ExtractData.
void ExtractConstraints(TExtractJob& job);
// INSERTs for the rows of the selected tables, parents before children,
// then the selected generators' values.
void ExtractData(TExtractJob& job);

// The banner of a section: four lines around a 37-character title line.
void WriteBanner(QStringList& output, const QString& title);
// The lines WriteBanner writes: a rule, the title, a rule and a blank line.
inline constexpr qsizetype BannerLines = 4;
// A description as a comment line; no comment end inside it survives.
QString DescriptionComment(const QString& description);
