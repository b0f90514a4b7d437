#pragma once
// The station table's definitions, added to a dataset the way the window adds them.

#include "dataset/ClientDataSet.h"
#include "stations/StationSchema.h"

inline const auto& stationFieldDefs() {
    return stationSchema();
}

inline void addStationFieldDefs(TClientDataSet& ds) {
    defineStationFields(ds.FieldDefs());
}
