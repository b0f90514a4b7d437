#pragma once
// What a reader hands back: its entries one at a time to a sink as it reads them, then the
// outcome; or, collected, the entries in file order or an error and no entries.

#include <vector>

#include "interchange/PlaylistError.h"
#include "interchange/StationEntry.h"

// Where a reader hands its entries, in file order, as it reads them. The entry belongs to the
// reader and is reused for the next one: a sink copies what it keeps. When the read then fails,
// what the sink took before the failure is the sink's to drop.
class PlaylistEntrySink {
  public:
    virtual void take(const StationEntry& entry) = 0;

  protected:
    ~PlaylistEntrySink() = default;
};

struct PlaylistReadResult {
    std::vector<StationEntry> entries;
    PlaylistError error;

    bool ok() const { return !error.failed(); }
};

// The outcome of a read that failed.
inline PlaylistError readError(PlaylistErrorKind kind, std::size_t line = 0,
                               std::string detail = {}) {
    return PlaylistError{kind, line, std::move(detail)};
}

// Runs `read(sink)` (a reader that hands its entries to a sink and returns its outcome) and
// collects what it hands over: every entry when it succeeds, none when it fails.
template <typename Read>
PlaylistReadResult collectEntries(Read read) {
    struct Collected final : PlaylistEntrySink {
        void take(const StationEntry& entry) override { entries.push_back(entry); }
        std::vector<StationEntry> entries;
    } collected;
    PlaylistReadResult result;
    result.error = read(collected);
    if (result.ok()) result.entries = std::move(collected.entries);
    return result;
}
