#include "interchange/StationTable.h"

#include <pthread.h>

#include <array>
#include <exception>
#include <thread>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/StationHandover.h"
#include "platform/CodePage.h"

std::vector<TVarRec> stationRecord(const StationValues& station) {
    std::vector<TVarRec> record;
    record.reserve(station.size());
    for (const std::u16string& value : station) record.push_back(TVarRec::unicode(value));
    return record;
}

namespace {
// Stations as AppendTextRecords takes them: each value converted to the code page once, into
// one buffer that keeps its storage from chunk to chunk, and handed to the table a chunk at a
// time.
class StationRecordChunk {
  public:
    explicit StationRecordChunk(TClientDataSet& table) : FTable(table) {}
    void add(const StationValues& station) {
        for (std::size_t f = 0; f < kStationFieldCount; ++f) {
            // Most values are the same from one station to the next (the fixed texts of a typed
            // station, the empty fields): each is converted when it changes.
            if (station[f] != FLast[f]) {
                FLast[f] = station[f];
                unicodeToAnsi(station[f], FLastConverted[f]);
            }
            FTexts += FLastConverted[f];
            FEnds.push_back(FTexts.size());
        }
        ++FUsed;
    }
    bool full() const { return FUsed >= kImportProgressStep; }
    void flush() {
        if (FUsed == 0) return;
        FValues.clear();
        std::size_t start = 0;
        for (const std::size_t end : FEnds) {
            FValues.emplace_back(FTexts.data() + start, end - start);
            start = end;
        }
        const auto restart = [this] {
            FUsed = 0;
            FTexts.clear();
            FEnds.clear();
        };
        try {
            FTable.AppendTextRecords(FValues);
        } catch (...) {
            restart();
            throw;
        }
        restart();
    }

  private:
    TClientDataSet& FTable;
    std::string FTexts;              // the values, one after the other
    std::vector<std::size_t> FEnds;  // where each value ends in FTexts
    std::vector<std::string_view> FValues;
    StationValues FLast;  // the values last converted, field by field
    std::array<std::string, kStationFieldCount> FLastConverted;
    std::size_t FUsed = 0;
};

// Takes the table back to the save point taken before an import, on the record that was current.
void undoImport(TClientDataSet& table, std::int32_t savePoint, std::int32_t current) {
    table.SetSavePoint(savePoint);
    if (current > 0 && current <= table.RecordCount()) table.SetRecNo(current);
}

}  // namespace

void appendStations(TClientDataSet& table, std::span<const StationValues> stations) {
    StationRecordChunk chunk(table);
    for (const StationValues& station : stations) {
        chunk.add(station);
        if (chunk.full()) chunk.flush();
    }
    chunk.flush();
}

namespace {
// Converts entry after entry and appends the stations taken, a progress step at a time.
class TableImport final : public PlaylistEntrySink {
  public:
    TableImport(TClientDataSet& table, DuplicateAddressIndex& addresses,
                const ImportProgress& progress)
        : FChunk(table), FAddresses(addresses), FProgress(progress) {}

    void take(const StationEntry& entry) override {
        ++FReport.entries;
        FAddresses.prefetch(entry.address);
        entryToStation(entry, FConverted);
        if (takeConversion(FConverted, FAddresses, FReport)) FChunk.add(FConverted.values);
        if (FReport.entries % kImportProgressStep == 0) {
            FChunk.flush();  // the table is whole again before the window's events run
            if (FProgress) FProgress(FReport.entries);
        }
    }
    ImportReport finish() {
        FChunk.flush();
        return std::move(FReport);
    }

  private:
    StationRecordChunk FChunk;
    DuplicateAddressIndex& FAddresses;
    const ImportProgress& FProgress;
    EntryConversion FConverted;
    ImportReport FReport;
};
}  // namespace

ImportReport importStationsInto(TClientDataSet& table, std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses, const ImportProgress& progress) {
    addresses.reserve(addresses.size() + entries.size());
    TableImport import(table, addresses, progress);
    for (const StationEntry& entry : entries) import.take(entry);
    return import.finish();
}

namespace {

// The reading thread's side of a file import: each entry read is converted, and those the rules
// do not skip go to the table thread in batches of the progress step, which tests them for
// duplicates and appends them.
class ReadingSide final : public PlaylistEntrySink {
  public:
    explicit ReadingSide(StationHandover& handover)
        : FHandover(handover), FBatch(&handover.emptyBatch()) {}

