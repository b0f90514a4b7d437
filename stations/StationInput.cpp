#include "stations/StationInput.h"

#include "packet/AsciiCase.h"
#include "stations/StationSchema.h"

namespace {

// Ordinal search ignoring the case of ASCII letters; the markers are ASCII, so other letters
// never need folding to match them.
bool containsIgnoringAsciiCase(std::u16string_view text, std::u16string_view marker) {
    if (marker.size() > text.size()) return false;
    for (std::size_t start = 0; start + marker.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < marker.size() && asciiLower(text[start + i]) == asciiLower(marker[i])) ++i;
        if (i == marker.size()) return true;
    }
    return false;
}

}  // namespace

bool hasStreamMarker(std::u16string_view address) {
    for (std::u16string_view marker : kStreamMarkers) {
        if (containsIgnoringAsciiCase(address, marker)) return true;
    }
    return false;
}

std::u16string trimmedText(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return std::u16string(text.substr(first, last - first));
}

std::u16string videoTypeText(int itemIndex) {
    return itemIndex == 1 ? std::u16string(kTvStationCaption) : std::u16string();
}

std::vector<TVarRec> appendedStationValues(const StationInputs& inputs) {
    // Every field empty, then the ones the entry page fills, placed by name so the order stays
    // the schema's alone.
    std::vector<std::u16string> values(kStationFieldCount);
    const auto set = [&values](std::u16string_view field, std::u16string value) {
        values[static_cast<std::size_t>(stationFieldIndex(field))] = std::move(value);
    };
    set(StationFieldName::Name, trimmedText(inputs.name));
    set(StationFieldName::Country, trimmedText(inputs.country));
    set(StationFieldName::Category, std::u16string(kUserDefinedCategory));
    set(StationFieldName::BitRate, trimmedText(inputs.bitRate));
    set(StationFieldName::Language, trimmedText(inputs.language));
    set(StationFieldName::Address, trimmedText(inputs.address));
    set(StationFieldName::VideoType, inputs.videoType);
    set(StationFieldName::StationType, inputs.stationType);

    std::vector<TVarRec> records;
    records.reserve(values.size());
    for (const std::u16string& value : values) records.push_back(TVarRec::unicode(value));
    return records;
}
