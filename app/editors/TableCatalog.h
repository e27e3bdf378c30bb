#pragma once

// The table editor's reads of the system tables: a table's whole definition
// (columns, primary key, foreign keys, indices, checks, uniques), the user
// domains, the tables a foreign key can reference and whether a constraint
// exists. Each read runs in a transaction of its own on the given database
// and raises the access layer's error when the server refuses it.

#include "app/editors/TableDDL.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TQvDatabase;
class TQvQuery;
class TQvTransaction;

struct TDomainInfo
{
    QString Name;
    int FieldType = 0;   // RDB$FIELD_TYPE
    QString TypeText;    // as FieldTypeToStr names it
};

struct TPrimaryKeyInfo
{
    QString Name;        // "" when the table has no primary key
    QStringList Fields;
};

// The selects LoadTable runs, in its order: columns, primary key, foreign
// keys, indices, checks, uniques.
QStringList TableLoadSelects(const QString& table);

class TTableCatalog
{
public:
    explicit TTableCatalog(TQvDatabase* database);
    ~TTableCatalog();
    TTableCatalog(const TTableCatalog&) = delete;
    TTableCatalog& operator=(const TTableCatalog&) = delete;

    TQvDatabase* Database() const { return m_database; }

    // The table as stored, every column and item unchanged.
    TTableDefinition LoadTable(const QString& table);
    std::vector<TDomainInfo> LoadDomains();
    TPrimaryKeyInfo PrimaryKey(const QString& table);
    // Tables that have a primary key, by name.
    QStringList TablesWithPrimaryKey();
    // Whether the database holds a constraint (or, for an index, an index) of that name.
    bool ConstraintExists(TConstraintKind kind, const QString& name);

private:
    TPrimaryKeyInfo ReadPrimaryKey(const QString& table);
    void LoadColumns(TTableDefinition& table);
    void LoadForeignKeys(TTableDefinition& table);
    void LoadIndices(TTableDefinition& table);
    void LoadChecks(TTableDefinition& table);
    void LoadUniques(TTableDefinition& table);

    TQvDatabase* m_database;
    std::unique_ptr<TQvTransaction> m_transaction;
    std::unique_ptr<TQvQuery> m_query;
};
