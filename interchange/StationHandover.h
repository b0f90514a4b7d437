#pragma once
// Stations passed from the thread that reads and converts a station list to the thread that
// appends them to the table: a few batches go round, filled on one side and emptied on the
// other, so that neither thread waits while the other has work and memory stays bounded.

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interchange/EntryToStation.h"

// Stations as code-page texts, the form the table takes them in: their values converted one by
// one, each field remembering its last few values with their texts, so that a value seen lately
// (the fixed texts of a typed station, the empty fields, the handful of countries, languages
// and groups of a list) is not converted again. The values given must stay in place until
// restart().
class CodePageStations {
  public:
    // Appends the text of field `field` (one field after the other, station after station) to
    // `texts`, and where it ends to `ends`.
    void append(std::size_t field, std::u16string_view value, std::string& texts,
                std::vector<std::uint32_t>& ends);
    void append(const StationValues& station, std::string& texts, std::vector<std::uint32_t>& ends);
    // Forgets the values remembered (before the ones they point into go).
    void restart();

    // The same as views appended to `views`, valid until restart(): a value remembered is
    // viewed where its text is kept (a remembered value is not replaced before restart()), and
    // only the others are copied. The views of the copied texts are complete once
    // finishViews() has run after the last addView().
    void addView(std::size_t field, std::u16string_view value,
                 std::vector<std::string_view>& views);
    void finishViews(std::vector<std::string_view>& views);

  private:
    static constexpr std::size_t kRemembered = 4;
    struct Remembered {
        std::array<std::u16string_view, kRemembered> values;
        std::array<std::string, kRemembered> texts;
        std::size_t count = 0;
        std::size_t next = 0;  // the one to replace next
    };
    // Where `value` is remembered for `seen`, or kRemembered.
    static std::size_t find(const Remembered& seen, std::u16string_view value);

    std::array<Remembered, kStationFieldCount> FFields;
    // The texts of addView that are not remembered, one after the other, and the views they
    // are for, by position and with their start in FCopied (made whole by finishViews).
    std::string FCopied;
    std::string FText;
    std::vector<std::pair<std::size_t, std::size_t>> FCopiedViews;
};

// Stations converted by the entry rules on the reading side, not yet tested for a duplicate nor
// in the table. Each is kept compact, written once on one side and read once in order on the
// other (so that the two processors' caches pass it on as a stream): its values, its address
// key with the key's hash, and what the rules noted about it.
struct StationBatch {
    std::size_t count = 0;
    std::size_t entriesDone = 0;  // entries read when the batch was handed over
    std::u16string values;        // 20 values a station
    std::vector<std::uint32_t> valueEnds;
    std::u16string keys;  // each station's address key (DuplicateAddressIndex)
    std::vector<std::uint32_t> keyEnds;
    std::vector<std::uint64_t> keyHashes;
    std::vector<std::uint8_t> notes;       // kNameCut, kHomepageDropped
    std::vector<std::u16string> cutNames;  // the names of the stations with kNameCut, in full

    static constexpr std::uint8_t kNameCut = 1;
    static constexpr std::uint8_t kHomepageDropped = 2;

    std::u16string_view value(std::size_t station, std::size_t field) const {
        const std::size_t i = station * kStationFieldCount + field;
        const std::uint32_t start = i == 0 ? 0 : valueEnds[i - 1];
        return {values.data() + start, valueEnds[i] - start};
    }
    std::u16string_view key(std::size_t station) const;
    void clear();
};

// Thrown on the reading side when the table side has stopped the handover.
struct ImportStopped {};

class StationHandover {
  public:
    StationHandover();

    // Reading side: an empty batch to fill, waiting while the table side holds every batch.
    // Throws ImportStopped once stop() was called.
    StationBatch& emptyBatch();
    // Reading side: the filled batch goes to the table side.
    void handOver(StationBatch& batch);
    // Reading side: no more batches will come (called again, it changes nothing).
    void finish();

    // Table side: the next filled batch, waiting for it; null once the reading side has
    // finished and every batch it handed over was taken.
    StationBatch* nextFull();
    // Table side: the batch, emptied, goes back to the reading side.
    void giveBack(StationBatch& batch);
    // Table side: ends the handover; the reading side's next call throws ImportStopped.
    void stop();

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    // Enough for the reading side to work ahead while the table side starts and between the
    // moments the window paints.
    std::array<StationBatch, 16> FBatches;
    std::deque<StationBatch*> FFull;
    std::vector<StationBatch*> FEmpty;
    bool FFinished = false;
    bool FStopped = false;
};
