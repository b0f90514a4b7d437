#pragma once
// Fixtures and readable failure output for the interchange tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "interchange/StationEntry.h"
#include "platform/Unicode.h"

inline std::string fixturePath(const std::string& name) {
    return std::string(ROVENA_FIXTURES_DIR) + "/interchange/" + name;
}

inline std::vector<std::uint8_t> fixtureBytes(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

inline std::string fixtureText(const std::string& name) {
    const std::vector<std::uint8_t> bytes = fixtureBytes(name);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string u8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

// The values of an entry that the tests compare, in UTF-8 for readable failures.
struct EntryView {
    std::string name, address, country, countryCode, language, bitRate, homepage, group, tags;
    bool television = false;

    bool operator==(const EntryView&) const = default;
};

inline EntryView view(const StationEntry& e) {
    return {u8(e.name),    u8(e.address),  u8(e.country), u8(e.countryCode), u8(e.language),
            u8(e.bitRate), u8(e.homepage), u8(e.group),   u8(e.tags),        e.television};
}

inline std::vector<EntryView> views(const std::vector<StationEntry>& entries) {
    std::vector<EntryView> out;
    for (const StationEntry& e : entries) out.push_back(view(e));
    return out;
}

inline std::ostream& operator<<(std::ostream& out, const EntryView& e) {
    return out << "{name \"" << e.name << "\", address \"" << e.address << "\", country \""
               << e.country << "\", code \"" << e.countryCode << "\", language \"" << e.language
               << "\", bit rate \"" << e.bitRate << "\", homepage \"" << e.homepage
               << "\", group \"" << e.group << "\", tags \"" << e.tags << "\", "
               << (e.television ? "tv" : "radio") << "}";
}
