#include "platform/db/DbTypes.h"

const char* FieldTypeName(TFieldType type)
{
    switch (type) {
    case ftUnknown: return "Unknown";
    case ftString: return "String";
    case ftSmallint: return "SmallInt";
    case ftInteger: return "Integer";
    case ftWord: return "Word";
    case ftBoolean: return "Boolean";
    case ftFloat: return "Float";
    case ftCurrency: return "Currency";
    case ftBCD: return "BCD";
    case ftDate: return "Date";
    case ftTime: return "Time";
    case ftDateTime: return "DateTime";
    case ftBytes: return "Bytes";
    case ftVarBytes: return "VarBytes";
    case ftAutoInc: return "AutoInc";
    case ftBlob: return "Blob";
    case ftMemo: return "Memo";
    case ftGraphic: return "Graphic";
    case ftFmtMemo: return "FmtMemo";
    case ftParadoxOle: return "ParadoxOle";
    case ftDBaseOle: return "DBaseOle";
    case ftTypedBinary: return "TypedBinary";
    case ftCursor: return "Cursor";
    case ftLargeint: return "Largeint";
    case ftFMTBcd: return "FMTBcd";
    }
    return "Unknown";
}

bool IsBlobFieldType(TFieldType type)
{
    switch (type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
        return true;
    default:
        return false;
    }
}
