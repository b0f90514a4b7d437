#pragma once
// The station table: its 20 fields in column order. Every datapacket the program writes carries
// these names, types and sizes; the entry page appends its values in this order.

#include <array>
#include <cstdint>
#include <string_view>

#include "DBTypes.h"

class TFieldDefs;

struct StationField {
    std::u16string_view name;
    TFieldType type;
    std::int32_t size;  // text fields: bytes in the ANSI code page; time and integer fields: 0
};

inline constexpr std::size_t kStationFieldCount = 20;

const std::array<StationField, kStationFieldCount>& stationSchema();

// Adds the station table's field definitions, in schema order, none of them required.
void defineStationFields(TFieldDefs& fieldDefs);
