#pragma once
// Names of field subtypes (iFldSubType) as the "SUBTYPE" column attribute carries them.

#include <cstdint>
#include <string_view>

// Field subtype codes. The codes with a name travel as the "SUBTYPE" attribute; the date-time
// and interval codes only refine a field type between the dataset layer and the engine.
enum : std::int32_t {
    subtypeMoney = 21,
    subtypeText = 22,
    subtypeBinary = 23,
    subtypeFormatted = 24,
    subtypeOle = 25,
    subtypeGraphics = 26,
    subtypeDBaseOle = 27,
    subtypeTypedBinary = 28,
    subtypeAutoinc = 29,  // with a 4-byte integer: the table's auto-increment field
    subtypeAccessOle = 30,
    subtypeFixedChar = 31,
    subtypeWideText = 32,
    subtypeHMemo = 33,
    subtypeHBinary = 34,
    subtypeADTNestedTable = 35,
    subtypeBFile = 36,
    subtypeADTDate = 37,
    subtypeGuid = 38,
    subtypeReference = 70,
    subtypeTimeStamp = 24,     // of a date-time field (the code of "Formatted" for a BLOB)
    subtypeOraTimeStamp = 39,  // of a date-time field
    subtypeOraInterval = 40,   // of a string field
};

// The name of a subtype code, or nullptr when the code has none (and is then not written).
const char* subtypeName(std::int32_t code);

// The code of a subtype name, compared without regard to case; false for an unknown name.
bool subtypeCodeFromName(std::string_view name, std::int32_t* code);
