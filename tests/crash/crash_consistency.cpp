// Kills a saving process at random moments and checks that every file it was writing is whole.
//
// A child process keeps a station table the way the editor does: it opens the working file (or
// starts an empty table), then appends a station, runs the save sequence (merge, save the
// working file, reopen) and saves the table as a station file, over and over, telling the
// parent through a pipe how many stations it loaded and how many each completed step left. The
// parent kills it with SIGKILL after a random delay and checks both files: each must load and
// equal, byte for byte, either what it held before the child started ("old") or the packet of
// the last completed step or of the step that was running ("new"); anything else is "damaged". The
// next child goes on from the working file the killed one left, so the table grows over the rounds.
// At the end one clean save must leave no temporary file behind.
//
//   crash_consistency [--rounds N] [--seed S] [--max-delay-ms D]
// prints the outcomes and exits 1 when any file was damaged or a temporary file was left.

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"
#include "interchange/EntryToStation.h"
#include "interchange/StationTable.h"
#include "platform/TemporaryFiles.h"
#include "platform/Unicode.h"
#include "stations/SaveSequence.h"
#include "stations/StationSchema.h"
#include "stations/WorkingFiles.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr const char* kStationFileName = "stations.cds";

// Station number `n` (from 1): the same values in every process.
StationValues station(std::size_t n) {
    StationEntry entry;
    entry.name = u"电台 " + asciiToUtf16(std::to_string(n));
    entry.address = u"http://radio" + asciiToUtf16(std::to_string(n)) + u".example.com/live.mp3";
    entry.country = n % 2 ? u"中国" : u"日本";
    entry.bitRate = u"128k";
    return entryToStation(entry).values;
}

void appendStation(TClientDataSet& table, std::size_t n) {
    const StationValues values = station(n);
    appendStations(table, std::span<const StationValues>(&values, 1));
}

void newStationTable(TClientDataSet& table) {
    defineStationFields(table.FieldDefs());
    table.CreateDataSet();
}

Bytes packetOf(TClientDataSet& table) {
    TMemoryStream stream;
    table.SaveToStream(stream);
    return stream.Bytes();
}

std::optional<Bytes> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool loads(const std::string& path) {
    try {
        TClientDataSet check(u"Check");
        check.LoadFromFile(utf8ToUtf16(path));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// "L<n>" after loading n stations, "S<n>" after a step that left n stations.
void report(int fd, char what, std::size_t stations) {
    const std::string line = what + std::to_string(stations) + "\n";
    (void)!::write(fd, line.data(), line.size());
}

// The child: saves until it is killed. Its working folder comes from XDG_DATA_HOME.
[[noreturn]] void runChild(int reportFd, const std::string& folder) {
    try {
        TClientDataSet table(u"ClientDataSet1");
        const std::u16string working = workingFilePath();
        if (fs::exists(utf16ToUtf8(working))) {
            table.LoadFromFile(working);
        } else {
            newStationTable(table);
        }
        std::size_t stations = static_cast<std::size_t>(table.RecordCount());
        report(reportFd, 'L', stations);
        const std::u16string stationFile = utf8ToUtf16(folder + "/" + kStationFileName);
        for (;;) {
            appendStation(table, stations + 1);
            runSaveSequence(table, ReopenForm::CloseAndOpen);
            table.SaveToFile(stationFile);
            report(reportFd, 'S', ++stations);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child: %s\n", e.what());
        ::_exit(3);
    }
}

// The packets of a table of k and of k + 1 stations, built in this process.
class ExpectedPackets {
  public:
    ExpectedPackets() {
        newStationTable(FTable);
        FPackets[0] = packetOf(FTable);
        advance();
    }
    // Makes previous() the packet of `stations` stations and next() that of one more.
    void moveTo(std::size_t stations) {
        while (FStations < stations) advance();
    }
    const Bytes& previous() const { return FPackets[0]; }
    const Bytes& next() const { return FPackets[1]; }
    std::size_t stations() const { return FStations; }

  private:
    void advance() {
        if (FAdvanced) {
            ++FStations;
            FPackets[0] = std::move(FPackets[1]);
        }
        FAdvanced = true;
        appendStation(FTable, FStations + 1);
        FTable.MergeChangeLog();
        FPackets[1] = packetOf(FTable);
    }

    TClientDataSet FTable{u"Expected"};
    Bytes FPackets[2];
    std::size_t FStations = 0;
    bool FAdvanced = false;
};

struct Outcomes {
    int old = 0, fresh = 0, damaged = 0;
};

// What the child reported before it was killed.
struct ChildReport {
    std::optional<std::size_t> loaded;     // stations it started from
    std::optional<std::size_t> completed;  // stations its last completed step left
};

ChildReport readReport(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ChildReport report;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::size_t value = std::stoul(text.substr(start + 1, end - start - 1));
        (text[start] == 'L' ? report.loaded : report.completed) = value;
    }
    return report;
}

// Classifies one file after a kill: what it held before the child started, or the packet of
// the child's last completed step, or that of the step it was in.
void classify(const std::string& path, const std::optional<Bytes>& before, const ChildReport& child,
              const ExpectedPackets& expected, Outcomes& outcomes, int round) {
    const std::optional<Bytes> bytes = fileBytes(path);
    if (bytes == before && (!bytes || loads(path))) {
        ++outcomes.old;
        return;
    }
    const bool whole = bytes && loads(path);
    const bool completedStep = child.completed && bytes == expected.previous();
    const bool runningStep = child.loaded && bytes == expected.next();
    if (whole && (completedStep || runningStep)) {
        ++outcomes.fresh;
        return;
    }
    ++outcomes.damaged;
    std::fprintf(stderr, "round %d: %s is damaged (%s)\n", round, path.c_str(),
                 !bytes  ? "missing"
                 : whole ? "loads, but is neither the old nor a new packet"
                         : "does not load");
}

std::vector<std::string> temporaryFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (temporaryFileWriter(name) != 0) found.push_back(entry.path().string());
    }
    return found;
}

