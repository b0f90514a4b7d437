#include "SubtypeNames.h"

#include "packet/AsciiCase.h"

namespace {

struct Subtype {
    std::int32_t code;
    const char* name;
};

constexpr Subtype kSubtypes[] = {
    {21, "Money"},   {22, "Text"},      {23, "Binary"},         {24, "Formatted"},
    {25, "Ole"},     {26, "Graphics"},  {27, "dBASEOle"},       {28, "TypedBinary"},
    {29, "Autoinc"}, {30, "AccessOle"}, {31, "FixedChar"},      {32, "WideText"},
    {33, "HMemo"},   {34, "HBinary"},   {35, "ADTNestedTable"}, {36, "BFile"},
    {37, "ADTDate"}, {38, "Guid"},      {70, "Reference"},
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
