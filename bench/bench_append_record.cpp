// AppendRecord of 20 station values through TClientDataSet, then one MergeChangeLog, for 100 000
// and for 1 000 000 stations. The figure is the total time of 1 000 000 stations, the baseline
// the total time of 100 000 stations; linear growth gives a ratio of 10, and the goal allows 12.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchSummary.h"
#include "bench/StationRows.h"

namespace {
constexpr std::size_t kSmall = 100'000;
constexpr std::size_t kLarge = 1'000'000;

const StationRowPool& rowPool() {
    static const StationRowPool pool;
    return pool;
}

std::string rowsName(std::size_t rows) {
    return "append_record_and_merge/rows:" + std::to_string(rows);
}

void appendRecordBench(benchmark::State& state, std::size_t rows) {
    const StationRowPool& pool = rowPool();
    for (auto _ : state) {
        state.PauseTiming();
        auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
        addStationFields(*dataSet);
        dataSet->CreateDataSet();
        state.ResumeTiming();

        for (std::size_t i = 0; i < rows; ++i) dataSet->AppendRecord(pool.row(i));
        dataSet->MergeChangeLog();

        state.PauseTiming();
        if (static_cast<std::size_t>(dataSet->RecordCount()) != rows)
            state.SkipWithError("wrong record count");
        dataSet.reset();
        state.ResumeTiming();
    }
    state.counters["us/append"] = benchmark::Counter(
        static_cast<double>(rows) / 1e6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
}  // namespace

int main(int argc, char** argv) {
    for (std::size_t rows : {kSmall, kLarge}) {
        benchmark::RegisterBenchmark(rowsName(rows).c_str(), appendRecordBench, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(rows == kSmall ? 3 : 1);
    }
    BenchSummary summary;
    if (!summary.runBenchmarks(argc, argv)) return 1;

    const RunFigures* small = summary.find(rowsName(kSmall));
    const RunFigures* large = summary.find(rowsName(kLarge));
    const std::string title = "AppendRecord, t(1 M)/t(100 k)";
    if (!small || !large) {
        summary.goalNotMeasured(title, false, 12);
    } else {
        summary.note("AppendRecord and one MergeChangeLog; time per append: " +
                     std::to_string(small->counters.at("us/append")) + " us at 100000, " +
                     std::to_string(large->counters.at("us/append")) + " us at 1000000");
        summary.goalAtMost(title, large->secondsPerIteration, small->secondsPerIteration, "s", 12);
    }
    return summary.finish();
}
