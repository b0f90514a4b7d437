#include "SubtypeNames.h"

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

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace

const char* subtypeName(std::int32_t code) {
    for (const auto& s : kSubtypes) {
        if (s.code == code) return s.name;
    }
    return nullptr;
}

bool subtypeCodeFromName(std::string_view name, std::int32_t* code) {
    for (const auto& s : kSubtypes) {
        if (equalsIgnoringCase(name, s.name)) {
            *code = s.code;
            return true;
        }
    }
    return false;
}
