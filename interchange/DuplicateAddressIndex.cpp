#include "interchange/DuplicateAddressIndex.h"

#include "dataset/ClientDataSet.h"
#include "packet/AsciiCase.h"
#include "stations/StationInput.h"
#include "stations/StationSchema.h"

namespace {

std::u16string_view trimmedAddress(std::u16string_view address) {
    std::size_t first = 0;
    std::size_t last = address.size();
    while (first < last && address[first] <= u' ') ++first;
    while (last > first && address[last - 1] <= u' ') --last;
    return address.substr(first, last - first);
}

}  // namespace

void assignAddressKey(std::u16string& key, std::u16string_view address) {
    const std::u16string_view trimmed = trimmedAddress(address);
    const std::size_t n = trimmed.size();
    std::size_t hostEnd = n;
    if (const std::size_t scheme = trimmed.find(u"://"); scheme != std::u16string_view::npos) {
        hostEnd = scheme + 3;
        while (hostEnd < n && trimmed[hostEnd] != u'/' && trimmed[hostEnd] != u'?' &&
               trimmed[hostEnd] != u'#')
            ++hostEnd;
    }
    const std::size_t keep = n > 0 && trimmed[n - 1] == u'/' ? n - 1 : n;
    key.resize(keep);
    // Scheme and host are ASCII in practice; other letters keep their case.
    for (std::size_t i = 0; i < keep; ++i)
        key[i] = i < hostEnd ? asciiLower(trimmed[i]) : trimmed[i];
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
    rehash(size);
}

void DuplicateAddressIndex::rehash(std::size_t size) {
    FSlots.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (std::uint32_t k = 0; k < FKeyHashes.size(); ++k) {
        const std::uint64_t hash = FKeyHashes[k];
        std::size_t i = hash & mask;
        while (FSlots[i].key != 0) i = (i + 1) & mask;
        FSlots[i] = Slot{static_cast<std::uint32_t>(hash >> 32), k + 1};
    }
}

void DuplicateAddressIndex::rollBack(const SavePoint& point) {
    if (point.keys >= FKeyHashes.size() && point.count >= FCount) return;
    FKeyHashes.resize(point.keys);
    FKeyEnds.resize(point.keys);
    FKeys.resize(point.keys == 0 ? 0 : FKeyEnds.back());
    FCount = point.count;
    FHasEmptyKey = point.hasEmptyKey;
    rehash(FSlots.size());
}

void DuplicateAddressIndex::reserve(std::size_t count) {
    grow(count * 2);
    FKeyHashes.reserve(count);
    FKeyEnds.reserve(count);
}

bool DuplicateAddressIndex::insert(std::u16string_view address) {
    assignAddressKey(FScratch, address);
    return insertKey(FScratch, keyHash(FScratch));
}

bool DuplicateAddressIndex::insertKey(std::u16string_view key, std::uint64_t hash) {
    // The empty key has no slot (a free slot is one without a key): a flag stands for it.
    if (key.empty()) {
        if (FHasEmptyKey) return false;
        FHasEmptyKey = true;
        ++FCount;
        return true;
    }
    if ((FKeyHashes.size() + 1) * 2 > FSlots.size()) grow((FKeyHashes.size() + 1) * 2);
    Slot& slot = FSlots[find(key, hash)];
    if (slot.key != 0) return false;
    slot = Slot{static_cast<std::uint32_t>(hash >> 32),
                static_cast<std::uint32_t>(FKeyHashes.size() + 1)};
    FKeys += key;
    FKeyEnds.push_back(static_cast<std::uint32_t>(FKeys.size()));
    FKeyHashes.push_back(hash);
    ++FCount;
    return true;
}

std::uint64_t DuplicateAddressIndex::keyHash(std::u16string_view key) {
    return std::hash<std::u16string_view>{}(key);
}

void DuplicateAddressIndex::prefetch(std::uint64_t hash) const {
    if (!FSlots.empty()) __builtin_prefetch(&FSlots[hash & (FSlots.size() - 1)]);
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
