#include "engine/ChangeLog.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "engine/DSTypes.h"

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// Log entries by record number, for "the first entry after entry i that names record r".
// Sorted (record << 32 | entry) pairs: independent of how many records the table holds.
class EntriesByRecord {
  public:
    void add(std::uint32_t record, std::uint32_t entry) {
        FItems.push_back(static_cast<std::uint64_t>(record) << 32 | entry);
    }
    void sort() { std::sort(FItems.begin(), FItems.end()); }

    // The first entry after `after` filed under record whose skip flag is clear, else kNone.
    std::uint32_t firstAfter(std::uint32_t record, std::uint32_t after,
                             const std::vector<char>& skip) const {
        const std::uint64_t from = static_cast<std::uint64_t>(record) << 32 | after;
        for (auto it = std::upper_bound(FItems.begin(), FItems.end(), from);
             it != FItems.end() && (*it >> 32) == record; ++it) {
            const auto entry = static_cast<std::uint32_t>(*it);
            if (!skip[entry]) return entry;
        }
        return kNone;
    }

  private:
    std::vector<std::uint64_t> FItems;
};

DBResult reserveGeometric(std::size_t size, std::vector<DSLogEntry>& entries,
                          std::vector<std::uint32_t>& positions) {
    try {
        if (size > entries.capacity()) entries.reserve(std::max(size, entries.capacity() * 2));
        if (size > positions.capacity())
            positions.reserve(std::max(size, positions.capacity() * 2));
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    } catch (const std::length_error&) {
        return errNoMemory;
    }
    return DBIERR_NONE;
}

}  // namespace

DBResult ChangeLog::reserveOne() {
    const std::uint32_t n = count();
    std::uint32_t newCapacity = FCapacity;
    if (n >= FCapacity) {
        if (FCapacity == 0) {
            newCapacity = 3;
        } else {
            const std::uint32_t base = std::max(FCapacity, n);
            if (base > UINT32_MAX - 17) return errNoMemory;
            newCapacity = base + 16;
        }
    }
    DBResult rc = reserveGeometric(static_cast<std::size_t>(n) + 1, FEntries, FPositions);
    if (rc != DBIERR_NONE) return rc;
    FCapacity = newCapacity;
    return DBIERR_NONE;
}

void ChangeLog::append(const DSLogEntry& entry, std::uint32_t position) {
    FEntries.push_back(entry);
    FPositions.push_back(position);
}

DBResult ChangeLog::add(const DSLogEntry& entry) {
    DBResult rc = reserveOne();
    if (rc == DBIERR_NONE) append(entry);
    return rc;
}

