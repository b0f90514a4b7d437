#pragma once
// Writes station lists, UTF-8 text with CRLF line ends for CSV and LF for the others:
//
//   M3U8  #EXTM3U, then per station "#EXTINF:-1 <attributes>,<name>" and the address. The
//         attributes carry what M3U lists commonly carry and only when present: tvg-country,
//         tvg-language, group-title, and tvg-type="tv" for a TV station (radio="true" for a
//         radio station whose group would read as TV). An address that begins with "#" (its
//         stream marker further on) is written as it is but reads back as a comment.
//   PLS   version 2: [playlist], FileN, TitleN, LengthN=-1, NumberOfEntries, Version=2.
//   XSPF  <playlist version="1" xmlns="http://xspf.org/ns/0/"> with a track per station:
//         location, title, and info for the homepage.
//   CSV   a byte-order mark (so spreadsheet programs take the text as UTF-8), the header
//         name,url,country,language,bitrate,homepage,group,type and a record per station;
//         type is "tv" or "radio".
//   JSON  an array of objects with the keys name, url, country, language, bitrate, homepage,
//         group, type, every value a text.
//
// What each format carries comes back when the file is read again (carriedColumns). Line
// breaks inside a value cannot stand in the line-based formats (M3U, PLS) and become blanks.

#include <span>
#include <string>
#include <vector>

#include "interchange/PlaylistFormat.h"
#include "interchange/StationColumns.h"
#include "interchange/StationEntry.h"

std::string writeM3u(std::span<const StationEntry> entries);
std::string writePls(std::span<const StationEntry> entries);
std::string writeXspf(std::span<const StationEntry> entries);
std::string writeCsv(std::span<const StationEntry> entries);
std::string writeJsonStations(std::span<const StationEntry> entries);

std::string writePlaylist(PlaylistFormat format, std::span<const StationEntry> entries);

// The values a format keeps of an entry: Name and Url always; Country, Language, Group and Type
// (the TV mark) for M3U; Homepage for XSPF; all of name, url, country, language, bitrate,
// homepage, group and type for CSV and JSON.
std::vector<StationColumn> carriedColumns(PlaylistFormat format);
