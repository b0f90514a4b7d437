#include "interchange/DuplicateAddressIndex.h"

#include "dataset/ClientDataSet.h"
#include "packet/AsciiCase.h"
#include "stations/StationInput.h"
#include "stations/StationSchema.h"

std::u16string addressKey(std::u16string_view address) {
    std::u16string key = trimmedText(address);
    const std::size_t scheme = key.find(u"://");
    std::size_t hostEnd = key.size();
    if (scheme != std::u16string::npos) {
        hostEnd = key.find_first_of(u"/?#", scheme + 3);
        if (hostEnd == std::u16string::npos) hostEnd = key.size();
    }
    // Scheme and host are ASCII in practice; other letters keep their case.
    for (std::size_t i = 0; i < hostEnd; ++i) key[i] = asciiLower(key[i]);
    if (key.ends_with(u'/')) key.pop_back();
    return key;
}

bool DuplicateAddressIndex::insert(std::u16string_view address) {
    return FKeys.insert(addressKey(address)).second;
}

bool DuplicateAddressIndex::contains(std::u16string_view address) const {
    return FKeys.contains(addressKey(address));
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
