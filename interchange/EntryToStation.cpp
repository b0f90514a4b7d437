#include "interchange/EntryToStation.h"

#include <cmath>
#include <cstdio>

#include "interchange/DuplicateAddressIndex.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "stations/StationInput.h"

namespace {

std::size_t fieldIndex(std::u16string_view field) {
    // The StationFieldName constants are the schema's own names: their characters are found by
    // address before any text is compared.
    const auto& schema = stationSchema();
    for (std::size_t i = 0; i < schema.size(); ++i) {
        if (schema[i].name.data() == field.data() && schema[i].name.size() == field.size()) {
            return i;
        }
    }
    return static_cast<std::size_t>(stationFieldIndex(field));
}

// The position of a schema field and the bytes a text field holds, found when compiling: the
// rules below set a dozen values an entry.
consteval std::size_t at(std::u16string_view field) {
    for (std::size_t i = 0; i < kStationSchema.size(); ++i) {
        if (kStationSchema[i].name == field) return i;
    }
    throw "not a field of the station table";
}

consteval std::size_t fieldSize(std::u16string_view field) {
    return static_cast<std::size_t>(kStationSchema[at(field)].size);
}

bool isAscii(std::u16string_view text) {
    for (char16_t c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// True when a text field of `size` bytes keeps the whole text: it fits, and it holds no NUL
// (the field keeps the text up to its first NUL).
bool fitsField(std::u16string_view text, std::size_t size) {
    if (text.find(u'\0') != std::u16string_view::npos) return false;
    // No code unit takes more than two bytes in code page 936 (a surrogate pair takes one, "?"),
    // so a short text fits without being converted.
    if (text.size() * 2 <= size) return true;
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
    const std::size_t bytes = isAscii(address) ? address.size() : unicodeToAnsi(address).size();
    if (bytes > fieldSize(StationFieldName::Address)) {
        return SkipReason::AddressTooLong;
    }
    return SkipReason::None;
}

// A value as one line into `out` (its storage reused): each run of line breaks, tabs and other
// control characters inside it becomes one blank (an input line of the entry page could hold
// none of them).
void assignSingleLine(std::u16string& out, std::u16string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    const std::u16string_view trimmed = text.substr(first, last - first);
    if (!hasControlCharacter(trimmed)) {  // the usual case: the trimmed text as it is
        out.assign(trimmed);
        return;
    }
    out.clear();
    for (std::size_t i = first; i < last; ++i) {
        if (text[i] >= 0x20) {
            out.push_back(text[i]);
        } else if (out.back() != u' ') {  // never first: the text is trimmed
            out.push_back(u' ');
        }
    }
}

std::u16string singleLine(std::u16string_view text) {
    std::u16string out;
    assignSingleLine(out, text);
    return out;
}

// The group: the entry's own, else the first tag that is not blank.
void assignGroup(std::u16string& group, const StationEntry& entry) {
    assignSingleLine(group, entry.group);
    if (!group.empty()) return;
    std::size_t start = 0;
    while (start <= entry.tags.size()) {
        std::size_t comma = entry.tags.find(u',', start);
        if (comma == std::u16string::npos) comma = entry.tags.size();
        assignSingleLine(group, std::u16string_view(entry.tags).substr(start, comma - start));
        if (!group.empty()) return;
        start = comma + 1;
    }
}

void assignCountry(std::u16string& country, const StationEntry& entry) {
    assignSingleLine(country, entry.country);
    if (!country.empty() && fitsField(country, fieldSize(StationFieldName::Country))) return;
    const std::u16string code = singleLine(entry.countryCode);
    if (!code.empty()) country = code;
}

std::u16string_view trimmedView(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return text.substr(first, last - first);
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

void entryToStation(const StationEntry& entry, EntryConversion& result) {
    result.nameCut = false;
    result.homepageDropped = false;
    const std::u16string_view address = trimmedView(entry.address);
    result.skip = addressFault(address);
    if (result.skip != SkipReason::None) return;

    // The values a typed station is appended with (appendedStationValues: the inputs trimmed,
    // the category, the two station-type texts), set here directly because a list brings
    // thousands of them; then what a list adds. Each is assigned into the value already there,
    // so that converting entry after entry into the same values reuses their storage.
    StationValues& v = result.values;
    std::u16string& name = v[at(StationFieldName::Name)];
    assignSingleLine(name, entry.name);
    if (name.empty()) assignSingleLine(name, addressHost(address));
    result.nameCut = !fitsField(name, fieldSize(StationFieldName::Name));

    assignCountry(v[at(StationFieldName::Country)], entry);
    v[at(StationFieldName::Category)] = kUserDefinedCategory;
    assignSingleLine(v[at(StationFieldName::BitRate)], entry.bitRate);
    assignSingleLine(v[at(StationFieldName::Language)], entry.language);
    v[at(StationFieldName::Address)] = address;
    v[at(StationFieldName::VideoType)] =
        entry.television ? std::u16string_view(kTvStationCaption) : std::u16string_view();
    v[at(StationFieldName::StationType)] =
        entry.television ? kTvStationCaption : kRadioStationCaption;

    std::u16string& homepage = v[at(StationFieldName::WebSite)];
    assignSingleLine(homepage, entry.homepage);
    if (!fitsField(homepage, fieldSize(StationFieldName::WebSite))) {
        result.homepageDropped = true;
        homepage.clear();
    }
    assignGroup(v[at(StationFieldName::Group)], entry);
}

EntryConversion entryToStation(const StationEntry& entry) {
    EntryConversion result;
    entryToStation(entry, result);
    return result;
}

bool takeConversion(EntryConversion& converted, DuplicateAddressIndex& addresses,
                    ImportReport& report) {
    if (converted.skip == SkipReason::None &&
        !addresses.insert(converted.values[at(StationFieldName::Address)])) {
        converted.skip = SkipReason::Duplicate;
    }
    switch (converted.skip) {
        case SkipReason::NoAddress:
            ++report.noAddress;
            return false;
        case SkipReason::InvalidAddress:
            ++report.invalidAddress;
            return false;
        case SkipReason::AddressTooLong:
            ++report.addressTooLong;
            return false;
        case SkipReason::Duplicate:
            ++report.duplicate;
            return false;
        case SkipReason::None:
            break;
    }
    countTaken(report, converted.nameCut ? &converted.values[at(StationFieldName::Name)] : nullptr,
               converted.homepageDropped);
    return true;
}

void countTaken(ImportReport& report, const std::u16string* cutName, bool homepageDropped) {
    ++report.imported;
    if (cutName) {
        ++report.namesCut;
        report.cutNames.push_back(*cutName);
    }
    if (homepageDropped) ++report.homepagesDropped;
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
    result.report.entries = entries.size();
    result.stations.reserve(entries.size());
    addresses.reserve(addresses.size() + entries.size());
    EntryConversion converted;
    for (const StationEntry& entry : entries) {
        entryToStation(entry, converted);
        if (takeConversion(converted, addresses, result.report)) {
            result.stations.push_back(std::move(converted.values));
            converted.values = StationValues{};
        }
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
