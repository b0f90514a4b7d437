#pragma once
// The change log of a table: every insert, modification and deletion since the last merge,
// oldest first, with the save points that mark lengths of the log.
//
// The capacity figure starts at 0, becomes 3 when the first entry is added and grows by 16
// entries whenever the log is full; the memory underneath grows geometrically.
//
// The algorithms over the log that do not touch the store live here: the compaction behind the
// number of changes, the chains the merge collects, and the look-ups of a version's history.

#include <cstdint>
#include <functional>
#include <vector>

#include "packet/DBResult.h"

// One change: the record it concerns, the other record (for logModify the version it
// replaced), and its kind (logDelete, logInsert, logModify, ...).
struct DSLogEntry {
    std::uint32_t record = 0;
    std::uint32_t other = 0;
    std::uint32_t kind = 0;

    bool operator==(const DSLogEntry&) const = default;
};

class ChangeLog {
  public:
    std::uint32_t count() const { return static_cast<std::uint32_t>(FEntries.size()); }
    bool empty() const { return FEntries.empty(); }
    std::uint32_t capacity() const { return FCapacity; }
    const std::vector<DSLogEntry>& entries() const { return FEntries; }
    const DSLogEntry& newest() const { return FEntries.back(); }
    // For the newest entry, when it is a logDelete: the position the record had in the default
    // order just before it was deleted (0 when not known, e.g. for a log read from a packet).
    std::uint32_t newestPosition() const { return FPositions.back(); }

    // Makes room for one more entry; errNoMemory when it cannot (nothing changes then).
    DBResult reserveOne();
    // Appends an entry; needs reserveOne first. position: see newestPosition.
    void append(const DSLogEntry& entry, std::uint32_t position = 0);
    // reserveOne and append.
    DBResult add(const DSLogEntry& entry);
    // Replaces every entry (a log read from a datapacket); save points are dropped.
    DBResult assign(const std::vector<DSLogEntry>& entries);
    void removeNewest();
    // Drops every entry and save point; the capacity stays.
    void clear();
    // Drops everything, capacity included (a table that is defined anew).
    void reset();

    // The current save point: 0 while the log is empty, else the identifier of a save point
    // at the current length (made when there is none). errNoMemory when it cannot be kept.
    DBResult currentSavePoint(std::uint32_t* id);
    // The log length a save point marks; false when the save point does not exist (it never
    // existed, or the log has since been cut below its length).
    bool savePointLength(std::uint32_t id, std::uint32_t* length) const;

    // The log compacted for counting changes: each record's chain of changes reduced to one
    // entry (an insert of the newest version, a modification of the oldest version into the
    // newest, or a deletion of the original record), and inserts later deleted left out.
    std::vector<DSLogEntry> compacted() const;

    // Empties the log the way the merge does, in passes from the oldest entry: each pass takes
    // the oldest remaining entry, follows the chain of versions that starts with it, removes
    // the chain's entries and hands the collected record numbers (oldest version first) to
    // apply. logDetail entries (nested tables, which this engine does not hold) are dropped.
    void merge(const std::function<void(const std::vector<std::uint32_t>&)>& apply);

    // The version that version replaced (the other record of the newest logModify whose
    // record is version), 0 when there is none.
    std::uint32_t previousVersion(std::uint32_t version) const;
    // Whether version's chain of modifications begins with a logInsert.
    bool chainBeganWithInsert(std::uint32_t version) const;

  private:
    struct SavePoint {
        std::uint32_t id;
        std::uint32_t length;
    };
    void dropSavePointsAbove(std::uint32_t length);

    std::vector<DSLogEntry> FEntries;
    std::vector<std::uint32_t> FPositions;  // parallel to FEntries
    std::uint32_t FCapacity = 0;
    std::vector<SavePoint> FSavePoints;  // ascending lengths
    std::uint32_t FNextSavePointId = 1;
};
