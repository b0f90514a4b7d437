#include "interchange/StationTable.h"

#include <pthread.h>

#include <algorithm>
#include <array>
#include <exception>
#include <thread>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/StationHandover.h"
#include "interchange/TextDecoding.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

std::vector<TVarRec> stationRecord(const StationValues& station) {
    std::vector<TVarRec> record;
    record.reserve(station.size());
    for (const std::u16string& value : station) record.push_back(TVarRec::unicode(value));
    return record;
}

namespace {
// The texts one after the other in `texts`, ending where `ends` says, as views.
void textViews(const std::string& texts, const std::vector<std::uint32_t>& ends,
               std::vector<std::string_view>& views) {
    views.clear();
    std::uint32_t start = 0;
    for (const std::uint32_t end : ends) {
        views.emplace_back(texts.data() + start, end - start);
        start = end;
    }
}

// Stations as AppendTextRecords takes them, converted to the code page into one buffer that
// keeps its storage from chunk to chunk, and handed to the table a chunk at a time.
class StationRecordChunk {
  public:
    explicit StationRecordChunk(TClientDataSet& table) : FTable(table) {}
    void add(const StationValues& station) {
        FConverter.append(station, FTexts, FEnds);
        FConverter.restart();  // the caller's values may change before the next station
        ++FUsed;
    }
    bool full() const { return FUsed >= kImportProgressStep; }
    void flush() {
        if (FUsed == 0) return;
        textViews(FTexts, FEnds, FValues);
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
    CodePageStations FConverter;
    std::string FTexts;
    std::vector<std::uint32_t> FEnds;
    std::vector<std::string_view> FValues;
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

// Thrown on the reading side when the text it reads turns out not to be UTF-8.
struct NotUtf8Text {};

// The reading thread's side of a file import: each entry read is converted, and those the rules
// take go to the table thread in batches of the progress step, in the compact form of a
// StationBatch, with the key their duplicate test needs.
// A text whose encoding is not yet known is read as UTF-8 while this side checks it, a part
// before each batch goes over and the rest at the end (the table thread has the more work, so
// the check is done here); NotUtf8Text stops the reading where it fails.
class ReadingSide final : public PlaylistEntrySink {
  public:
    ReadingSide(StationHandover& handover, std::string_view unchecked)
        : FHandover(handover),
          FBatch(&handover.emptyBatch()),
          FUnchecked(unchecked),
          FCheckStep(std::max<std::size_t>(kMinCheckStep, unchecked.size() / 64)) {}

    void take(const StationEntry& entry) override {
        ++FReport.entries;
        entryToStation(entry, FConverted);
        switch (FConverted.skip) {
            case SkipReason::None:
                add();
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
        if (FReport.entries % kImportProgressStep == 0) {
            checkSome(FCheckStep);
            handOver();
        }
    }
    // The entries read and those the rules skipped.
    ImportReport finish() {
        checkRest();
        handOver();
        FHandover.finish();
        return std::move(FReport);
    }
    // Checks what is left of the text (when the reading stops early).
    void checkRest() { checkSome(FUnchecked.size()); }

  private:
    void add() {
        StationBatch& batch = *FBatch;
        const StationValues& values = FConverted.values;
        assignAddressKey(FKey, values[kAddress]);
        batch.keys += FKey;
        batch.keyEnds.push_back(static_cast<std::uint32_t>(batch.keys.size()));
        batch.keyHashes.push_back(DuplicateAddressIndex::keyHash(FKey));
        for (const std::u16string& value : values) {
            batch.values += value;
            batch.valueEnds.push_back(static_cast<std::uint32_t>(batch.values.size()));
        }
        batch.notes.push_back(static_cast<std::uint8_t>(
            (FConverted.nameCut ? StationBatch::kNameCut : 0) |
            (FConverted.homepageDropped ? StationBatch::kHomepageDropped : 0)));
        if (FConverted.nameCut) batch.cutNames.push_back(values[kName]);
        ++batch.count;
    }
    // Checks the next `bytes` of the text, or a few more so that no character is cut.
    void checkSome(std::size_t bytes) {
        if (FUnchecked.empty()) return;
        std::size_t end = std::min(bytes, FUnchecked.size());
        while (end < FUnchecked.size() &&
               (static_cast<unsigned char>(FUnchecked[end]) & 0xC0) == 0x80)
            ++end;
        if (!isWellFormedUtf8Text(FUnchecked.substr(0, end))) throw NotUtf8Text{};
        FUnchecked.remove_prefix(end);
    }
    void handOver() {
        FBatch->entriesDone = FReport.entries;
        FHandover.handOver(*FBatch);
        FBatch = &FHandover.emptyBatch();
    }

    const std::size_t kAddress =
        static_cast<std::size_t>(stationFieldIndex(StationFieldName::Address));
    const std::size_t kName = static_cast<std::size_t>(stationFieldIndex(StationFieldName::Name));
    static constexpr std::size_t kMinCheckStep = 64 * 1024;
    StationHandover& FHandover;
    StationBatch* FBatch;
    std::string_view FUnchecked;  // the part of the text not yet checked to be UTF-8
    const std::size_t FCheckStep;
    EntryConversion FConverted;
    std::u16string FKey;
    ImportReport FReport;
};

// The table thread's side of a file import: the duplicate test of each station of a batch (its
// key and hash made on the reading side), and the stations taken converted to the code page
// and appended in one step.
class TableSide {
  public:
    TableSide(TClientDataSet& table, DuplicateAddressIndex& addresses)
        : FTable(table), FAddresses(addresses) {}

    void append(const StationBatch& batch) {
        constexpr std::size_t kLookAhead = 8;  // stations between fetching a slot and its test
        FValues.clear();
        FConverter.restart();  // its last values were in the batch before
        std::size_t cut = 0;
        for (std::size_t i = 0; i < batch.count; ++i) {
            if (i + kLookAhead < batch.count) FAddresses.prefetch(batch.keyHashes[i + kLookAhead]);
            const std::uint8_t notes = batch.notes[i];
            const std::u16string* cutName =
                notes & StationBatch::kNameCut ? &batch.cutNames[cut++] : nullptr;
            if (!FAddresses.insertKey(batch.key(i), batch.keyHashes[i])) {
                ++FReport.duplicate;
                continue;
            }
            countTaken(FReport, cutName, notes & StationBatch::kHomepageDropped);
            for (std::size_t f = 0; f < kStationFieldCount; ++f)
                FConverter.addView(f, batch.value(i, f), FValues);
        }
        FConverter.finishViews(FValues);
        FTable.AppendTextRecords(FValues);
    }
    // The duplicates and the stations taken.
    const ImportReport& report() const { return FReport; }

  private:
    TClientDataSet& FTable;
    DuplicateAddressIndex& FAddresses;
    CodePageStations FConverter;
    std::vector<std::string_view> FValues;
    ImportReport FReport;
};

// One run of the two threads over a list's text, with what it finds in `result` (the reading's
// outcome, the report). `unchecked`, when not empty, is the text, read as UTF-8 before it is
// known to be: when it is not, the run stops there, and the answer is false. The caller undoes
// the stations of a run that answers false, ends with a reading fault or throws.
bool runImport(TClientDataSet& table, PlaylistFormat format, std::string_view text,
               std::string_view unchecked, DuplicateAddressIndex& addresses,
               const ImportProgress& progress, PlaylistImport& result) {
    StationHandover handover;
    std::exception_ptr readingFailure;
    bool notUtf8 = false;
    std::thread reading([&] {
        pthread_setname_np(pthread_self(), "list reading");  // seen in a profiler or debugger
        try {
            ReadingSide side(handover, unchecked);
            result.reading.error = readPlaylistText(format, text, side);
            if (result.reading.ok()) {
                result.report = side.finish();
            } else {
                side.checkRest();  // a text that is not UTF-8 is read again, decoded
            }
        } catch (const NotUtf8Text&) {
            notUtf8 = true;
        } catch (const ImportStopped&) {
        } catch (...) {
            readingFailure = std::current_exception();
        }
        handover.finish();
    });
    TableSide side(table, addresses);
    try {
        std::size_t reported = 0;
        while (StationBatch* batch = handover.nextFull()) {
            // The table is whole again after each batch, before the window's events run.
            side.append(*batch);
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
        throw;
    }
    reading.join();
    if (readingFailure) std::rethrow_exception(readingFailure);
    if (notUtf8) return false;
    result.report += side.report();
    return true;
}

}  // namespace

PlaylistImport importPlaylistFileInto(TClientDataSet& table, std::u16string_view path,
                                      std::optional<PlaylistFormat> format,
                                      DuplicateAddressIndex& addresses,
                                      const ImportProgress& progress) {
    // Two threads: one reads the list and converts its entries, this one appends the stations
    // to the table as they come (the table is this thread's alone, and so is `progress`).
    PlaylistImport result;
    std::vector<std::uint8_t> bytes;
    result.file = readPlaylistBytes(path, format, bytes, &result.reading);
    if (result.file && result.reading.ok() && bytes.size() > kMaxPlaylistBytes) {
        result.reading.format =
            format.value_or(playlistFormatFromFileName(path).value_or(PlaylistFormat::M3u));
        result.reading.error.kind = PlaylistErrorKind::TooLarge;
    }
    if (!result.ok()) return result;
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string fileName = utf16ToUtf8(path);

    const std::int32_t savePoint = table.SavePoint();
    const std::int32_t current = table.RecNo();
    const DuplicateAddressIndex::SavePoint addressesBefore = addresses.savePoint();
    const auto undo = [&] {
        undoImport(table, savePoint, current);
        addresses.rollBack(addressesBefore);
    };
    try {
        bool done = false;
        if (!hasByteOrderMark(raw)) {
            // Plain UTF-8, the usual case, is read where it lies, and checked as it is read.
            result.reading.format = format ? *format : guessPlaylistFormat(fileName, raw);
            done = runImport(table, result.reading.format, raw, raw, addresses, progress, result);
            if (!done) undo();
        }
        if (!done) {  // anything else is decoded first
            const DecodedText decoded = decodePlaylistText(raw);
            result.reading = PlaylistReading{};
            result.reading.encoding = decoded.encoding;
            result.reading.format = format ? *format : guessPlaylistFormat(fileName, decoded.utf8);
            result.report = ImportReport{};
            runImport(table, result.reading.format, decoded.utf8, {}, addresses, progress, result);
        }
    } catch (...) {
        undo();
        throw;
    }
    if (!result.ok()) {
        undo();
        result.report = ImportReport{};
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
