#include "interchange/EntryToStation.h"

#include <cmath>
#include <cstdio>

#include "interchange/DuplicateAddressIndex.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "stations/StationInput.h"

namespace {

std::size_t fieldIndex(std::u16string_view field) {
    return static_cast<std::size_t>(stationFieldIndex(field));
}

std::size_t fieldSize(std::u16string_view field) {
    return static_cast<std::size_t>(stationSchema()[fieldIndex(field)].size);
}

bool isAscii(std::u16string_view text) {
    for (char16_t c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// The bytes a text takes in code page 936 (what a text field stores of it).
std::string ansiBytes(std::u16string_view text) {
    if (isAscii(text)) return std::string(text.begin(), text.end());
    return unicodeToAnsi(text);
}

// True when a text field of `size` bytes keeps the whole text: it fits, and it holds no NUL
// (the field keeps the text up to its first NUL).
bool fitsField(std::u16string_view text, std::size_t size) {
    if (text.find(u'\0') != std::u16string_view::npos) return false;
    if (isAscii(text)) return text.size() <= size;
    return unicodeToAnsi(text).size() <= size;
}

bool hasControlCharacter(std::u16string_view text) {
    for (char16_t c : text) {
        if (c < 0x20) return true;
    }
    return false;
}

// True when code page 936 holds every character of the text, so the stored address reads back
// as the one given.
bool representableInCodePage(std::u16string_view text) {
    return isAscii(text) || ansiToUnicode(unicodeToAnsi(text)) == text;
}

SkipReason addressFault(std::u16string_view address) {
    if (address.empty()) return SkipReason::NoAddress;
    if (hasControlCharacter(address) || !hasStreamMarker(address) ||
        !representableInCodePage(address)) {
        return SkipReason::InvalidAddress;
    }
    if (ansiBytes(address).size() > fieldSize(StationFieldName::Address)) {
        return SkipReason::AddressTooLong;
    }
    return SkipReason::None;
}

// A value as one line: each run of line breaks, tabs and other control characters inside it
// becomes one blank (an input line of the entry page could hold none of them).
std::u16string singleLine(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : trimmedText(text)) {
        if (c >= 0x20) {
            out.push_back(c);
        } else if (out.empty() || out.back() != u' ') {
            out.push_back(u' ');
        }
    }
    return out;
}

// The group: the entry's own, else the first tag that is not blank.
std::u16string groupOf(const StationEntry& entry) {
    std::u16string group = singleLine(entry.group);
    if (!group.empty()) return group;
    std::size_t start = 0;
    while (start <= entry.tags.size()) {
        std::size_t comma = entry.tags.find(u',', start);
        if (comma == std::u16string::npos) comma = entry.tags.size();
        std::u16string tag =
            singleLine(std::u16string_view(entry.tags).substr(start, comma - start));
        if (!tag.empty()) return tag;
        start = comma + 1;
    }
    return {};
}

std::u16string countryOf(const StationEntry& entry) {
    std::u16string country = singleLine(entry.country);
    std::u16string code = singleLine(entry.countryCode);
    if (country.empty()) return code;
    if (!code.empty() && !fitsField(country, fieldSize(StationFieldName::Country))) return code;
    return country;
}

}  // namespace

const std::u16string& stationValue(const StationValues& values, std::u16string_view field) {
    return values[fieldIndex(field)];
}

std::u16string& stationValue(StationValues& values, std::u16string_view field) {
    return values[fieldIndex(field)];
}

std::u16string bitRateFromNumber(double kilobitsPerSecond) {
    if (!std::isfinite(kilobitsPerSecond) || kilobitsPerSecond <= 0) return {};
    char text[48];
    if (kilobitsPerSecond < 1e15 && kilobitsPerSecond == std::floor(kilobitsPerSecond)) {
        std::snprintf(text, sizeof text, "%.0fk", kilobitsPerSecond);
    } else {
        std::snprintf(text, sizeof text, "%gk", kilobitsPerSecond);
    }
    return asciiToUtf16(text);
}

std::u16string addressHost(std::u16string_view address) {
    const std::size_t scheme = address.find(u"://");
    if (scheme == std::u16string_view::npos) return {};
    std::u16string_view authority = address.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of(u"/?#"));
    if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (authority.starts_with(u'[')) {
        const std::size_t close = authority.find(u']');
        return std::u16string(close == std::u16string_view::npos ? authority
                                                                 : authority.substr(0, close + 1));
    }
    return std::u16string(authority.substr(0, authority.find(u':')));
}

