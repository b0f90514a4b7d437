// AppendRecord of 20 station values through TClientDataSet, then one MergeChangeLog, for 100 000
// and for 1 000 000 stations. The figure is the total time of 1 000 000 stations; the baseline is
// ten times the total time of 100 000 stations, so the ratio t(1 000 000) / (10 x t(100 000))
// is 1 for linear growth. The goal t(1 000 000) / t(100 000) <= 12 is the same as that ratio
// <= 1.2.

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
    const std::string title = "AppendRecord+MergeChangeLog 1000000 vs 10 x 100000 (seconds)";
    if (!small || !large) {
        summary.notMeasured(title);
    } else {
        summary.note("time per append: " + std::to_string(small->counters.at("us/append")) +
                     " us at 100000, " + std::to_string(large->counters.at("us/append")) +
                     " us at 1000000; total ratio t(1000000)/t(100000) = " +
                     std::to_string(large->secondsPerIteration / small->secondsPerIteration) +
                     " (goal <= 12)");
        summary.goalAtMost(title, large->secondsPerIteration, 10 * small->secondsPerIteration, "s",
                           1.2);
    }
    return summary.finish();
}
