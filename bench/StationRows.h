#pragma once
// Realistic station rows for the benchmarks: the 20 fields of the station table, names of 4 to 8
// Chinese characters (8 to 16 bytes in code page 936), stream addresses of 40 to 60 bytes, the
// category the window writes, a few short texts, the other text fields empty, and the two times
// and the interval empty (null in the table).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataset/ClientDataSet.h"

// Adds the station table's 20 field definitions in column order.
void addStationFields(TClientDataSet& dataSet);

// A fixed pool of distinct station rows, generated from a seed; appends cycle through it so that
// generating values costs nothing inside a measurement.
class StationRowPool {
  public:
    explicit StationRowPool(std::size_t size = 4096, std::uint32_t seed = 936);
    const std::vector<TVarRec>& row(std::size_t i) const { return FRows[i % FRows.size()]; }

  private:
    std::vector<std::vector<TVarRec>> FRows;
};

// A new open station dataset holding rowCount stations, appended through the dataset and merged.
std::unique_ptr<TClientDataSet> buildStationDataSet(std::size_t rowCount,
                                                    const StationRowPool& pool);

// The binary datapacket of a dataset's table.
std::vector<unsigned char> streamStationTable(TClientDataSet& dataSet);

// Bytes the engine's column store needs for the table's live records (values, indicators and
// status bytes, without spare slots).
std::size_t columnStoreBytes(TClientDataSet& dataSet);
