#pragma once
// Reads station lists in CSV (UTF-8 text as decodePlaylistText gives it), RFC 4180 style:
// fields separated by commas or by semicolons (whichever the first record holds more of outside
// quotes), records ending with CRLF, LF or a lone CR, a field in double quotes may hold
// separators, line breaks and doubled quotes. Blanks before an opening quote are passed over;
// characters after a closing quote are kept. Empty lines are skipped.
//
// The first record is a header when one of its cells names a station column (StationColumns.h:
// name, url, country, ... or the station table's field names); a header without an address
// column (url or url_resolved) is refused. Without a header, a record of one field is an
// address and longer records hold name, url, country, language, bitrate, homepage, group and
// type in that order, the order the CSV writer uses.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/PlaylistReadResult.h"

PlaylistError readCsv(std::string_view utf8Text, PlaylistEntrySink& sink);
PlaylistReadResult readCsv(std::string_view utf8Text);

// The separator of a CSV text: ';' when its first record holds more semicolons than commas
// outside quotes, else ','.
char csvSeparator(std::string_view utf8Text);

// Splits CSV text into records of fields.
class CsvRecordReader {
  public:
    CsvRecordReader(std::string_view text, char separator) : FText(text), FSeparator(separator) {}

    // The next record that is not an empty line; false at the end or on a fault (failed()).
    bool next(std::vector<std::string>* fields);
    bool failed() const { return FFailed; }
    // The 1-based line where the record last handed out (or the faulty quoted field) starts.
    std::size_t line() const { return FRecordLine; }

  private:
    bool readRecord(std::vector<std::string>* fields);
    bool atLineEnd() const;
    void skipLineEnd();

    std::string_view FText;
    char FSeparator;
    std::size_t FPos = 0;
    std::size_t FLine = 1;
    std::size_t FRecordLine = 0;
    bool FFailed = false;
};
