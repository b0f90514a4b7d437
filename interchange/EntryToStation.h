#pragma once
// From a station list's entry to a station of the table, by the rules of a typed station: the
// 20 values a station added on the entry page gets (the name, address, country, language and
// bit rate trimmed, the category "用户自定义", the two station-type texts), filled from the entry
// where it has them, plus its homepage in "电台网址" and its group (else its first tag) in
// "电台分组".
//
// An entry is skipped, and counted by reason, when
//   - it has no address (empty after trimming);
//   - its address is invalid: none of the stream markers, a control character inside it, or a
//     character code page 936 lacks (it would be stored as "?" and lead nowhere);
//   - its address is longer than the 100 bytes "电台地址" holds in code page 936 (cutting it
//     would break the stream);
//   - its address is already in the table or earlier in the import (DuplicateAddressIndex).
// Line breaks and other control characters inside a value become one blank per run (the
// address excepted, which is invalid with them).
// A name longer than its field is stored cut as a typed name is (by bytes, in the dataset) and
// counted. An entry without a name is named after its address's host.
// A country name too long for "电台国家" gives way to the country code when the entry has one.
// A homepage longer than "电台网址" is left out rather than stored cut, and counted.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "interchange/StationEntry.h"
#include "stations/StationSchema.h"

class DuplicateAddressIndex;

// The 20 values of a station, in field order, as text (the window's AsString texts).
using StationValues = std::array<std::u16string, kStationFieldCount>;

// The value of one field by name.
const std::u16string& stationValue(const StationValues& values, std::u16string_view field);
std::u16string& stationValue(StationValues& values, std::u16string_view field);

enum class SkipReason { None, NoAddress, InvalidAddress, AddressTooLong, Duplicate };

struct EntryConversion {
    SkipReason skip = SkipReason::None;
    bool nameCut = false;
    bool homepageDropped = false;
    StationValues values;  // filled when not skipped
};

// The station an entry becomes, without the duplicate test.
EntryConversion entryToStation(const StationEntry& entry);
// The same into `result`, whose values keep their storage from one entry to the next (only the
// values the rules set change).
void entryToStation(const StationEntry& entry, EntryConversion& result);

// The bit-rate text of a number of kbit/s: 128 -> "128k", 0 and below -> no bit rate.
std::u16string bitRateFromNumber(double kilobitsPerSecond);

// The host of an address ("http://user@Radio.example:8000/x" -> "Radio.example"); empty when
// it has no "://".
std::u16string addressHost(std::u16string_view address);

struct ImportReport {
    std::size_t entries = 0;  // entries read
    std::size_t imported = 0;
    std::size_t noAddress = 0;
    std::size_t invalidAddress = 0;
    std::size_t addressTooLong = 0;
    std::size_t duplicate = 0;
    std::size_t namesCut = 0;
    std::size_t homepagesDropped = 0;
    std::vector<std::u16string> cutNames;  // the cut names in full, in import order

    std::size_t skipped() const { return noAddress + invalidAddress + addressTooLong + duplicate; }
    ImportReport& operator+=(const ImportReport& other);
};

struct ImportedStations {
    std::vector<StationValues> stations;  // in entry order
    ImportReport report;
};

// The duplicate test and the count of one converted entry: true when the station is taken (its
// address is then in `addresses`), false when it is skipped (its reason counted).
bool takeConversion(EntryConversion& converted, DuplicateAddressIndex& addresses,
                    ImportReport& report);

// Counts a station taken: imported, and its name cut (given in full) or homepage left out.
void countTaken(ImportReport& report, const std::u16string* cutName, bool homepageDropped);

// Converts the entries in order. `addresses` holds the table's addresses (and those of earlier
// imports); every station taken adds its own, so a later entry with the same address is a
// duplicate.
ImportedStations importStations(std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses);

// The summary the window shows after an import:
// "已导入 N 个电台；跳过 M 个（无地址 a，地址无效 b，地址过长 c，重复 d）；名称被截断 k 个".
std::u16string importSummaryText(const ImportReport& report);

// True when the station is a TV station: "电台类型" or "视频类型" is "电视台".
bool isTelevisionStation(const StationValues& station);

// The entry a station is written out as: name, address, country, language, bit rate, homepage,
// group and TV mark, each as stored.
StationEntry entryFromStation(const StationValues& station);
