#include "packet/xml/XmlAttributeNames.h"

#include "packet/AsciiCase.h"
#include "packet/TypeWord.h"

namespace {

constexpr std::uint32_t kUIntArray = 0x820004;
constexpr std::uint32_t kIntArray = 0x810004;
constexpr std::uint32_t kBoolean = 0x30002;
constexpr std::uint32_t kI2 = 0x10002;
// Widths and scales travel as u16 in binary packets; read as i2 a value above 32767 that the
// writer put out could not be read back.
constexpr std::uint32_t kUI2 = 0x20002;
constexpr std::uint32_t kI4 = 0x10004;
constexpr std::uint32_t kString = 0x490001;

struct KnownAttribute {
    std::string_view name;
    std::uint32_t readType;
};

constexpr KnownAttribute kKnown[] = {
    {"UNIQUE_KEY", kUIntArray},
    {"DEFAULT_ORDER", kUIntArray},
    {"CHANGE_LOG", kUIntArray},
    {"SERVER_COL", kString},
    {"DATASET_DELTA", kBoolean},
    {"READONLY", kBoolean},
    {"SUBTYPE", kString},
    {"DECIMALS", kUI2},
    {"WIDTH", kUI2},
    {"LCID", kI2},
    {"AUTOINCVALUE", kI4},
    {"TABLENAME", kString},
    {"TYPENAME", kString},
    {"UPDATEMODE", kI2},
    {"MD_SEMANTICS", kUIntArray},
    {"CALCULATED", kBoolean},
    {"DELTA", kBoolean},
    {"PRIMARY_KEY", kUIntArray},
    {"MINVALUE", kString},
    {"MAXVALUE", kString},
    {"DEFVALUE", kString},
};

}  // namespace

bool isXmlKnownAttribute(std::string_view name) {
    for (const auto& k : kKnown) {
        if (equalsIgnoringAsciiCase(name, k.name)) return true;
    }
    return false;
}

std::uint32_t xmlAttributeReadType(std::string_view name) {
    for (const auto& k : kKnown) {
        if (equalsIgnoringAsciiCase(name, k.name)) return k.readType;
    }
    if (equalsIgnoringAsciiCase(name, "MD_FIELDLINKS")) return kIntArray;
    return kString;
}
