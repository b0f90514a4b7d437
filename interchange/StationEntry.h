#pragma once
// One station as a playlist or station list describes it, before the rules that make it a
// station of the table (EntryToStation.h). Readers fill what their format carries and leave the
// rest empty; texts are as read, not yet trimmed.

#include <string>

struct StationEntry {
    std::u16string name;
    std::u16string address;
    std::u16string country;      // a country's name
    std::u16string countryCode;  // a country's code, used when the name does not fit its field
    std::u16string language;
    std::u16string bitRate;  // as the list gives it; a JSON number arrives already as "128k"
    std::u16string codec;    // read from directory lists; the station table has no field for it
    std::u16string homepage;
    std::u16string group;
    std::u16string tags;      // comma-separated; the first one is the group when no group is given
    bool television = false;  // the list marks the entry as a TV station
};
