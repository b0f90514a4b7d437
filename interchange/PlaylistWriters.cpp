#include "interchange/PlaylistWriters.h"

#include <nlohmann/json.hpp>

#include "interchange/M3uReader.h"
#include "platform/Unicode.h"

namespace {

std::string utf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

// A value for a line-based format: line breaks (and other control characters) become blanks.
std::string oneLine(const std::u16string& text) {
    std::string out = utf8(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return out;
}

// An M3U attribute: in double quotes, or in single quotes when the value holds a double quote;
// a value holding both has its double quotes turned into single ones.
std::string m3uAttribute(const char* name, const std::u16string& value) {
    std::string text = oneLine(value);
    char quote = '"';
    if (text.find('"') != std::string::npos) {
        if (text.find('\'') == std::string::npos) {
            quote = '\'';
        } else {
            for (char& c : text) {
                if (c == '"') c = '\'';
            }
        }
    }
    return std::string(" ") + name + "=" + quote + text + quote;
}

// Text for XML content: the markup characters as references; control characters XML 1.0 cannot
// hold at all are left out.
std::string xmlText(const std::u16string& value) {
    std::string out;
    for (char c : utf8(value)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                    out.push_back(c);
        }
    }
    return out;
}

// A CSV field, quoted when it holds a separator, a quote, a line break or blanks at an end.
std::string csvField(const std::string& value) {
    const bool quote = value.find_first_of(",;\"\r\n") != std::string::npos ||
                       (!value.empty() && (static_cast<unsigned char>(value.front()) <= 0x20 ||
                                           static_cast<unsigned char>(value.back()) <= 0x20));
    if (!quote) return value;
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

const char* typeText(const StationEntry& entry) {
    return entry.television ? "tv" : "radio";
}

}  // namespace

std::string writeM3u(std::span<const StationEntry> entries) {
    std::string out = "#EXTM3U\n";
    for (const StationEntry& e : entries) {
        out += "#EXTINF:-1";
        if (!e.country.empty()) out += m3uAttribute("tvg-country", e.country);
        if (!e.language.empty()) out += m3uAttribute("tvg-language", e.language);
        if (!e.group.empty()) out += m3uAttribute("group-title", e.group);
        if (e.television) {
            out += " tvg-type=\"tv\"";
        } else if (isTelevisionGroup(e.group)) {
            out += " radio=\"true\"";  // or the group would make it TV when read again
        }
        out += ',' + oneLine(e.name) + '\n' + oneLine(e.address) + '\n';
    }
    return out;
}

std::string writePls(std::span<const StationEntry> entries) {
    std::string out = "[playlist]\n";
    std::size_t number = 0;
    for (const StationEntry& e : entries) {
        const std::string n = std::to_string(++number);
        out += "File" + n + '=' + oneLine(e.address) + '\n';
        out += "Title" + n + '=' + oneLine(e.name) + '\n';
        out += "Length" + n + "=-1\n";
    }
    out += "NumberOfEntries=" + std::to_string(entries.size()) + "\nVersion=2\n";
    return out;
}

std::string writeXspf(std::span<const StationEntry> entries) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
        "  <trackList>\n";
    for (const StationEntry& e : entries) {
        out += "    <track>\n";
        out += "      <location>" + xmlText(e.address) + "</location>\n";
        out += "      <title>" + xmlText(e.name) + "</title>\n";
        if (!e.homepage.empty()) out += "      <info>" + xmlText(e.homepage) + "</info>\n";
        out += "    </track>\n";
    }
    out += "  </trackList>\n</playlist>\n";
    return out;
}

std::string writeCsv(std::span<const StationEntry> entries) {
    std::string out = "\xEF\xBB\xBFname,url,country,language,bitrate,homepage,group,type\r\n";
    for (const StationEntry& e : entries) {
        for (const std::u16string* value :
             {&e.name, &e.address, &e.country, &e.language, &e.bitRate, &e.homepage, &e.group}) {
            out += csvField(utf8(*value));
            out.push_back(',');
        }
        out += typeText(e);
        out += "\r\n";
    }
    return out;
}

std::string writeJsonStations(std::span<const StationEntry> entries) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const StationEntry& e : entries) {
        list.push_back({{"name", utf8(e.name)},
                        {"url", utf8(e.address)},
                        {"country", utf8(e.country)},
                        {"language", utf8(e.language)},
                        {"bitrate", utf8(e.bitRate)},
                        {"homepage", utf8(e.homepage)},
                        {"group", utf8(e.group)},
                        {"type", typeText(e)}});
    }
    // utf16ToUtf8 yields well-formed UTF-8, so the dump has nothing to replace.
    return list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

std::string writePlaylist(PlaylistFormat format, std::span<const StationEntry> entries) {
    switch (format) {
        case PlaylistFormat::M3u:
            return writeM3u(entries);
        case PlaylistFormat::Pls:
            return writePls(entries);
        case PlaylistFormat::Xspf:
            return writeXspf(entries);
        case PlaylistFormat::Csv:
            return writeCsv(entries);
        case PlaylistFormat::Json:
            return writeJsonStations(entries);
    }
    return {};
}

std::vector<StationColumn> carriedColumns(PlaylistFormat format) {
    using C = StationColumn;
    switch (format) {
        case PlaylistFormat::M3u:
            return {C::Name, C::Url, C::Country, C::Language, C::Group, C::Type};
        case PlaylistFormat::Pls:
            return {C::Name, C::Url};
        case PlaylistFormat::Xspf:
            return {C::Name, C::Url, C::Homepage};
        case PlaylistFormat::Csv:
        case PlaylistFormat::Json:
            return {C::Name,    C::Url,      C::Country, C::Language,
                    C::BitRate, C::Homepage, C::Group,   C::Type};
    }
    return {};
}
