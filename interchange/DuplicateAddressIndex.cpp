#include "interchange/DuplicateAddressIndex.h"

#include "dataset/ClientDataSet.h"
#include "packet/AsciiCase.h"
#include "stations/StationInput.h"
#include "stations/StationSchema.h"

void assignAddressKey(std::u16string& key, std::u16string_view address) {
    std::size_t first = 0;
    std::size_t last = address.size();
    while (first < last && address[first] <= u' ') ++first;
    while (last > first && address[last - 1] <= u' ') --last;
    key.assign(address.substr(first, last - first));
    const std::size_t scheme = key.find(u"://");
    std::size_t hostEnd = key.size();
    if (scheme != std::u16string::npos) {
        hostEnd = key.find_first_of(u"/?#", scheme + 3);
        if (hostEnd == std::u16string::npos) hostEnd = key.size();
    }
    // Scheme and host are ASCII in practice; other letters keep their case.
    for (std::size_t i = 0; i < hostEnd; ++i) key[i] = asciiLower(key[i]);
    if (key.ends_with(u'/')) key.pop_back();
}

std::u16string addressKey(std::u16string_view address) {
    std::u16string key;
    assignAddressKey(key, address);
    return key;
}

std::u16string_view DuplicateAddressIndex::key(std::uint32_t index) const {
    const std::uint32_t start = index == 0 ? 0 : FKeyEnds[index - 1];
    return std::u16string_view(FKeys).substr(start, FKeyEnds[index] - start);
}

std::size_t DuplicateAddressIndex::find(std::u16string_view wanted, std::uint64_t hash) const {
    const std::size_t mask = FSlots.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = FSlots[i];
        if (slot.key == 0) return i;
        if (slot.tag == tag && key(slot.key - 1) == wanted) return i;
    }
}

void DuplicateAddressIndex::grow(std::size_t slots) {
    std::size_t size = 16;
    while (size < slots) size *= 2;
    if (size <= FSlots.size()) return;
    FSlots.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (std::uint32_t k = 0; k < FKeyHashes.size(); ++k) {
        const std::uint64_t hash = FKeyHashes[k];
        std::size_t i = hash & mask;
        while (FSlots[i].key != 0) i = (i + 1) & mask;
        FSlots[i] = Slot{static_cast<std::uint32_t>(hash >> 32), k + 1};
    }
}

void DuplicateAddressIndex::reserve(std::size_t count) {
    grow(count * 2);
    FKeyHashes.reserve(count);
    FKeyEnds.reserve(count);
}

bool DuplicateAddressIndex::insert(std::u16string_view address) {
    assignAddressKey(FScratch, address);
    // The empty key has no slot (a free slot is one without a key): a flag stands for it.
    if (FScratch.empty()) {
        if (FHasEmptyKey) return false;
        FHasEmptyKey = true;
        ++FCount;
        return true;
    }
    if ((FKeyHashes.size() + 1) * 2 > FSlots.size()) grow((FKeyHashes.size() + 1) * 2);
    const std::uint64_t hash =
        FScratch == FPrefetched ? FPrefetchedHash : std::hash<std::u16string_view>{}(FScratch);
    Slot& slot = FSlots[find(FScratch, hash)];
    if (slot.key != 0) return false;
    slot = Slot{static_cast<std::uint32_t>(hash >> 32),
                static_cast<std::uint32_t>(FKeyHashes.size() + 1)};
    FKeys += FScratch;
    FKeyEnds.push_back(static_cast<std::uint32_t>(FKeys.size()));
    FKeyHashes.push_back(hash);
    ++FCount;
    return true;
}

void DuplicateAddressIndex::prefetch(std::u16string_view address) {
    assignAddressKey(FPrefetched, address);
    FPrefetchedHash = std::hash<std::u16string_view>{}(FPrefetched);
    if (!FSlots.empty()) __builtin_prefetch(&FSlots[FPrefetchedHash & (FSlots.size() - 1)]);
}

bool DuplicateAddressIndex::contains(std::u16string_view address) const {
    const std::u16string key = addressKey(address);
    if (key.empty()) return FHasEmptyKey;
    if (FSlots.empty()) return false;
    return FSlots[find(key, std::hash<std::u16string_view>{}(key))].key != 0;
}

void DuplicateAddressIndex::addTable(TClientDataSet& table) {
    TField* field = table.FindField(StationFieldName::Address);
    if (!field || table.IsEmpty()) return;
    const std::int32_t current = table.RecNo();
    reserve(size() + static_cast<std::size_t>(table.RecordCount()));
    table.First();
    while (!table.Eof()) {
        insert(field->AsString());
        table.Next();
    }
    if (current > 0) {
        table.SetRecNo(current);
    } else {
        table.First();
    }
}
