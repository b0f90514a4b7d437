// streamTable of the station table, measured in one run against two baselines:
//  - a memcpy of the same number of bytes into freshly allocated memory (MB/s of packet bytes),
//    as streamTable too writes its packet into new memory;
//  - the same 1 000 000 rows inserted into an in-memory SQLite table in one transaction with a
//    prepared statement (rows per second; the ratio is our throughput over SQLite's).

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "bench/BenchSummary.h"
#include "bench/SqlitePeer.h"
#include "bench/StationRows.h"

namespace {
constexpr std::size_t kRowCounts[] = {10'000, 1'000'000};
constexpr std::size_t kPeerRows = 1'000'000;

const StationRowPool& rowPool() {
    static const StationRowPool pool;
    return pool;
}

struct PreparedTable {
    std::unique_ptr<TClientDataSet> dataSet;
    std::size_t packetBytes = 0;
};

// Tables are built once per row count, on first use, outside any measurement.
PreparedTable& preparedTable(std::size_t rows) {
    static std::map<std::size_t, PreparedTable> tables;
    PreparedTable& table = tables[rows];
    if (!table.dataSet) {
        table.dataSet = buildStationDataSet(rows, rowPool());
        table.packetBytes = streamStationTable(*table.dataSet).size();
    }
    return table;
}

std::string rowsName(const char* what, std::size_t rows) {
    return std::string(what) + "/rows:" + std::to_string(rows);
}

void streamTableBench(benchmark::State& state, std::size_t rows) {
    PreparedTable& table = preparedTable(rows);
    IDSBase& engine = *table.dataSet->DSBase();
    for (auto _ : state) {
        std::vector<unsigned char> packet;
        if (engine.streamTable(packet) != DBIERR_NONE) {
            state.SkipWithError("streamTable failed");
            break;
        }
        benchmark::DoNotOptimize(packet.data());
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(table.packetBytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["packet_MB"] = static_cast<double>(table.packetBytes) / 1e6;
}

void memcpyFreshBench(benchmark::State& state, std::size_t rows) {
    const std::size_t bytes = preparedTable(rows).packetBytes;
    const std::vector<unsigned char> source(bytes, 0x5A);
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> target(new unsigned char[bytes]);
        std::memcpy(target.get(), source.data(), bytes);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// The same rows into a new in-memory database; opening it and closing it are not timed.
void sqliteInsertBench(benchmark::State& state, std::size_t rows) {
    const SqliteStationRows values(rowPool());
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<SqliteStationTable>();
        state.ResumeTiming();
        database->insertRows(values, rows);
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
}

double millionRowsPerSecond(const RunFigures& run, std::size_t rows) {
    return static_cast<double>(rows) / run.secondsPerIteration / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    for (std::size_t rows : kRowCounts) {
        benchmark::RegisterBenchmark(rowsName("stream_table", rows).c_str(), streamTableBench, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(rowsName("memcpy_fresh", rows).c_str(), memcpyFreshBench, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark(rowsName("sqlite_insert", kPeerRows).c_str(), sqliteInsertBench,
                                 kPeerRows)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    BenchSummary summary;
    if (!summary.runBenchmarks(argc, argv)) return 1;

    const std::string memcpyGoal = "streamTable, 1 M stations, vs memcpy into fresh memory";
    for (std::size_t rows : kRowCounts) {
        const RunFigures* stream = summary.find(rowsName("stream_table", rows));
        const RunFigures* copy = summary.find(rowsName("memcpy_fresh", rows));
        const bool isGoal = rows == 1'000'000;
        const std::string title =
            isGoal ? memcpyGoal
                   : "streamTable " + std::to_string(rows) + " rows vs memcpy into fresh memory";
        if (!stream || !copy) {
            if (isGoal)
                summary.goalNotMeasured(title, true, 0.5);
            else
                summary.notMeasured(title);
        } else if (isGoal) {
            summary.goalAtLeast(title, stream->counters.at("MB/s"), copy->counters.at("MB/s"),
                                "MB/s", 0.5);
        } else {
            summary.compare(title, stream->counters.at("MB/s"), copy->counters.at("MB/s"), "MB/s");
        }
    }

    const std::string peerGoal = "streamTable vs SQLite in-memory insert of the same rows";
    const RunFigures* stream = summary.find(rowsName("stream_table", kPeerRows));
    const RunFigures* insert = summary.find(rowsName("sqlite_insert", kPeerRows));
    if (!stream || !insert)
        summary.goalNotMeasured(peerGoal, true, 10);
    else
        summary.goalAtLeast(peerGoal, millionRowsPerSecond(*stream, kPeerRows),
                            millionRowsPerSecond(*insert, kPeerRows), "M rows/s", 10);
    return summary.finish();
}
