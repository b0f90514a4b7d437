#include "dataset/DBTypes.h"

#include "platform/Unicode.h"

namespace {
const char* const kTypeNames[kFieldTypeCount] = {
    "Unknown",    "String",          "Smallint",      "Integer",     "Word",         "Boolean",
    "Float",      "Currency",        "BCD",           "Date",        "Time",         "DateTime",
    "Bytes",      "VarBytes",        "AutoInc",       "Blob",        "Memo",         "Graphic",
    "FmtMemo",    "ParadoxOle",      "DBaseOle",      "TypedBinary", "Cursor",       "FixedChar",
    "WideString", "Largeint",        "ADT",           "Array",       "Reference",    "DataSet",
    "OraBlob",    "OraClob",         "Variant",       "Interface",   "IDispatch",    "Guid",
    "TimeStamp",  "FMTBcd",          "FixedWideChar", "WideMemo",    "OraTimeStamp", "OraInterval",
    "LongWord",   "Shortint",        "Byte",          "Extended",    "Connection",   "Params",
    "Stream",     "TimeStampOffset", "Object",        "Single",
};
}  // namespace

std::u16string fieldTypeName(TFieldType type) {
    if (type >= kFieldTypeCount) return u"Unknown";
    return asciiToUtf16(kTypeNames[type]);
}
