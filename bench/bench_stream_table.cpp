// streamTable of the station table: MB/s of packet bytes, against a memcpy of the same number of
// bytes into a reused buffer measured in the same run.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "bench/BenchSummary.h"
#include "bench/StationRows.h"

namespace {
constexpr std::size_t kRowCounts[] = {10'000, 1'000'000};

struct PreparedTable {
    std::unique_ptr<TClientDataSet> dataSet;
    std::size_t packetBytes = 0;
};

// Tables are built once per row count, on first use, outside any measurement.
PreparedTable& preparedTable(std::size_t rows) {
    static const StationRowPool pool;
    static std::map<std::size_t, PreparedTable> tables;
    PreparedTable& table = tables[rows];
    if (!table.dataSet) {
        table.dataSet = buildStationDataSet(rows, pool);
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

void memcpyReusedBench(benchmark::State& state, std::size_t rows) {
    const std::size_t bytes = preparedTable(rows).packetBytes;
    std::vector<unsigned char> source(bytes, 0x5A), target(bytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), bytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
}  // namespace

int main(int argc, char** argv) {
    for (std::size_t rows : kRowCounts) {
        benchmark::RegisterBenchmark(rowsName("stream_table", rows).c_str(), streamTableBench, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(rowsName("memcpy_reused", rows).c_str(), memcpyReusedBench,
                                     rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    BenchSummary summary;
    if (!summary.runBenchmarks(argc, argv)) return 1;

    for (std::size_t rows : kRowCounts) {
        const RunFigures* stream = summary.find(rowsName("stream_table", rows));
        const RunFigures* copy = summary.find(rowsName("memcpy_reused", rows));
        const std::string title = "streamTable " + std::to_string(rows) + " rows vs memcpy";
        if (!stream || !copy) {
            summary.notMeasured(title);
        } else if (rows == 1'000'000) {
            summary.goalAtLeast(title, stream->counters.at("MB/s"), copy->counters.at("MB/s"),
                                "MB/s", 0.25);
        } else {
            summary.compare(title, stream->counters.at("MB/s"), copy->counters.at("MB/s"), "MB/s");
        }
    }
    return summary.finish();
}
