#pragma once

#include <QByteArray>
#include <QFlags>

class TDataSet;
class TField;

// What a dataset is doing; its data sources and the fields read it.
enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields, // OnCalcFields runs on the calculation buffer
    dsFilter,     // OnFilterRecord looks at a candidate record
    dsNewValue,   // a dataset stores a value it computed itself: no change notice
};

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftLargeint, // 64-bit whole numbers
    ftFMTBcd,   // exact decimals on 64-bit integers (Size: digits after the point)
};

const char* FieldTypeName(TFieldType type);
bool IsBlobFieldType(TFieldType type);

enum TFieldKind { fkData, fkCalculated };

// How GetRecord moves the concrete dataset's cursor.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

// Where a record buffer stands: a fetched record, the crack before the first
// or after the last one (a record being appended), or a record being inserted.
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// A position in a dataset, opaque outside the dataset that made it. It is a
// value: nothing has to be freed.
using TBookmark = QByteArray;

enum TDataEvent {
    deFieldChange,     // a field of the active record changed
    deRecordChange,    // the active record changed as a whole
    deDataSetChange,   // anything may have changed
    deDataSetScroll,   // the cursor moved
    deLayoutChange,    // fields were added, removed or changed their look
    deUpdateRecord,    // controls: write what you hold into the record
    deUpdateState,     // the dataset's state changed
    deCheckBrowseMode, // controls: the record is about to be left
};

enum TDataAction { daFail, daAbort, daRetry };

enum TLocateOption {
    loCaseInsensitive = 0x1,
    loPartialKey = 0x2,
};
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