    void take(const StationEntry& entry) override {
        ++FReport.entries;
        // Converted in the batch's own slot, whose values keep their storage from batch to batch.
        EntryConversion& converted = FBatch->stations[FBatch->count];
        entryToStation(entry, converted);
        switch (converted.skip) {
            case SkipReason::None:
                ++FBatch->count;
                break;
            case SkipReason::NoAddress:
                ++FReport.noAddress;
                break;
            case SkipReason::InvalidAddress:
                ++FReport.invalidAddress;
                break;
            case SkipReason::AddressTooLong:
                ++FReport.addressTooLong;
                break;
            case SkipReason::Duplicate:
                break;  // not a rule of its own: the table side finds those
        }
        if (FReport.entries % kImportProgressStep == 0) handOver();
    }
    // The entries read and those the rules skipped.
    ImportReport finish() {
        handOver();
        FHandover.finish();
        return std::move(FReport);
    }

  private:
    void handOver() {
        FBatch->entriesDone = FReport.entries;
        FHandover.handOver(*FBatch);
        FBatch = &FHandover.emptyBatch();
    }

    StationHandover& FHandover;
    StationBatch* FBatch;
    ImportReport FReport;
};

}  // namespace

PlaylistImport importPlaylistFileInto(TClientDataSet& table, std::u16string_view path,
                                      std::optional<PlaylistFormat> format,
                                      DuplicateAddressIndex& addresses,
                                      const ImportProgress& progress) {
    // Two threads: one reads the file and converts its entries, this one appends the stations
    // to the table as they come (the table is this thread's alone, and so is `progress`).
    PlaylistImport result;
    const std::int32_t savePoint = table.SavePoint();
    const std::int32_t current = table.RecNo();
    StationHandover handover(kImportProgressStep);
    std::exception_ptr readingFailure;
    std::thread reading([&] {
        pthread_setname_np(pthread_self(), "list reading");  // seen in a profiler or debugger
        try {
            ReadingSide side(handover);
            result.file = readPlaylistFile(path, format, &result.reading, side);
            if (result.ok()) result.report = side.finish();
        } catch (const ImportStopped&) {
        } catch (...) {
            readingFailure = std::current_exception();
        }
        handover.finish();
    });
    ImportReport taken;  // the duplicates and the stations taken, counted on this side
    const auto addressIndex =
        static_cast<std::size_t>(stationFieldIndex(StationFieldName::Address));
    try {
        StationRecordChunk chunk(table);
        std::size_t reported = 0;
        constexpr std::size_t kLookAhead = 4;  // stations between fetching a slot and its test
        while (StationBatch* batch = handover.nextFull()) {
            for (std::size_t i = 0; i < batch->count; ++i) {
                if (i + kLookAhead < batch->count) {
                    addresses.prefetch(batch->stations[i + kLookAhead].values[addressIndex]);
                }
                EntryConversion& converted = batch->stations[i];
                if (takeConversion(converted, addresses, taken)) chunk.add(converted.values);
            }
            chunk.flush();  // the table is whole again before the window's events run
            const std::size_t done = batch->entriesDone;
            handover.giveBack(*batch);
            if (progress && done > reported && done % kImportProgressStep == 0) {
                reported = done;
                progress(done);
            }
        }
    } catch (...) {
        handover.stop();
        reading.join();
        undoImport(table, savePoint, current);
        throw;
    }
    reading.join();
    result.report += taken;
    if (readingFailure || !result.ok()) {
        undoImport(table, savePoint, current);
        result.report = ImportReport{};
        if (readingFailure) std::rethrow_exception(readingFailure);
    }
    return result;
}

std::vector<StationValues> readStations(TClientDataSet& table) {
    std::vector<StationValues> stations;
    if (table.IsEmpty()) return stations;
    std::array<TField*, kStationFieldCount> fields{};
    for (std::size_t i = 0; i < kStationFieldCount; ++i) {
        fields[i] = table.FindField(stationSchema()[i].name);
    }
    const std::int32_t current = table.RecNo();
    stations.reserve(static_cast<std::size_t>(table.RecordCount()));
    table.First();
    while (!table.Eof()) {
        StationValues& station = stations.emplace_back();
        for (std::size_t i = 0; i < kStationFieldCount; ++i) {
            if (fields[i]) station[i] = fields[i]->AsString();
        }
        table.Next();
    }
    if (current > 0) {
        table.SetRecNo(current);
    } else {
        table.First();
    }
    return stations;
}
