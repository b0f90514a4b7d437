#pragma once
// The stream addresses already taken, for finding duplicates: two addresses are the same when
// they are equal after trimming, with the scheme and host compared without letter case and one
// trailing "/" ignored ("HTTP://Radio.Example/live/" is "http://radio.example/live").

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TClientDataSet;

// The form two addresses are compared in: trimmed, the part up to the end of the host (scheme,
// "://", user information, host, port) in lower case, the path and query as they are, one
// trailing "/" removed.
std::u16string addressKey(std::u16string_view address);
// The same into `key`, its storage reused.
void assignAddressKey(std::u16string& key, std::u16string_view address);

// The keys of the addresses taken. The keys lie one after the other in one buffer, found
// through an open-addressing table of their hashes, so an import of 100 000 stations adds no
// heap block per address. At most 2^32 - 1 keys and 2^32 - 1 characters of keys in all (a
// list holds at most a million entries of at most 100 bytes each).
class DuplicateAddressIndex {
  public:
    // Adds the address; false when an address with the same key was there already.
    bool insert(std::u16string_view address);
    bool contains(std::u16string_view address) const;
    // The same in steps, for a key made elsewhere (assignAddressKey): its hash, a start on
    // fetching the part of the table where the key will be looked for (so that the work done
    // until then hides the wait for memory), and adding it (false when it was there).
    static std::uint64_t keyHash(std::u16string_view key);
    void prefetch(std::uint64_t hash) const;
    bool insertKey(std::u16string_view key, std::uint64_t hash);
    std::size_t size() const { return FCount; }
    // Makes room for `count` addresses in all, so that a large import does not rehash as it goes.
    void reserve(std::size_t count);

    // What the index holds at a moment, for taking it back there: rollBack forgets the
    // addresses added since savePoint() was taken.
    struct SavePoint {
        std::size_t keys = 0;
        std::size_t count = 0;
        bool hasEmptyKey = false;
    };
    SavePoint savePoint() const { return {FKeyHashes.size(), FCount, FHasEmptyKey}; }
    void rollBack(const SavePoint& point);

    // Adds the "电台地址" of every station of an open table (one that lacks the field adds
    // nothing). The table must be in browse state; its current record is the same afterwards.
    void addTable(TClientDataSet& table);

  private:
    // A slot of the table: the key's number plus one (0 for a free slot) and the high half of
    // its hash, so that a probe rarely looks at a key that differs. Eight bytes a slot keep the
    // table of 100 000 addresses small enough for the processor's caches.
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t key = 0;
    };
    std::u16string_view key(std::uint32_t index) const;
    // The slot holding `wanted`, or the free slot where it would go.
    std::size_t find(std::u16string_view wanted, std::uint64_t hash) const;
    void grow(std::size_t slots);
    // Fills FSlots, of `size` slots, from FKeyHashes.
    void rehash(std::size_t size);

    std::u16string FKeys;                   // the keys one after the other
    std::vector<std::uint32_t> FKeyEnds;    // where each key ends in FKeys
    std::vector<std::uint64_t> FKeyHashes;  // each key's hash, for growing the table
    std::vector<Slot> FSlots;               // a power of two in size, at most half of it used
    std::size_t FCount = 0;
    bool FHasEmptyKey = false;
    std::u16string FScratch;  // the key being looked up
};
