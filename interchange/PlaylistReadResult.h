#pragma once
// What a reader hands back: the entries in file order, or an error and no entries.

#include <vector>

#include "interchange/PlaylistError.h"
#include "interchange/StationEntry.h"

struct PlaylistReadResult {
    std::vector<StationEntry> entries;
    PlaylistError error;

    bool ok() const { return !error.failed(); }
};

// Ends a read with an error: the entries read so far are dropped.
inline PlaylistReadResult failedRead(PlaylistErrorKind kind, std::size_t line = 0,
                                     std::string detail = {}) {
    PlaylistReadResult result;
    result.error = PlaylistError{kind, line, std::move(detail)};
    return result;
}
