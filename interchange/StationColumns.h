#pragma once
// The columns a CSV header or the keys of a JSON station object may name: the English names
// station directories use (name, url, url_resolved, country, countrycode, language, bitrate,
// codec, homepage, group, tags, type) and the station table's own field names ("电台名称",
// "电台地址", ...). EntryBuilder fills a StationEntry from such named values.

#include <optional>
#include <string>
#include <string_view>

#include "interchange/StationEntry.h"

enum class StationColumn {
    Name,
    Url,
    UrlResolved,
    Country,
    CountryCode,
    Language,
    BitRate,
    Codec,
    Homepage,
    Group,
    Tags,
    Type,       // "tv" (or television, video, 电视, 电视台) marks a TV station
    VideoType,  // the table's "视频类型": "电视台" marks a TV station
};

// The column a name stands for, ignoring blanks around it and ASCII letter case; none for a
// name the station list does not use.
std::optional<StationColumn> stationColumnNamed(std::string_view utf8Name);

// True for a type text that marks a TV station: tv, television, video (any letter case), 电视,
// 电视台.
bool isTelevisionTypeText(std::u16string_view text);

// Collects the values of one entry in any order: url_resolved wins over url when it is not
// empty, and a type column that marks TV makes the entry a TV station.
class EntryBuilder {
  public:
    void set(StationColumn column, std::u16string value);
    // The entry collected so far; the builder starts afresh.
    StationEntry take();

  private:
    StationEntry FEntry;
    std::u16string FUrlResolved;
};
