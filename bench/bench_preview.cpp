// The output page's preview list at 100 000 stations: filling it from the loaded table (the walk
// that reads every station's name) and one sort by the column header, against LoadFromFile of
// the same station file, both measured in this run. The list is a real, shown PreviewList under
// the offscreen platform; its pending layout and paint are part of the measured work.
// Goal: fill + one sort within the time of the load.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/PreviewList.h"
#include "app/Unit1.h"
#include "bench/BenchSummary.h"
#include "bench/StationRows.h"
#include "platform/Unicode.h"

namespace {
namespace fs = std::filesystem;

constexpr std::size_t kStations = 100'000;

struct Prepared {
    fs::path folder;
    std::u16string file;
};

// The station file of 100 000 stations, written once on first use.
const Prepared& prepared() {
    static Prepared p;
    if (!p.file.empty()) return p;
    p.folder = fs::temp_directory_path() / ("rovena-bench-preview-" + std::to_string(::getpid()));
    fs::create_directories(p.folder);
    const StationRowPool pool;
    auto dataSet = buildStationDataSet(kStations, pool);
    p.file = utf8ToUtf16((p.folder / "stations.cds").string());
    dataSet->SaveToFile(p.file);
    return p;
}

std::string rowsName(const char* what) {
    return std::string(what) + "/rows:" + std::to_string(kStations);
}

void loadFromFileBench(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
        dataSet->LoadFromFile(p.file);
        state.PauseTiming();
        if (static_cast<std::size_t>(dataSet->RecordCount()) != kStations)
            state.SkipWithError("wrong record count");
        dataSet.reset();
        state.ResumeTiming();
    }
}

// What the window does after its LoadFromFile (not timed here): the list emptied and filled
// from the table, then one header click's sort with the window's own comparison.
void previewFillAndSortBench(benchmark::State& state) {
    const Prepared& p = prepared();
    PreviewList list;
    list.resize(250, 193);
    list.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        list.rows().clear();
        QApplication::processEvents();
        auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
        dataSet->LoadFromFile(p.file);
        state.ResumeTiming();

        list.rows().setCaptions(readPreviewCaptions(*dataSet));
        list.rows().sortByCaption(SortAscending,
                                  [](std::u16string_view first, std::u16string_view second) {
                                      return TForm1::CompareListItems(first, second, 0);
                                  });
        QApplication::processEvents();

        state.PauseTiming();
        if (static_cast<std::size_t>(list.count()) != kStations)
            state.SkipWithError("wrong row count");
        dataSet.reset();
        state.ResumeTiming();
    }
}

double milliseconds(const RunFigures& run) {
    return run.secondsPerIteration * 1e3;
}
}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);

    benchmark::RegisterBenchmark(rowsName("load_from_file").c_str(), loadFromFileBench)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(rowsName("preview_fill_and_sort").c_str(), previewFillAndSortBench)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    BenchSummary summary;
    const bool ran = summary.runBenchmarks(argc, argv);
    if (!ran) {
        fs::remove_all(prepared().folder);
        return 1;
    }
    const std::string title =
        "preview of 100 000 stations (fill + one sort) vs LoadFromFile of the same file";
    const RunFigures* preview = summary.find(rowsName("preview_fill_and_sort"));
    const RunFigures* load = summary.find(rowsName("load_from_file"));
    if (!preview || !load)
        summary.goalNotMeasured(title, false, 1.0);
    else
        summary.goalAtMost(title, milliseconds(*preview), milliseconds(*load), "ms", 1.0);
    fs::remove_all(prepared().folder);
    return summary.finish();
}
