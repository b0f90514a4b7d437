// Importing a 100 000-entry M3U playlist into the station table, against loading a station file
// that holds the same stations, both measured in this run.
//
//  - import_m3u: the file read and its entries parsed, made stations by the typed station's rules
//    and appended, with the duplicate test, to a new open station table as they are read
//    (importPlaylistFileInto: the reading and the rules on a second thread, the duplicate test,
//    the code page and the table on this one), and the change log merged (what the window does
//    before its save sequence).
//  - load_station_file: LoadFromFile of the station file the same import wrote.
//  - The work of the import in parts, each on one thread, for where the time goes: reading and
//    parsing the playlist into entries, the entry rules alone (importStations, which holds every
//    station), and the rules with the appends into a new table (importStationsInto).
// Goal: import_m3u within 3 times load_station_file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/BenchSummary.h"
#include "bench/StationRows.h"
#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/EntryToStation.h"
#include "interchange/PlaylistReader.h"
#include "interchange/PlaylistWriters.h"
#include "interchange/StationTable.h"
#include "platform/Unicode.h"

namespace {
namespace fs = std::filesystem;

constexpr std::size_t kEntries = 100'000;

struct Prepared {
    fs::path folder;
    std::u16string playlist;     // the M3U file
    std::u16string stationFile;  // the same stations as a station file
    std::size_t playlistBytes = 0;
};

std::unique_ptr<TClientDataSet> newStationTable() {
    auto table = std::make_unique<TClientDataSet>(u"ClientDataSet1");
    addStationFields(*table);
    table->CreateDataSet();
    return table;
}

// The playlist: one distinct station per entry, written by the M3U writer from realistic rows
// (Chinese names, addresses of 40 to 60 bytes, country, language, group), and the station file
// the import of it gives.
Prepared& prepared() {
    static Prepared p;
    if (!p.playlist.empty()) return p;
    p.folder = fs::temp_directory_path() / ("rovena-bench-import-" + std::to_string(::getpid()));
    fs::create_directories(p.folder);

    const StationRowPool pool(kEntries, 936);
    std::vector<StationEntry> entries;
    entries.reserve(kEntries);
    for (std::size_t i = 0; i < kEntries; ++i) {
        StationValues values;
        const std::vector<TVarRec>& row = pool.row(i);
        for (std::size_t f = 0; f < kStationFieldCount; ++f) values[f] = row[f].VUnicode;
        StationEntry entry = entryFromStation(values);
        entry.group = i % 3 == 0 ? u"新闻" : u"音乐";
        entries.push_back(std::move(entry));
    }
    const std::string text = writeM3u(entries);
    p.playlistBytes = text.size();
    const fs::path playlist = p.folder / "stations.m3u8";
    std::ofstream(playlist, std::ios::binary) << text;
    p.playlist = utf8ToUtf16(playlist.string());

    PlaylistReading reading;
    readPlaylistFile(p.playlist, std::nullopt, &reading);
    DuplicateAddressIndex addresses;
    const ImportedStations imported = importStations(reading.entries, addresses);
    if (imported.report.imported != kEntries) throw std::runtime_error("entries were skipped");
    auto table = newStationTable();
    appendStations(*table, imported.stations);
    table->MergeChangeLog();
    p.stationFile = utf8ToUtf16((p.folder / "stations.cds").string());
    table->SaveToFile(p.stationFile);
    return p;
}

void importM3uBench(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = newStationTable();
        state.ResumeTiming();

        DuplicateAddressIndex addresses;
        addresses.addTable(*table);
        importPlaylistFileInto(*table, p.playlist, std::nullopt, addresses);
        table->MergeChangeLog();

        state.PauseTiming();
        if (static_cast<std::size_t>(table->RecordCount()) != kEntries)
            state.SkipWithError("wrong record count");
        table.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(kEntries);
}

void loadStationFileBench(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        auto table = std::make_unique<TClientDataSet>(u"ClientDataSet1");
        table->LoadFromFile(p.stationFile);
        state.PauseTiming();
        if (static_cast<std::size_t>(table->RecordCount()) != kEntries)
            state.SkipWithError("wrong record count");
        table.reset();
        state.ResumeTiming();
    }
}

void readPlaylistBench(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        PlaylistReading reading;
        readPlaylistFile(p.playlist, std::nullopt, &reading);
        benchmark::DoNotOptimize(reading.entries.data());
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(p.playlistBytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void entryRulesBench(benchmark::State& state) {
    const Prepared& p = prepared();
    PlaylistReading reading;
    readPlaylistFile(p.playlist, std::nullopt, &reading);
    for (auto _ : state) {
        DuplicateAddressIndex addresses;
        const ImportedStations imported = importStations(reading.entries, addresses);
        benchmark::DoNotOptimize(imported.stations.data());
    }
}

void importIntoTableBench(benchmark::State& state) {
    const Prepared& p = prepared();
    PlaylistReading reading;
    readPlaylistFile(p.playlist, std::nullopt, &reading);
    for (auto _ : state) {
        state.PauseTiming();
        auto table = newStationTable();
        state.ResumeTiming();
        DuplicateAddressIndex addresses;
        importStationsInto(*table, reading.entries, addresses);
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
}

double milliseconds(const RunFigures* run) {
    return run->secondsPerIteration * 1e3;
}

}  // namespace

int main(int argc, char** argv) {
    const auto registerMs = [](const char* name, void (*fn)(benchmark::State&)) {
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    registerMs("import_m3u/entries:100000", importM3uBench);
    registerMs("load_station_file/rows:100000", loadStationFileBench);
    registerMs("read_m3u/entries:100000", readPlaylistBench);
    registerMs("entry_rules/entries:100000", entryRulesBench);
    registerMs("import_into_table/entries:100000", importIntoTableBench);

    BenchSummary summary;
    const bool ran = summary.runBenchmarks(argc, argv);
    if (!ran) {
        fs::remove_all(prepared().folder);
        return 1;
    }
    const RunFigures* importRun = summary.find("import_m3u/entries:100000");
    const RunFigures* load = summary.find("load_station_file/rows:100000");
    const std::string title =
        "import of a 100 000-entry M3U vs loading a station file with the same stations";
    if (!importRun || !load) {
        summary.goalNotMeasured(title, false, 3.0);
    } else {
        summary.goalAtMost(title, milliseconds(importRun), milliseconds(load), "ms", 3.0);
        summary.note("playlist " + std::to_string(prepared().playlistBytes) + " bytes");
        for (const char* part : {"read_m3u/entries:100000", "entry_rules/entries:100000",
                                 "import_into_table/entries:100000"}) {
            if (const RunFigures* run = summary.find(part))
                summary.compare(std::string("part of the import: ") + part + " (ms)",
                                milliseconds(run), milliseconds(load), "ms");
        }
    }
    fs::remove_all(prepared().folder);
    return summary.finish();
}
