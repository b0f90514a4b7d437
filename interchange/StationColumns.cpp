#include "interchange/StationColumns.h"

#include <utility>

#include "interchange/TextLines.h"
#include "packet/AsciiCase.h"
#include "stations/StationInput.h"

namespace {

struct ColumnName {
    std::string_view name;
    StationColumn column;
};

constexpr ColumnName kColumnNames[] = {
    {"name", StationColumn::Name},
    {"url", StationColumn::Url},
    {"url_resolved", StationColumn::UrlResolved},
    {"country", StationColumn::Country},
    {"countrycode", StationColumn::CountryCode},
    {"language", StationColumn::Language},
    {"bitrate", StationColumn::BitRate},
    {"codec", StationColumn::Codec},
    {"homepage", StationColumn::Homepage},
    {"group", StationColumn::Group},
    {"tags", StationColumn::Tags},
    {"type", StationColumn::Type},
    // The station table's field names, as a file exported from a table by another tool has them.
    {"电台名称", StationColumn::Name},
    {"电台地址", StationColumn::Url},
    {"电台国家", StationColumn::Country},
    {"语言类型", StationColumn::Language},
    {"编码率", StationColumn::BitRate},
    {"电台网址", StationColumn::Homepage},
    {"电台分组", StationColumn::Group},
    {"电台类型", StationColumn::Type},
    {"视频类型", StationColumn::VideoType},
};

}  // namespace

std::optional<StationColumn> stationColumnNamed(std::string_view utf8Name) {
    const std::string_view name = trimmedBytes(utf8Name);
    for (const ColumnName& known : kColumnNames) {
        if (equalsIgnoringAsciiCase(name, known.name)) return known.column;
    }
    return std::nullopt;
}

bool isTelevisionTypeText(std::u16string_view text) {
    const std::u16string trimmed = trimmedText(text);
    std::string ascii;
    for (char16_t c : trimmed) {
        if (c >= 0x80) return trimmed == u"电视" || trimmed == kTvStationCaption;
        ascii.push_back(static_cast<char>(c));
    }
    return equalsIgnoringAsciiCase(ascii, "tv") || equalsIgnoringAsciiCase(ascii, "television") ||
           equalsIgnoringAsciiCase(ascii, "video");
}

void EntryBuilder::set(StationColumn column, std::u16string value) {
    switch (column) {
        case StationColumn::Name:
            FEntry.name = std::move(value);
            break;
        case StationColumn::Url:
            FEntry.address = std::move(value);
            break;
        case StationColumn::UrlResolved:
            FUrlResolved = std::move(value);
            break;
        case StationColumn::Country:
            FEntry.country = std::move(value);
            break;
        case StationColumn::CountryCode:
            FEntry.countryCode = std::move(value);
            break;
        case StationColumn::Language:
            FEntry.language = std::move(value);
            break;
        case StationColumn::BitRate:
            FEntry.bitRate = std::move(value);
            break;
        case StationColumn::Codec:
            FEntry.codec = std::move(value);
            break;
        case StationColumn::Homepage:
            FEntry.homepage = std::move(value);
            break;
        case StationColumn::Group:
            FEntry.group = std::move(value);
            break;
        case StationColumn::Tags:
            FEntry.tags = std::move(value);
            break;
        case StationColumn::Type:
        case StationColumn::VideoType:
            if (isTelevisionTypeText(value)) FEntry.television = true;
            break;
    }
}

StationEntry EntryBuilder::take() {
    if (!trimmedText(FUrlResolved).empty()) FEntry.address = std::move(FUrlResolved);
    StationEntry entry = std::move(FEntry);
    FEntry = StationEntry{};
    FUrlResolved.clear();
    return entry;
}
