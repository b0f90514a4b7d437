#include "interchange/StationFileOpening.h"

#include <cstdio>
#include <memory>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldDefs.h"
#include "dataset/Streams.h"
#include "interchange/PlaylistFormat.h"
#include "interchange/StationTable.h"
#include "packet/AsciiCase.h"
#include "packet/PacketHeader.h"
#include "platform/FileOps.h"
#include "platform/Unicode.h"

namespace {

constexpr std::size_t kHeadBytes = 4096;

bool endsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (asciiLower(text[i]) != suffix[i]) return false;
    }
    return true;
}

bool isBinaryPacket(std::span<const std::uint8_t> head) {
    if (head.size() < 4) return false;
    const std::uint32_t magic =
        static_cast<std::uint32_t>(head[0]) | static_cast<std::uint32_t>(head[1]) << 8 |
        static_cast<std::uint32_t>(head[2]) << 16 | static_cast<std::uint32_t>(head[3]) << 24;
    return magic == kPacketMagic || magic == kPacketMagicAlt;
}

// True when the text's root element is DATAPACKET: a byte-order mark, blanks, the XML
// declaration, processing instructions, comments and a document type declaration may come
// before it.
bool isXmlPacket(std::span<const std::uint8_t> head) {
    std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    for (;;) {
        const std::size_t start = text.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos) return false;
        text.remove_prefix(start);
        if (!text.starts_with('<')) return false;
        std::string_view end;
        if (text.starts_with("<?")) {
            end = "?>";
        } else if (text.starts_with("<!--")) {
            end = "-->";
        } else if (text.starts_with("<!")) {
            end = ">";
        } else {
            text.remove_prefix(1);
            constexpr std::string_view kRoot = "DATAPACKET";
            return text.starts_with(kRoot) &&
                   (text.size() == kRoot.size() ||
                    std::string_view(" \t\r\n>/").find(text[kRoot.size()]) !=
                        std::string_view::npos);
        }
        const std::size_t close = text.find(end, 2);
        if (close == std::string_view::npos) return false;
        text.remove_prefix(close + end.size());
    }
}

std::u16string quoted(std::u16string_view text) {
    return u"“" + std::u16string(text) + u"”";
}

// Why an open table is not a station table; empty when it is one.
std::u16string stationTableFault(TClientDataSet& table) {
    bool hasAddress = false;
    for (int i = 0; i < table.Fields().Count(); ++i) {
        const TField& field = *table.Fields()[i];
        const int index = stationFieldIndex(field.FieldName());
        if (index < 0) return u"不是电台列表：含有电台表没有的字段" + quoted(field.FieldName());
        const StationField& station = stationSchema()[static_cast<std::size_t>(index)];
        if (field.DataType() != station.type)
            return u"不是电台列表：字段" + quoted(field.FieldName()) + u"的类型不同";
        if (station.name == StationFieldName::Address) hasAddress = true;
    }
    if (!hasAddress) return u"不是电台列表：缺少字段" + quoted(StationFieldName::Address);
    return {};
}

}  // namespace

OpenedFileKind openedFileKind(std::u16string_view path, std::span<const std::uint8_t> head) {
    if (endsWithIgnoringAsciiCase(path, u".cds") || isBinaryPacket(head) || isXmlPacket(head))
        return OpenedFileKind::StationFile;
    if (playlistFormatFromFileName(path).has_value()) return OpenedFileKind::Playlist;
    return OpenedFileKind::Unknown;
}

OpenedFileKind openedFileKind(std::u16string_view path) {
    std::vector<std::uint8_t> head(kHeadBytes);
    std::size_t read = 0;
    const std::string name = utf16ToUtf8(path);
    // Only regular files are looked into (a pipe or a device need never deliver an end).
    if (fileExists(path)) {
        if (std::FILE* file = std::fopen(name.c_str(), "rb")) {
            read = std::fread(head.data(), 1, head.size(), file);
            std::fclose(file);
        }
    }
    head.resize(read);
    return openedFileKind(path, head);
}

StationFileReading readStationTableFile(std::u16string_view path) {
    StationFileReading reading;
    std::vector<std::uint8_t> bytes;
    if (const FileResult read = readWholeFile(path, bytes); !read) {
        reading.failure = u"无法读取文件：" + read.message();
        return reading;
    }
    TClientDataSet table(u"StationFile");
    try {
        TMemoryStream stream(std::move(bytes));
        table.LoadFromStream(stream);
    } catch (const Exception& error) {
        reading.failure = u"文件已损坏或不是数据包（" + error.Message() + u"）";
        return reading;
    } catch (const std::exception&) {
        reading.failure = u"文件已损坏或不是数据包";
        return reading;
    }
    if (std::u16string fault = stationTableFault(table); !fault.empty()) {
        reading.failure = std::move(fault);
        return reading;
    }
    reading.stations = readStations(table);
    return reading;
}

void replaceStations(TClientDataSet& table, std::span<const StationValues> stations) {
    table.Close();
    table.FieldDefs().Clear();
    defineStationFields(table.FieldDefs());
    table.CreateDataSet();
    appendStations(table, stations);
}
