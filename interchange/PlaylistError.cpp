#include "interchange/PlaylistError.h"

#include <string_view>

namespace {

std::string lineText(const PlaylistError& error, bool chinese) {
    if (error.line == 0) return {};
    const std::string number = std::to_string(error.line);
    return chinese ? "（第 " + number + " 行）" : " at line " + number;
}

std::string withDetail(std::string text, const PlaylistError& error) {
    if (!error.detail.empty()) text += ": " + error.detail;
    return text;
}

}  // namespace

std::string playlistErrorText(const PlaylistError& error, ErrorTextLanguage language) {
    const bool chinese = language == ErrorTextLanguage::Chinese;
    const std::string at = lineText(error, chinese);
    switch (error.kind) {
        case PlaylistErrorKind::None:
            return {};
        case PlaylistErrorKind::TooLarge:
            return chinese ? "文件大于 " + std::to_string(kMaxPlaylistBytes >> 20) + " MB"
                           : "the file is larger than " + std::to_string(kMaxPlaylistBytes >> 20) +
                                 " MB";
        case PlaylistErrorKind::TooManyEntries:
            return chinese ? "列表中的条目超过 " + std::to_string(kMaxPlaylistEntries) + " 个"
                           : "the list holds more than " + std::to_string(kMaxPlaylistEntries) +
                                 " entries";
        case PlaylistErrorKind::TooDeep:
            return chinese ? "嵌套层次过深" + at : "nested too deep" + at;
        case PlaylistErrorKind::XmlMalformed:
            return chinese ? "XML 格式错误" + at : withDetail("malformed XML" + at, error);
        case PlaylistErrorKind::NotXspf:
            return chinese ? "不是 XSPF 播放列表"
                           : withDetail(
                                 "not an XSPF playlist (the root element is not "
                                 "<playlist>)",
                                 error);
        case PlaylistErrorKind::JsonMalformed:
            return chinese ? "JSON 格式错误" + at : withDetail("malformed JSON" + at, error);
        case PlaylistErrorKind::JsonNoStations:
            return chinese ? "JSON 中没有电台列表" : "the JSON holds no array of station objects";
        case PlaylistErrorKind::CsvUnterminatedQuote:
            return chinese ? "CSV 中的引号没有闭合" + at
                           : "a quoted CSV field" + at + " is never closed";
        case PlaylistErrorKind::CsvNoAddressColumn:
            return chinese ? "CSV 标题行中没有地址列（url）"
                           : "the CSV header row names no address column (url)";
    }
    return {};
}
