#include "interchange/PlaylistFormat.h"

#include "interchange/TextLines.h"
#include "packet/AsciiCase.h"
#include "platform/Unicode.h"

std::string_view playlistFormatName(PlaylistFormat format) {
    switch (format) {
        case PlaylistFormat::M3u:
            return "m3u";
        case PlaylistFormat::Pls:
            return "pls";
        case PlaylistFormat::Xspf:
            return "xspf";
        case PlaylistFormat::Csv:
            return "csv";
        case PlaylistFormat::Json:
            return "json";
    }
    return "m3u";
}

std::optional<PlaylistFormat> playlistFormatNamed(std::string_view name) {
    if (equalsIgnoringAsciiCase(name, "m3u8")) return PlaylistFormat::M3u;
    for (PlaylistFormat format : kPlaylistFormats) {
        if (equalsIgnoringAsciiCase(name, playlistFormatName(format))) return format;
    }
    return std::nullopt;
}

std::string_view playlistFileExtension(PlaylistFormat format) {
    switch (format) {
        case PlaylistFormat::M3u:
            return ".m3u8";
        case PlaylistFormat::Pls:
            return ".pls";
        case PlaylistFormat::Xspf:
            return ".xspf";
        case PlaylistFormat::Csv:
            return ".csv";
        case PlaylistFormat::Json:
            return ".json";
    }
    return ".m3u8";
}

std::optional<PlaylistFormat> playlistFormatFromFileName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view base =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos) return std::nullopt;
    return playlistFormatNamed(base.substr(dot + 1));
}

std::optional<PlaylistFormat> playlistFormatFromFileName(std::u16string_view fileName) {
    return playlistFormatFromFileName(utf16ToUtf8(fileName));
}

std::string_view playlistFileFilterPatterns() {
    return "*.m3u *.m3u8 *.pls *.xspf *.csv *.json";
}

std::optional<PlaylistFormat> playlistFormatFromContent(std::string_view text) {
    const std::string_view start = trimmedBytes(text.substr(0, 4096));
    if (startsWithIgnoringAsciiCase(start, "#EXTM3U")) return PlaylistFormat::M3u;
    if (startsWithIgnoringAsciiCase(start, "[playlist]")) return PlaylistFormat::Pls;
    if (start.starts_with('<')) return PlaylistFormat::Xspf;
    if (start.starts_with('[') || start.starts_with('{')) return PlaylistFormat::Json;
    return std::nullopt;
}

PlaylistFormat guessPlaylistFormat(std::string_view fileName, std::string_view text) {
    if (const auto shown = playlistFormatFromContent(text)) return *shown;
    if (const auto named = playlistFormatFromFileName(fileName)) return *named;
    TextLineReader lines(text);
    std::string_view line;
    while (lines.next(&line)) {
        line = trimmedBytes(line);
        if (line.empty() || line.starts_with('#')) continue;
        const bool lone = line.find_first_of(",; \t") == std::string_view::npos;
        return lone && line.find("://") != std::string_view::npos ? PlaylistFormat::M3u
                                                                  : PlaylistFormat::Csv;
    }
    return PlaylistFormat::M3u;
}
