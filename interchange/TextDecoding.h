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

// A name for the encoding in reports: "UTF-8", "UTF-8 with BOM", "UTF-16LE", "UTF-16BE", "GBK"
// (code page 936).
std::string_view textEncodingName(TextEncoding encoding);