int numberOption(int argc, char** argv, const char* name, long fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return static_cast<int>(std::strtol(argv[i + 1], nullptr, 10));
    }
    return static_cast<int>(fallback);
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = numberOption(argc, argv, "--rounds", 500);
    const int maxDelayMs = numberOption(argc, argv, "--max-delay-ms", 40);
    const unsigned seed = static_cast<unsigned>(
        numberOption(argc, argv, "--seed", static_cast<long>(std::random_device{}() % 1000000)));
    std::mt19937 random(seed);

    char pattern[] = "/tmp/rovena-crash-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string folder = pattern;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    const std::string working = utf16ToUtf8(workingFilePath());
    const std::string stationFile = folder + "/" + kStationFileName;
    std::printf("seed %u, %d rounds, kill after 0 to %d ms, files in %s\n", seed, rounds,
                maxDelayMs, folder.c_str());

    ExpectedPackets expected;
    Outcomes workingOutcomes, stationOutcomes;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<Bytes> workingBefore = fileBytes(working);
        const std::optional<Bytes> stationFileBefore = fileBytes(stationFile);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return 2;
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0) return 2;
        if (child == 0) {
            ::close(pipeFds[0]);
            runChild(pipeFds[1], folder);
        }
        ::close(pipeFds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (maxDelayMs * 1000 + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status)) {
            std::fprintf(stderr, "round %d: the child stopped by itself (status %d)\n", round,
                         WEXITSTATUS(status));
            return 1;
        }
        const ChildReport report = readReport(pipeFds[0]);
        ::close(pipeFds[0]);

        if (report.completed || report.loaded)
            expected.moveTo(report.completed ? *report.completed : *report.loaded);
        classify(working, workingBefore, report, expected, workingOutcomes, round);
        classify(stationFile, stationFileBefore, report, expected, stationOutcomes, round);
        // A damaged working file would stop the next child; there is nothing more to learn.
        if (workingOutcomes.damaged + stationOutcomes.damaged > 0) break;
    }

    // One more complete step without a kill: its saves remove what the killed ones left.
    int cleanStatus = 0;
    const std::size_t before = temporaryFilesIn(folder).size();
    {
        TClientDataSet table(u"ClientDataSet1");
        table.LoadFromFile(utf8ToUtf16(working));
        appendStation(table, static_cast<std::size_t>(table.RecordCount()) + 1);
        runSaveSequence(table, ReopenForm::CloseAndOpen);
        table.SaveToFile(utf8ToUtf16(stationFile));
    }
    const std::vector<std::string> left = temporaryFilesIn(folder);

    std::printf("working file:  old %d, new %d, damaged %d\n", workingOutcomes.old,
                workingOutcomes.fresh, workingOutcomes.damaged);
    std::printf("station file:  old %d, new %d, damaged %d\n", stationOutcomes.old,
                stationOutcomes.fresh, stationOutcomes.damaged);
    std::printf(
        "stations at the end: %zu; temporary files left by kills: %zu, after one clean "
        "save: %zu\n",
        expected.stations(), before, left.size());
    for (const std::string& path : left) std::fprintf(stderr, "left: %s\n", path.c_str());
    if (workingOutcomes.damaged + stationOutcomes.damaged > 0 || !left.empty()) cleanStatus = 1;
    if (cleanStatus == 0) fs::remove_all(folder);
    return cleanStatus;
}
