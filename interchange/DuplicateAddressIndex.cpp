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

std::size_t DuplicateAddressIndex::find(std::u16string_view key, std::uint64_t hash) const {
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = FSlots[i];
        if (slot.length == 0) return i;
        if (slot.hash == hash && std::u16string_view(FKeys).substr(slot.offset, slot.length) == key)
            return i;
    }
}

void DuplicateAddressIndex::grow(std::size_t slots) {
    std::size_t size = 16;
    while (size < slots) size *= 2;
    if (size <= FSlots.size()) return;
    std::vector<Slot> old(size);
    old.swap(FSlots);
    const std::size_t mask = FSlots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.length == 0) continue;
        std::size_t i = slot.hash & mask;
        while (FSlots[i].length != 0) i = (i + 1) & mask;
        FSlots[i] = slot;
    }
}

void DuplicateAddressIndex::reserve(std::size_t count) {
    grow(count * 2);
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
    if ((FCount + 1) * 2 > FSlots.size()) grow((FCount + 1) * 2);
    const std::uint64_t hash = std::hash<std::u16string_view>{}(FScratch);
    Slot& slot = FSlots[find(FScratch, hash)];
    if (slot.length != 0) return false;
    slot = Slot{hash, FKeys.size(), FScratch.size()};
    FKeys += FScratch;
    ++FCount;
    return true;
}

bool DuplicateAddressIndex::contains(std::u16string_view address) const {
    const std::u16string key = addressKey(address);
    if (key.empty()) return FHasEmptyKey;
    if (FSlots.empty()) return false;
    return FSlots[find(key, std::hash<std::u16string_view>{}(key))].length != 0;
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