DBResult ChangeLog::assign(const std::vector<DSLogEntry>& entries) {
    if (entries.size() >= UINT32_MAX) return errNoMemory;
    std::vector<DSLogEntry> copy;
    std::vector<std::uint32_t> positions;
    try {
        copy = entries;
        positions.assign(entries.size(), 0);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    FEntries.swap(copy);
    FPositions.swap(positions);
    FCapacity = std::max(FCapacity, count());
    FSavePoints.clear();
    return DBIERR_NONE;
}

void ChangeLog::removeNewest() {
    FEntries.pop_back();
    FPositions.pop_back();
    dropSavePointsAbove(count());
}

void ChangeLog::clear() {
    FEntries.clear();
    FPositions.clear();
    FSavePoints.clear();
}

void ChangeLog::reset() {
    clear();
    FEntries.shrink_to_fit();
    FPositions.shrink_to_fit();
    FCapacity = 0;
    FNextSavePointId = 1;
}

DBResult ChangeLog::currentSavePoint(std::uint32_t* id) {
    if (empty()) {
        *id = 0;
        return DBIERR_NONE;
    }
    if (!FSavePoints.empty() && FSavePoints.back().length == count()) {
        *id = FSavePoints.back().id;
        return DBIERR_NONE;
    }
    try {
        FSavePoints.push_back({FNextSavePointId, count()});
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    *id = FNextSavePointId;
    if (++FNextSavePointId == 0) FNextSavePointId = 1;
    return DBIERR_NONE;
}

bool ChangeLog::savePointLength(std::uint32_t id, std::uint32_t* length) const {
    for (const auto& sp : FSavePoints) {
        if (sp.id == id) {
            *length = sp.length;
            return true;
        }
    }
    return false;
}

void ChangeLog::dropSavePointsAbove(std::uint32_t length) {
    while (!FSavePoints.empty() && FSavePoints.back().length > length) FSavePoints.pop_back();
}

std::vector<DSLogEntry> ChangeLog::compacted() const {
    const std::uint32_t n = count();
    // An entry is found under its record, and a modification also under the version it
    // replaced.
    EntriesByRecord byRecord;
    for (std::uint32_t i = 0; i < n; ++i) {
        byRecord.add(FEntries[i].record, i);
        if (FEntries[i].kind == logModify && FEntries[i].other != FEntries[i].record)
            byRecord.add(FEntries[i].other, i);
    }
    byRecord.sort();

    std::vector<char> consumed(n, 0);
    std::vector<DSLogEntry> kept;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (consumed[i]) continue;
        const DSLogEntry& e = FEntries[i];
        if (e.kind == logDelete) {
            kept.push_back(e);
            continue;
        }
        if (e.kind != logInsert && e.kind != logModify) continue;

        // Follow the record through the later entries: a deletion of the current version ends
        // the chain, a modification of it makes its new version current.
        std::uint32_t current = e.record;
        bool deleted = false;
        for (std::uint32_t j = i; (j = byRecord.firstAfter(current, j, consumed)) != kNone;) {
            consumed[j] = 1;
            const DSLogEntry& later = FEntries[j];
            if (later.record == current) {
                if (later.kind == logDelete) {
                    deleted = true;
                    break;
                }
            } else if (later.kind == logModify && later.other == current) {
                current = later.record;
            }
        }
        if (e.kind == logInsert) {
            if (!deleted) kept.push_back({current, 0, logInsert});
        } else if (deleted) {
            kept.push_back({e.other, 0, logDelete});
        } else if (current != e.other) {
            kept.push_back({current, e.other, logModify});
        }
    }
    return kept;
}

void ChangeLog::merge(const std::function<void(const std::vector<std::uint32_t>&)>& apply) {
    const std::uint32_t n = count();
    std::vector<char> removed(n, 0);
    // A chain goes on from a modification to the entry that deletes or modifies its new
    // version: such entries are filed under the version they consume.
    EntriesByRecord consumers;
    for (std::uint32_t i = 0; i < n; ++i) {
        const DSLogEntry& e = FEntries[i];
        if (e.kind == logDetail) removed[i] = 1;
        if (e.kind == logDelete) consumers.add(e.record, i);
        if (e.kind == logModify) consumers.add(e.other, i);
    }
    consumers.sort();
    std::vector<std::uint32_t> collected;
    collected.reserve(static_cast<std::size_t>(n) + 1);

    std::uint32_t oldest = 0;
    for (std::uint32_t pass = 0; pass < n; ++pass) {
        while (oldest < n && removed[oldest]) ++oldest;
        if (oldest == n) break;
        const DSLogEntry& first = FEntries[oldest];
        collected.clear();
        collected.push_back(first.kind == logModify && first.other != 0 ? first.other
                                                                        : first.record);
        std::uint32_t j = oldest;
        if (first.kind == logInsert) {
            removed[j] = 1;
        } else {
            for (;;) {
                removed[j] = 1;
                const DSLogEntry& e = FEntries[j];
                if (e.kind != logModify) break;
                collected.push_back(e.record);
                j = consumers.firstAfter(e.record, j, removed);
                if (j == kNone) break;
            }
        }
        apply(collected);
    }
    clear();
}

std::uint32_t ChangeLog::previousVersion(std::uint32_t version) const {
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
        if (it->kind == logModify && it->record == version) return it->other;
    return 0;
}

bool ChangeLog::chainBeganWithInsert(std::uint32_t version) const {
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it) {
        if (it->record != version) continue;
        if (it->kind == logInsert) return true;
        if (it->kind != logModify) return false;
        version = it->other;
    }
    return false;
}
