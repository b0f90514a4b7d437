#include "packet/SubtypeNames.h"

#include "packet/AsciiCase.h"

namespace {

struct Subtype {
    std::int32_t code;
    const char* name;
};

constexpr Subtype kSubtypes[] = {
    {subtypeMoney, "Money"},
    {subtypeText, "Text"},
    {subtypeBinary, "Binary"},
    {subtypeFormatted, "Formatted"},
    {subtypeOle, "Ole"},
    {subtypeGraphics, "Graphics"},
    {subtypeDBaseOle, "dBASEOle"},
    {subtypeTypedBinary, "TypedBinary"},
    {subtypeAutoinc, "Autoinc"},
    {subtypeAccessOle, "AccessOle"},
    {subtypeFixedChar, "FixedChar"},
    {subtypeWideText, "WideText"},
    {subtypeHMemo, "HMemo"},
    {subtypeHBinary, "HBinary"},
    {subtypeADTNestedTable, "ADTNestedTable"},
    {subtypeBFile, "BFile"},
    {subtypeADTDate, "ADTDate"},
    {subtypeGuid, "Guid"},
    {subtypeReference, "Reference"},
};

}  // namespace

const char* subtypeName(std::int32_t code) {
    for (const auto& s : kSubtypes) {
        if (s.code == code) return s.name;
    }
    return nullptr;
}

bool subtypeCodeFromName(std::string_view name, std::int32_t* code) {
    for (const auto& s : kSubtypes) {
        if (equalsIgnoringAsciiCase(name, s.name)) {
            *code = s.code;
            return true;
        }
    }
    return false;
}
