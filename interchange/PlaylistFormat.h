#pragma once
// The station-list formats the interchange library reads and writes, their names and file
// extensions, and the guess of a file's format from its name and content.

#include <optional>
#include <string_view>

enum class PlaylistFormat { M3u, Pls, Xspf, Csv, Json };

inline constexpr PlaylistFormat kPlaylistFormats[] = {PlaylistFormat::M3u, PlaylistFormat::Pls,
                                                      PlaylistFormat::Xspf, PlaylistFormat::Csv,
                                                      PlaylistFormat::Json};

// The command-line name of a format: "m3u", "pls", "xspf", "csv", "json".
std::string_view playlistFormatName(PlaylistFormat format);
// A format by its command-line name, ignoring ASCII letter case; "m3u8" names M3U as well.
std::optional<PlaylistFormat> playlistFormatNamed(std::string_view name);

// The extension an exported file of the format gets, with its dot (".m3u8" for M3U).
std::string_view playlistFileExtension(PlaylistFormat format);

// The format a file name's extension stands for (.m3u, .m3u8, .pls, .xspf, .csv, .json, any
// letter case); none for another or no extension. The name is UTF-8 or ASCII.
std::optional<PlaylistFormat> playlistFormatFromFileName(std::string_view fileName);
std::optional<PlaylistFormat> playlistFormatFromFileName(std::u16string_view fileName);

// A file dialog filter for the readable formats, e.g. for the window's import dialog.
std::string_view playlistFileFilterPatterns();  // "*.m3u *.m3u8 *.pls *.xspf *.csv *.json"

// The format a file's decoded text shows at its start, when it shows one unmistakably:
// "#EXTM3U" for M3U, a "[playlist]" section for PLS, an XML document whose root is
// "playlist" for XSPF, "[" or "{" for JSON. None when the text could be several formats.
std::optional<PlaylistFormat> playlistFormatFromContent(std::string_view utf8Text);

// The format to read a file as: what its content shows unmistakably, else what its name says,
// else M3U when the first line that is neither blank nor a comment holds a "://" address alone
// and CSV otherwise.
PlaylistFormat guessPlaylistFormat(std::string_view fileName, std::string_view utf8Text);
