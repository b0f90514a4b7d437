#pragma once
// Small text helpers shared by the line-based readers: splitting into lines (CRLF, LF or a lone
// CR), trimming, and UTF-8 to UTF-16 (ASCII case is packet/AsciiCase.h).

#include <cstddef>
#include <string>
#include <string_view>

// Hands out the lines of a text one by one, without their line breaks.
class TextLineReader {
  public:
    explicit TextLineReader(std::string_view text) : FText(text) {}

    // The next line; false at the end of the text. A break at the very end starts no line.
    bool next(std::string_view* line);
    // The 1-based number of the line last handed out.
    std::size_t lineNumber() const { return FLineNumber; }

  private:
    std::string_view FText;
    std::size_t FPos = 0;
    std::size_t FLineNumber = 0;
};

// Without leading and trailing blanks and control characters (bytes up to 0x20).
std::string_view trimmedBytes(std::string_view text);

// Well-formed UTF-8 (as the decoded text always is) to UTF-16.
std::u16string utf8Text(std::string_view text);
// The same into `out`, its storage reused.
void assignUtf8Text(std::u16string& out, std::string_view text);

// The 1-based line of a byte offset in a text.
std::size_t lineOfOffset(std::string_view text, std::size_t offset);
