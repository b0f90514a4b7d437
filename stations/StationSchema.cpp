#include "stations/StationSchema.h"

#include <string>

#include "dataset/FieldDefs.h"

int stationFieldIndex(std::u16string_view name) {
    for (std::size_t i = 0; i < kStationFieldCount; ++i) {
        if (kStationSchema[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

void defineStationFields(TFieldDefs& fieldDefs) {
    for (const StationField& field : stationSchema())
        fieldDefs.Add(std::u16string(field.name), field.type, field.size, false);
}
