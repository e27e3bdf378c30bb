#pragma once

// A statement with a transaction of its own on one database, for a read or
// a change that must not touch the data module's shared ones; both go with
// it. The statement takes "?" and ":" as text unless paramCheck is set.

#include "access/QvDatabase.h"
#include "access/QvQuery.h"

struct TOwnStatement
{
    explicit TOwnStatement(TQvDatabase& database, bool paramCheck = false)
    {
        transaction.AddDatabase(&database);
        query.SetDatabase(&database);
        query.SetTransaction(&transaction);
        query.SetParamCheck(paramCheck);
    }

    TQvTransaction transaction;
    TQvQuery query;
};