EntryConversion entryToStation(const StationEntry& entry) {
    EntryConversion result;
    StationInputs inputs;
    inputs.address = trimmedText(entry.address);
    result.skip = addressFault(inputs.address);
    if (result.skip != SkipReason::None) return result;

    inputs.name = singleLine(entry.name);
    if (inputs.name.empty()) inputs.name = addressHost(inputs.address);
    inputs.country = countryOf(entry);
    inputs.language = singleLine(entry.language);
    inputs.bitRate = singleLine(entry.bitRate);
    inputs.stationType =
        std::u16string(entry.television ? kTvStationCaption : kRadioStationCaption);
    inputs.videoType = videoTypeText(entry.television ? 1 : 0);
    result.nameCut = !fitsField(inputs.name, fieldSize(StationFieldName::Name));

    // The values a typed station is appended with, then what a list adds to them.
    const std::vector<TVarRec> typed = appendedStationValues(inputs);
    for (std::size_t i = 0; i < kStationFieldCount; ++i) result.values[i] = typed[i].VUnicode;

    std::u16string homepage = singleLine(entry.homepage);
    if (!fitsField(homepage, fieldSize(StationFieldName::WebSite))) {
        result.homepageDropped = true;
        homepage.clear();
    }
    stationValue(result.values, StationFieldName::WebSite) = std::move(homepage);
    stationValue(result.values, StationFieldName::Group) = groupOf(entry);
    return result;
}

ImportReport& ImportReport::operator+=(const ImportReport& other) {
    entries += other.entries;
    imported += other.imported;
    noAddress += other.noAddress;
    invalidAddress += other.invalidAddress;
    addressTooLong += other.addressTooLong;
    duplicate += other.duplicate;
    namesCut += other.namesCut;
    homepagesDropped += other.homepagesDropped;
    cutNames.insert(cutNames.end(), other.cutNames.begin(), other.cutNames.end());
    return *this;
}

ImportedStations importStations(std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses) {
    ImportedStations result;
    ImportReport& report = result.report;
    report.entries = entries.size();
    for (const StationEntry& entry : entries) {
        EntryConversion converted = entryToStation(entry);
        if (converted.skip == SkipReason::None &&
            !addresses.insert(stationValue(converted.values, StationFieldName::Address))) {
            converted.skip = SkipReason::Duplicate;
        }
        switch (converted.skip) {
            case SkipReason::NoAddress:
                ++report.noAddress;
                continue;
            case SkipReason::InvalidAddress:
                ++report.invalidAddress;
                continue;
            case SkipReason::AddressTooLong:
                ++report.addressTooLong;
                continue;
            case SkipReason::Duplicate:
                ++report.duplicate;
                continue;
            case SkipReason::None:
                break;
        }
        ++report.imported;
        if (converted.nameCut) {
            ++report.namesCut;
            report.cutNames.push_back(stationValue(converted.values, StationFieldName::Name));
        }
        if (converted.homepageDropped) ++report.homepagesDropped;
        result.stations.push_back(std::move(converted.values));
    }
    return result;
}

std::u16string importSummaryText(const ImportReport& r) {
    const auto n = [](std::size_t value) { return asciiToUtf16(std::to_string(value)); };
    return u"已导入 " + n(r.imported) + u" 个电台；跳过 " + n(r.skipped()) + u" 个（无地址 " +
           n(r.noAddress) + u"，地址无效 " + n(r.invalidAddress) + u"，地址过长 " +
           n(r.addressTooLong) + u"，重复 " + n(r.duplicate) + u"）；名称被截断 " + n(r.namesCut) +
           u" 个";
}

bool isTelevisionStation(const StationValues& station) {
    return stationValue(station, StationFieldName::StationType) == kTvStationCaption ||
           stationValue(station, StationFieldName::VideoType) == kTvStationCaption;
}

StationEntry entryFromStation(const StationValues& station) {
    StationEntry entry;
    entry.name = stationValue(station, StationFieldName::Name);
    entry.address = stationValue(station, StationFieldName::Address);
    entry.country = stationValue(station, StationFieldName::Country);
    entry.language = stationValue(station, StationFieldName::Language);
    entry.bitRate = stationValue(station, StationFieldName::BitRate);
    entry.homepage = stationValue(station, StationFieldName::WebSite);
    entry.group = stationValue(station, StationFieldName::Group);
    entry.television = isTelevisionStation(station);
    return entry;
}
