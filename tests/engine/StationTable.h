#pragma once
// Descriptors for engine tests: the station table's, and single ones made by hand.

#include <cstring>
#include <string>
#include <vector>

#include "dataset/FieldDefs.h"
#include "dataset/FieldDescriptors.h"
#include "engine/DSTypes.h"
#include "stations/StationSchema.h"

// The station table's descriptors as the dataset layer hands them to defineTable: the one
// schema, encoded by the dataset's own encoder.
inline std::vector<DSFLDDesc> stationDescriptors() {
    TFieldDefs defs(nullptr);
    defineStationFields(defs);
    return fieldDefsToDescriptors(defs);
}

// Name, engine type and width of each station column, read from those descriptors.
struct StationColumn {
    std::string name;
    std::int32_t type;
    std::int32_t width;
};

inline const std::vector<StationColumn>& stationColumns() {
    static const std::vector<StationColumn> columns = [] {
        std::vector<StationColumn> out;
        for (const DSFLDDesc& d : stationDescriptors())
            out.push_back({d.szName, static_cast<std::int32_t>(d.iFldType),
                           static_cast<std::int32_t>(d.iUnits1)});
        return out;
    }();
    return columns;
}

inline DSFLDDesc makeDescriptor(const char* name, std::int32_t type, std::int32_t units1) {
    DSFLDDesc d;
    std::memset(&d, 0, sizeof d);
    std::memcpy(d.szName, name, strnlen(name, 31));
    d.iFldType = type;
    d.iUnits1 = units1;
    return d;
}
