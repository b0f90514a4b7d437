// Loading the station table, and the window's save sequence.
//
//  - appendPacket and LoadFromFile of 10 000 and 1 000 000 rows: MB/s of packet bytes, against a
//    memcpy of the same bytes into freshly allocated memory in the same run.
//  - appendPacket of the 1 000 000 rows against reading the same rows back from an in-memory
//    SQLite table (every row stepped through, every column read): rows per second, the ratio
//    being our throughput over SQLite's.
//  - The peak memory of loading the 1 000 000-row file, measured in a fresh child process (this
//    program started again with --load-peak): the growth of its resident high-water mark (VmHWM)
//    against the file's size; the peak of live heap bytes (counted by the operator new below) and
//    the column store's bytes are printed beside it.
//  - The save sequence (MergeChangeLog, ApplyUpdates(-1), SaveToFile, Close, Open) after one
//    append to 10 000 stations, against a bare write, fsync and rename of the same number of
//    bytes in the same folder; SaveToFile alone and Close with Open alone beside it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <utility>

#include "bench/BenchSummary.h"
#include "bench/SqlitePeer.h"
#include "bench/StationRows.h"
#include "engine/EngineFactory.h"
#include "platform/Unicode.h"

extern char** environ;

// ---- live heap bytes, counted only while enabled (in the child process) -------------------------

namespace {
bool gCountHeap = false;
long long gHeapLive = 0;
long long gHeapPeak = 0;

void* countedAllocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) throw std::bad_alloc();
    if (gCountHeap) {
        gHeapLive += static_cast<long long>(malloc_usable_size(p));
        if (gHeapLive > gHeapPeak) gHeapPeak = gHeapLive;
    }
    return p;
}

void countedFree(void* p) {
    if (!p) return;
    if (gCountHeap) gHeapLive -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    return countedAllocate(size);
}
void* operator new[](std::size_t size) {
    return countedAllocate(size);
}
void operator delete(void* p) noexcept {
    countedFree(p);
}
void operator delete[](void* p) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    countedFree(p);
}

