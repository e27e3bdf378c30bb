#pragma once

// One select on the system tables, run on a statement or a buffered dataset
// the caller lends (the shared ones of the data module), in SQL dialect 1
// whatever the database's (the system's own texts are written for it; it
// reads every type on a dialect-3 database too), read row by row
// with its columns found by name once, and text blobs (descriptions,
// sources) read as text.

#include <QString>
#include <QStringList>

#include <vector>

class TQvDatabase;
class TQvDataSet;
class TQvQuery;

class TCatalogQuery
{
public:
    // Binds the statement to the database, sets the text and executes it in
    // the statement's transaction, which must be active. The first row, if
    // any, is current afterwards.
    TCatalogQuery(TQvQuery& query, TQvDatabase* database, const QString& sql);
    // The same on a buffered dataset, which is opened on the select; its
    // transaction must be active.
    TCatalogQuery(TQvDataSet& dataSet, TQvDatabase* database, const QString& sql);
    // Closes the cursor or the dataset; never throws.
    ~TCatalogQuery();
    TCatalogQuery(const TCatalogQuery&) = delete;
    TCatalogQuery& operator=(const TCatalogQuery&) = delete;

    bool Eof() const;
    void Next();

    // The column's position in the row, or -1 when the select has no such column.
    int Column(const QString& name) const;
    bool IsNull(int column) const;
    // The value as text; a text blob is read whole. A null reads as "".
    QString Text(int column) const;
    QString Text(const QString& name) const { return Text(Required(name)); }
    // A name column's text without the blanks that pad it.
    QString Name(int column) const;
    int Integer(int column) const;
    int Integer(const QString& name) const { return Integer(Required(name)); }

private:
    int Required(const QString& name) const;
    QString BlobText(int column) const;

    TQvQuery* m_query = nullptr;
    TQvDataSet* m_dataSet = nullptr;
    int m_savedDialect = 0;
};
