#include "bench/BenchSummary.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {
// The console output as usual, and every completed run's figures kept by name.
class CollectingReporter : public benchmark::ConsoleReporter {
  public:
    explicit CollectingReporter(std::map<std::string, RunFigures>& runs) : FRuns(runs) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            RunFigures figures;
            figures.secondsPerIteration =
                run.real_accumulated_time / static_cast<double>(run.iterations);
            for (const auto& [name, counter] : run.counters) figures.counters[name] = counter.value;
            FRuns[run.run_name.function_name] = figures;
        }
        ConsoleReporter::ReportRuns(reports);
    }

  private:
    std::map<std::string, RunFigures>& FRuns;
};

// A figure with three decimals.
std::string threeDecimals(double a) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", a);
    return text;
}
}  // namespace

bool BenchSummary::runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
    CollectingReporter reporter(FRuns);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return true;
}

const RunFigures* BenchSummary::find(const std::string& name) const {
    const auto it = FRuns.find(name);
    return it == FRuns.end() ? nullptr : &it->second;
}

bool BenchSummary::goal(const std::string& title, double figure, double baseline,
                        const std::string& unit, double limit, bool atLeast) {
    const double ratio = baseline > 0 ? figure / baseline : 0;
    const bool met = atLeast ? ratio >= limit : (baseline > 0 && ratio <= limit);
    char line[512];
    std::snprintf(
        line, sizeof line, "goal: %s: figure %s %s, baseline %s %s, ratio %.3f, goal %s %.2f: %s\n",
        title.c_str(), threeDecimals(figure).c_str(), unit.c_str(), threeDecimals(baseline).c_str(),
        unit.c_str(), ratio, atLeast ? ">=" : "<=", limit, met ? "PASS" : "MISS");
    FLines += line;
    return met;
}

bool BenchSummary::goalAtLeast(const std::string& title, double figure, double baseline,
                               const std::string& unit, double limit) {
    return goal(title, figure, baseline, unit, limit, true);
}

bool BenchSummary::goalAtMost(const std::string& title, double figure, double baseline,
                              const std::string& unit, double limit) {
    return goal(title, figure, baseline, unit, limit, false);
}

void BenchSummary::compare(const std::string& title, double figure, double baseline,
                           const std::string& unit) {
    char line[512];
    std::snprintf(line, sizeof line, "%s: figure %.3f %s, baseline %.3f %s, ratio %.3f\n",
                  title.c_str(), figure, unit.c_str(), baseline, unit.c_str(),
                  baseline > 0 ? figure / baseline : 0.0);
    FLines += line;
}

void BenchSummary::notMeasured(const std::string& title) {
    FLines += title + ": not measured (filtered out or failed)\n";
}

void BenchSummary::goalNotMeasured(const std::string& title, bool atLeast, double limit) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "goal: %s: not measured (filtered out or failed), goal %s %.2f: MISS\n",
                  title.c_str(), atLeast ? ">=" : "<=", limit);
    FLines += line;
}

void BenchSummary::note(const std::string& text) {
    FLines += text + "\n";
}

int BenchSummary::finish() {
    std::printf("\n---- summary ----\n%s", FLines.c_str());
    std::fflush(stdout);
    return 0;
}
