#include "interchange/CsvReader.h"

#include <optional>

#include "interchange/StationColumns.h"
#include "interchange/TextLines.h"

namespace {

// The columns of a header-less record, in the CSV writer's order.
constexpr StationColumn kHeaderlessColumns[] = {
    StationColumn::Name,     StationColumn::Url,     StationColumn::Country,
    StationColumn::Language, StationColumn::BitRate, StationColumn::Homepage,
    StationColumn::Group,    StationColumn::Type,
};

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

char csvSeparator(std::string_view text) {
    std::size_t commas = 0, semicolons = 0;
    bool quoted = false, content = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && isLineBreak(c)) {
            if (content) break;  // the end of the first record that is not an empty line
            continue;
        } else if (!quoted && c == ',') {
            ++commas;
        } else if (!quoted && c == ';') {
            ++semicolons;
        }
        if (static_cast<unsigned char>(c) > 0x20) content = true;
    }
    return semicolons > commas ? ';' : ',';
}

bool CsvRecordReader::atLineEnd() const {
    return FPos >= FText.size() || isLineBreak(FText[FPos]);
}

void CsvRecordReader::skipLineEnd() {
    if (FPos >= FText.size()) return;
    if (FText[FPos] == '\r' && FPos + 1 < FText.size() && FText[FPos + 1] == '\n') ++FPos;
    ++FPos;
    ++FLine;
}

bool CsvRecordReader::readRecord(std::vector<std::string>* fields) {
    fields->clear();
    FRecordLine = FLine;
    for (;;) {
        std::string field;
        std::size_t lead = FPos;
        while (lead < FText.size() && (FText[lead] == ' ' || FText[lead] == '\t')) ++lead;
        if (lead < FText.size() && FText[lead] == '"') {
            const std::size_t openingLine = FLine;
            FPos = lead + 1;
            for (;;) {
                const std::size_t quote = FText.find('"', FPos);
                if (quote == std::string_view::npos) {
                    FRecordLine = openingLine;
                    FFailed = true;
                    return false;
                }
                for (std::size_t i = FPos; i < quote; ++i) {
                    if (FText[i] == '\n' ||
                        (FText[i] == '\r' && (i + 1 >= FText.size() || FText[i + 1] != '\n'))) {
                        ++FLine;
                    }
                }
                field.append(FText.substr(FPos, quote - FPos));
                FPos = quote + 1;
                if (FPos < FText.size() && FText[FPos] == '"') {
                    field.push_back('"');
                    ++FPos;
                    continue;
                }
                break;
            }
        }
        // An unquoted field, or what follows a closing quote, runs to a separator or line end.
        const std::size_t start = FPos;
        while (FPos < FText.size() && FText[FPos] != FSeparator && !isLineBreak(FText[FPos])) {
            ++FPos;
        }
        field.append(FText.substr(start, FPos - start));
        fields->push_back(std::move(field));
        if (atLineEnd()) {
            skipLineEnd();
            return true;
        }
        ++FPos;  // the separator
    }
}

bool CsvRecordReader::next(std::vector<std::string>* fields) {
    while (!FFailed && FPos < FText.size()) {
        if (!readRecord(fields)) return false;
        const bool emptyLine = fields->size() == 1 && trimmedBytes((*fields)[0]).empty();
        if (!emptyLine) return true;
    }
    return false;
}

PlaylistError readCsv(std::string_view text, PlaylistEntrySink& sink) {
    CsvRecordReader records(text, csvSeparator(text));
    std::vector<std::string> fields;
    std::vector<std::optional<StationColumn>> columns;
    bool headerless = false;
    std::size_t count = 0;
    EntryBuilder builder;

    while (records.next(&fields)) {
        if (columns.empty() && !headerless) {
            bool named = false, hasAddress = false;
            for (const std::string& cell : fields) {
                const auto column = stationColumnNamed(cell);
                columns.push_back(column);
                named = named || column.has_value();
                hasAddress = hasAddress || column == StationColumn::Url ||
                             column == StationColumn::UrlResolved;
            }
            if (named) {
                if (!hasAddress) {
                    return readError(PlaylistErrorKind::CsvNoAddressColumn, records.line());
                }
                continue;
            }
            columns.clear();
            headerless = true;
        }
        if (headerless) {
            if (fields.size() == 1) {
                builder.set(StationColumn::Url, utf8Text(fields[0]));
            } else {
                for (std::size_t i = 0; i < fields.size() && i < std::size(kHeaderlessColumns);
                     ++i) {
                    builder.set(kHeaderlessColumns[i], utf8Text(fields[i]));
                }
            }
        } else {
            for (std::size_t i = 0; i < fields.size() && i < columns.size(); ++i) {
                if (columns[i]) builder.set(*columns[i], utf8Text(fields[i]));
            }
        }
        if (++count > kMaxPlaylistEntries) return readError(PlaylistErrorKind::TooManyEntries);
        sink.take(builder.take());
    }
    if (records.failed()) {
        return readError(PlaylistErrorKind::CsvUnterminatedQuote, records.line());
    }
    return {};
}

PlaylistReadResult readCsv(std::string_view text) {
    return collectEntries([text](PlaylistEntrySink& sink) { return readCsv(text, sink); });
}
