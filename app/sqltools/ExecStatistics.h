#pragma once

// The statistics of one run as the SQL editor charts them: the counters and
// their growth come from the shell (TableCounters.h); here the labels of the
// bars and the names of the tables they stand for.

#include "app/shell/TableCounters.h"

#include <QList>
#include <QString>
#include <QStringList>

class TQvDatabase;

// The labels of the bars of one chart, each unique: a table's name alone, or,
// when the table has bars of several kinds in that chart, the name followed
// by the kind ("T (non-indexed)", "T (indexed)").
QStringList UniqueBarLabels(const QList<TStatBar>& bars, const QStringList& names);
QString StatKindText(int kind);

// The names of relations by id, each read with
// "select rdb$relation_name from rdb$relations where rdb$relation_id=<id>"
// in a transaction of its own, trailing blanks removed. An id without a
// relation gives "#<id>".
QString RelationName(TQvDatabase& database, int relationId);
