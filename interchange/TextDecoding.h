#pragma once
// The text of a station list: a byte-order mark decides its encoding first (UTF-8, UTF-16 little
// or big endian); without one, bytes that are well-formed UTF-8 are read as UTF-8 and anything
// else as code page 936. The readers work on the result, which is always well-formed UTF-8.

#include <string>
#include <string_view>

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LittleEndian, Utf16BigEndian, CodePage936 };

struct DecodedText {
    std::string utf8;  // the text without its byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
};

DecodedText decodePlaylistText(std::string_view bytes);

// True when the bytes begin with a byte-order mark of UTF-8 or UTF-16.
bool hasByteOrderMark(std::string_view bytes);

// True when the bytes are their own text: no byte-order mark and well-formed UTF-8, so that a
// reader can take them as they are instead of a decoded copy.
bool isPlainUtf8Text(std::string_view bytes);

// Well-formed UTF-8: checked a word at a time through the ASCII that makes up most of a list.
bool isWellFormedUtf8Text(std::string_view bytes);

// A name for the encoding in reports: "UTF-8", "UTF-8 with BOM", "UTF-16LE", "UTF-16BE", "GBK"
// (code page 936).
std::string_view textEncodingName(TextEncoding encoding);
