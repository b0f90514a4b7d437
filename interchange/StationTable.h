#pragma once
// Moving stations between StationValues and the station table of a TClientDataSet.

#include <span>
#include <vector>

#include "dataset/FieldClasses.h"
#include "interchange/EntryToStation.h"

class TClientDataSet;

// The 20 values as AppendRecord takes them.
std::vector<TVarRec> stationRecord(const StationValues& station);

// Appends the stations at the end of an open station table with AppendRecord, in order, as the
// entry page appends a typed station; the change log keeps them until the caller's save
// sequence merges it. Errors of the dataset layer pass on to the caller.
void appendStations(TClientDataSet& table, std::span<const StationValues> stations);

// The stations of an open table in its order, each field read by name with AsString, so a table
// whose columns are in another order or a subset reads as well (a missing field reads empty).
// The table must be in browse state; its current record is the same afterwards.
std::vector<StationValues> readStations(TClientDataSet& table);
