#pragma once

// The statements of the data view: the insert, update, delete, refresh and
// select its dataset runs on one table or view, made from the table's
// columns, and the order the user chose. Plain text work, kept apart from
// the window so that it can be checked without one.

#include "access/QvDataSet.h"

#include <QList>
#include <QString>

class TQvDatabase;
class TQvTransaction;

struct TDataViewColumn
{
    QString Name;
    // False for a column the server computes (COMPUTED BY, a view's
    // expression): it is shown but never written nor used to find the row,
    // its cached value being stale after any change of the row.
    bool Writable = true;
    // Its position in the select (arrays, never shown, take one too); -1
    // for its place in the list.
    int Field = -1;
};

struct TDataViewSortField
{
    QString Name;
    bool Descending = false;
};

struct TDataViewStatements
{
    QString Insert;
    QString Update;
    QString Delete;
    QString Refresh;
    QString Select;
    // " ORDER BY A,B DESCENDING", or empty without a sort order.
    QString OrderText;
    // The columns the parameters of each statement take, in their order.
    TQvParamSources InsertSources;
    TQvParamSources UpdateSources;
    TQvParamSources DeleteSources;
    TQvParamSources RefreshSources;
};

// The statements for the table. Names are spelled for the dialect
// (QvSql::Identifier); parameters are "?" and the column name, old values
// "?old_" and the column name, or, for a name a parameter cannot carry,
// "?COLUMN_" and the column's position. The parameters are bound by
// position (the sources), never by those names, so any column can be
// written. A read-only view gets no insert, update or delete; columns that
// are all computed get no refresh either.
TDataViewStatements DataViewStatements(const QString& table, const QList<TDataViewColumn>& columns,
                                       const QList<TDataViewSortField>& order, bool readOnly, int dialect);

// What the label under the grid shows for the order text.
QString DataViewOrderLabel(const QString& orderText);

// The columns of the select as the server describes them (prepared, never
// run), each marked writable unless the catalog says the server computes it.
// Names are read in the connection's character set.
// Runs in the given transaction, which must be active.
QList<TDataViewColumn> DescribeDataViewColumns(TQvDatabase* database, TQvTransaction* transaction,
                                               const QString& table, const QString& select);
