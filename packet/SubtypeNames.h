#pragma once
// Names of field subtypes (iFldSubType) as the "SUBTYPE" column attribute carries them.

#include <cstdint>
#include <string_view>

// The name of a subtype code, or nullptr when the code has none (and is then not written).
const char* subtypeName(std::int32_t code);

// The code of a subtype name, compared without regard to case; false for an unknown name.
bool subtypeCodeFromName(std::string_view name, std::int32_t* code);