namespace {
namespace fs = std::filesystem;

constexpr std::size_t kRowCounts[] = {10'000, 1'000'000};
constexpr std::size_t kSaveRows = 10'000;
constexpr std::size_t kPeerRows = 1'000'000;

const StationRowPool& rowPool() {
    static const StationRowPool pool;
    return pool;
}

fs::path& workFolder() {
    static fs::path folder;
    return folder;
}

// The station packet of a row count and the file holding it, made once on first use.
struct PreparedPacket {
    PacketBytes bytes;
    fs::path file;
};

PreparedPacket& preparedPacket(std::size_t rows) {
    static std::map<std::size_t, PreparedPacket> packets;
    PreparedPacket& prepared = packets[rows];
    if (!prepared.bytes) {
        auto dataSet = buildStationDataSet(rows, rowPool());
        prepared.bytes =
            std::make_shared<const std::vector<unsigned char>>(streamStationTable(*dataSet));
        prepared.file = workFolder() / ("stations-" + std::to_string(rows) + ".cds");
        std::ofstream out(prepared.file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(prepared.bytes->data()),
                  static_cast<std::streamsize>(prepared.bytes->size()));
        if (!out.flush()) throw std::runtime_error("cannot write the packet file");
    }
    return prepared;
}

std::string rowsName(const char* what, std::size_t rows) {
    return std::string(what) + "/rows:" + std::to_string(rows);
}

void setPacketRate(benchmark::State& state, std::size_t bytes) {
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void appendPacketBench(benchmark::State& state, std::size_t rows) {
    const PacketBytes packet = preparedPacket(rows).bytes;
    for (auto _ : state) {
        IDSBasePtr table = createDSBase();
        if (table->appendPacket(packet, true) != DBIERR_NONE) {
            state.SkipWithError("appendPacket failed");
            break;
        }
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    setPacketRate(state, packet->size());
}

void loadFromFileBench(benchmark::State& state, std::size_t rows) {
    const PreparedPacket& prepared = preparedPacket(rows);
    const std::u16string path = utf8ToUtf16(prepared.file.string());
    for (auto _ : state) {
        auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
        dataSet->LoadFromFile(path);
        state.PauseTiming();
        if (static_cast<std::size_t>(dataSet->RecordCount()) != rows)
            state.SkipWithError("wrong record count");
        dataSet.reset();
        state.ResumeTiming();
    }
    setPacketRate(state, prepared.bytes->size());
}

void memcpyFreshBench(benchmark::State& state, std::size_t rows) {
    const PacketBytes packet = preparedPacket(rows).bytes;
    const std::size_t bytes = packet->size();
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> target(new unsigned char[bytes]);
        std::memcpy(target.get(), packet->data(), bytes);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    setPacketRate(state, bytes);
}

// The same rows as the 1 000 000-row packet, in an in-memory SQLite table filled once, before
// the first measurement.
void sqliteSelectBench(benchmark::State& state, std::size_t rows) {
    static std::unique_ptr<SqliteStationTable> database;
    if (!database) {
        database = std::make_unique<SqliteStationTable>();
        database->insertRows(SqliteStationRows(rowPool()), rows);
    }
    for (auto _ : state) {
        std::uint64_t checksum = 0;
        if (database->selectAll(checksum) != rows) {
            state.SkipWithError("wrong row count");
            break;
        }
        benchmark::DoNotOptimize(checksum);
    }
}

double millionRowsPerSecond(const RunFigures& run, std::size_t rows) {
    return static_cast<double>(rows) / run.secondsPerIteration / 1e6;
}

// ---- the save sequence and its bare-file baseline
// ------------------------------------------------

struct SaveSetup {
    std::unique_ptr<TClientDataSet> dataSet;
    fs::path file;
    std::size_t packetBytes = 0;  // of the table after one append
};

SaveSetup& saveSetup() {
    static SaveSetup setup;
    if (!setup.dataSet) {
        setup.dataSet = buildStationDataSet(kSaveRows, rowPool());
        setup.file = workFolder() / "temp.cds";
        setup.dataSet->SaveToFile(utf8ToUtf16(setup.file.string()));
        setup.dataSet->AppendRecord(rowPool().row(kSaveRows));
        setup.packetBytes = streamStationTable(*setup.dataSet).size();
        setup.dataSet->Last();
        setup.dataSet->Delete();
        setup.dataSet->MergeChangeLog();
    }
    return setup;
}

// Brings the table back to its 10 000 saved stations and appends one: the change the editor
// saves after a station is added.
void appendOneStation(TClientDataSet& table) {
    if (static_cast<std::size_t>(table.RecordCount()) > kSaveRows) {
        table.Last();
        table.Delete();
        table.MergeChangeLog();
    }
    table.AppendRecord(rowPool().row(kSaveRows));
}

// The save sequence after one appended station (`Whole`), and its parts timed on their own in
// the same state, to show where its time goes: `SaveToFile` alone (stream the table, write,
// fsync, rename, fsync the folder), and `Reopen`: Close, which keeps the bytes SaveToFile just
// made, and Open, which loads them again.
enum class SaveSequencePart { Whole, SaveToFile, Reopen };

void saveSequenceBench(benchmark::State& state, SaveSequencePart part) {
    SaveSetup& setup = saveSetup();
    TClientDataSet& table = *setup.dataSet;
    const std::u16string path = utf8ToUtf16(setup.file.string());
    const bool timeSave = part != SaveSequencePart::Reopen;
    const bool timeReopen = part != SaveSequencePart::SaveToFile;
    for (auto _ : state) {
        state.PauseTiming();
        appendOneStation(table);
        if (part != SaveSequencePart::Whole) {
            table.MergeChangeLog();
            table.ApplyUpdates(-1);
        }
        if (!timeSave) table.SaveToFile(path, dfBinary);
        state.ResumeTiming();

        if (part == SaveSequencePart::Whole) {
            table.MergeChangeLog();
            table.ApplyUpdates(-1);
        }
        if (timeSave) table.SaveToFile(path, dfBinary);
        if (timeReopen) {
            table.Close();
            table.Open();
        }
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(setup.file));
}

// The bare write of the packet's bytes: write, fsync, rename; with `syncFolder`, also the fsync
// of the folder after the rename that makes the rename itself survive a power loss, as every
// atomic save of this program does (the floor of the save sequence's file work).
void bareWriteBench(benchmark::State& state, bool syncFolder) {
    const SaveSetup& setup = saveSetup();
    const std::vector<unsigned char> bytes(setup.packetBytes, 0x5A);
    const fs::path target = workFolder() / "bare.cds";
    const std::string temporary = (workFolder() / "bare.cds.tmp").string();
    for (auto _ : state) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool ok = fd >= 0;
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            ok = n > 0;
            if (ok) done += static_cast<std::size_t>(n);
        }
        ok = ok && ::fsync(fd) == 0;
        if (fd >= 0) ok = ::close(fd) == 0 && ok;
        ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
        if (ok && syncFolder) {
            const int folder = ::open(workFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ok = folder >= 0 && ::fsync(folder) == 0;
            if (folder >= 0) ::close(folder);
        }
        if (!ok) {
            state.SkipWithError("bare write failed");
            break;
        }
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

// ---- peak memory of loading, in a child process ------------------------------------------------

// The resident high-water mark of this process in kB, from /proc/self/status.
long long residentHighWaterKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    }
    return -1;
}

// Child side: loads the file and prints "rss_delta heap_peak store_bytes packet_bytes".
int measureLoadPeak(const char* file) {
    const long long before = residentHighWaterKb();
    gHeapLive = 0;
    gHeapPeak = 0;
    gCountHeap = true;
    auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
    dataSet->LoadFromFile(utf8ToUtf16(file));
    gCountHeap = false;
    const long long after = residentHighWaterKb();
    std::printf("%lld %lld %zu %llu\n", (after - before) * 1024, gHeapPeak,
                columnStoreBytes(*dataSet), static_cast<unsigned long long>(fs::file_size(file)));
    return 0;
}

// Parent side: runs this program again as a fresh process, so that its high-water mark starts
// small, and reads the child's one line.
bool runLoadPeakChild(const fs::path& file, long long figures[4]) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string fileText = file.string();
    char* const args[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--load-peak"),
                          const_cast<char*>(fileText.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string output;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    if (spawned != 0) return false;
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    std::istringstream in(output);
    return static_cast<bool>(in >> figures[0] >> figures[1] >> figures[2] >> figures[3]);
}

std::string megabytes(double bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load-peak") == 0) return measureLoadPeak(argv[2]);

    workFolder() = fs::temp_directory_path() / ("rovena-bench-load-" + std::to_string(::getpid()));
    fs::create_directories(workFolder());

    for (std::size_t rows : kRowCounts) {
        benchmark::RegisterBenchmark(rowsName("append_packet", rows).c_str(), appendPacketBench,
                                     rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(rowsName("load_from_file", rows).c_str(), loadFromFileBench,
                                     rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(rowsName("memcpy_fresh", rows).c_str(), memcpyFreshBench, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark(rowsName("sqlite_select", kPeerRows).c_str(), sqliteSelectBench,
                                 kPeerRows)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(rowsName("save_sequence", kSaveRows).c_str(), saveSequenceBench,
                                 SaveSequencePart::Whole)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(rowsName("save_sequence_part_save_to_file", kSaveRows).c_str(),
                                 saveSequenceBench, SaveSequencePart::SaveToFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(rowsName("save_sequence_part_close_open", kSaveRows).c_str(),
                                 saveSequenceBench, SaveSequencePart::Reopen)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(rowsName("bare_write_fsync_rename", kSaveRows).c_str(),
                                 bareWriteBench, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(
        rowsName("bare_write_fsync_rename_fsync_folder", kSaveRows).c_str(), bareWriteBench, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    BenchSummary summary;
    const bool ran = summary.runBenchmarks(argc, argv);
    if (!ran) {
        fs::remove_all(workFolder());
        return 1;
    }

    const std::string appendGoal = "appendPacket, 1 M stations, vs memcpy into fresh memory";
    for (std::size_t rows : kRowCounts) {
        const RunFigures* copy = summary.find(rowsName("memcpy_fresh", rows));
        for (const char* what : {"append_packet", "load_from_file"}) {
            const RunFigures* load = summary.find(rowsName(what, rows));
            const bool isGoal = rows == 1'000'000 && std::strcmp(what, "append_packet") == 0;
            const std::string title = isGoal ? appendGoal
                                             : std::string(what) + " " + std::to_string(rows) +
                                                   " rows vs memcpy into fresh memory";
            if (!load || !copy) {
                if (isGoal)
                    summary.goalNotMeasured(title, true, 0.35);
                else
                    summary.notMeasured(title);
            } else if (isGoal) {
                summary.goalAtLeast(title, load->counters.at("MB/s"), copy->counters.at("MB/s"),
                                    "MB/s", 0.35);
            } else {
                summary.compare(title, load->counters.at("MB/s"), copy->counters.at("MB/s"),
                                "MB/s");
            }
        }
    }

    const std::string peerGoal = "appendPacket vs SQLite select of the same rows";
    const RunFigures* append = summary.find(rowsName("append_packet", kPeerRows));
    const RunFigures* select = summary.find(rowsName("sqlite_select", kPeerRows));
    if (!append || !select)
        summary.goalNotMeasured(peerGoal, true, 10);
    else
        summary.goalAtLeast(peerGoal, millionRowsPerSecond(*append, kPeerRows),
                            millionRowsPerSecond(*select, kPeerRows), "M rows/s", 10);

    // The peak is measured unless the benchmarks were filtered to exclude the 1 000 000 rows.
    const std::string peakGoal = "peak memory of LoadFromFile (1 M stations) vs file size";
    long long figures[4] = {};
    if (summary.find(rowsName("load_from_file", 1'000'000)) &&
        runLoadPeakChild(preparedPacket(1'000'000).file, figures)) {
        summary.note("resident growth " + megabytes(static_cast<double>(figures[0])) +
                     ", live heap peak " + megabytes(static_cast<double>(figures[1])) +
                     ", column store " + megabytes(static_cast<double>(figures[2])) + ", file " +
                     megabytes(static_cast<double>(figures[3])));
        summary.goalAtMost(peakGoal, static_cast<double>(figures[0]) / 1e6,
                           static_cast<double>(figures[3]) / 1e6, "MB", 2.5);
    } else {
        summary.goalNotMeasured(peakGoal, false, 2.5);
    }

    const RunFigures* save = summary.find(rowsName("save_sequence", kSaveRows));
    const RunFigures* bare = summary.find(rowsName("bare_write_fsync_rename", kSaveRows));
    const std::string saveGoal =
        "save sequence at 10 000 stations vs write+fsync+rename of the same bytes";
    if (!save || !bare)
        summary.goalNotMeasured(saveGoal, false, 2.0);
    else
        summary.goalAtMost(saveGoal, save->secondsPerIteration * 1e3,
                           bare->secondsPerIteration * 1e3, "ms", 2.0);
    // What the file work of an atomic save alone costs against the same baseline.
    const RunFigures* floor =
        summary.find(rowsName("bare_write_fsync_rename_fsync_folder", kSaveRows));
    if (floor && bare)
        summary.compare("the same bare write with the folder fsync of an atomic save (ms)",
                        floor->secondsPerIteration * 1e3, bare->secondsPerIteration * 1e3, "ms");

    // Where the save sequence's time goes, each part against the same baseline.
    const std::pair<const char*, const char*> parts[] = {
        {"save_sequence_part_save_to_file", "part of the save sequence: SaveToFile alone (ms)"},
        {"save_sequence_part_close_open", "part of the save sequence: Close and Open (ms)"}};
    for (const auto& [name, title] : parts) {
        const RunFigures* figures = summary.find(rowsName(name, kSaveRows));
        if (figures && bare)
            summary.compare(title, figures->secondsPerIteration * 1e3,
                            bare->secondsPerIteration * 1e3, "ms");
    }

    fs::remove_all(workFolder());
    return summary.finish();
}
