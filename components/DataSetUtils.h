#pragma once

// Two routines over any dataset: a locate that steps through the records
// one by one (for datasets without a faster search of their own), and the
// emptiness test controls ask before they act on the current record.

#include "platform/db/DbTypes.h"

#include <QString>
#include <QVariant>

// Goes to the first record whose key fields (";"-separated names) match the
// key values: one value for one field, else a QVariantList with one value per
// field (a count that differs raises). The current record is tried first and
// kept when it matches. String fields compare their text (cut to the key's
// length with loPartialKey; letter case aside with loCaseInsensitive), by the
// user's locale; other fields compare their values. True on a match; false
// leaves the dataset on the record it was on. The dataset's controls are
// disabled while it steps and enabled again, and the position restored, on
// every way out, an error included.
bool DataSetLocateScan(TDataSet& dataSet, const QString& keyFields, const QVariant& keyValues,
                       TLocateOptions options);

// True for no dataset, a closed one, or one at its beginning and its end at once.
bool DataSetEmpty(const TDataSet* dataSet);
