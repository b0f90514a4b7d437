#pragma once
// The process's ANSI code page: Windows code page 936 (simplified Chinese, double-byte).
//
// Narrow text in records is held in this code page. A byte 0x81-0xFE followed by a trail byte
// 0x40-0x7E or 0x80-0xFE forms one double-byte character; every other byte is one character
// (0x80 is the euro sign). Conversions go through tables made once from iconv (the code page
// maps character by character), or through iconv itself when the tables cannot be made; the
// functions may be called from any thread.

#include <cstddef>
#include <string>
#include <string_view>

// The code page number of narrow text: 936.
unsigned defaultAnsiCodePage();

// UTF-16 to code page 936. A character the code page lacks (and an unpaired surrogate) becomes
// one "?"; the characters around it convert normally. A NUL code unit becomes a NUL byte.
std::string unicodeToAnsi(std::u16string_view text);
// The same into `out`, its storage reused.
void unicodeToAnsi(std::u16string_view text, std::string& out);

// Code page 936 to UTF-16. A malformed or unassigned byte sequence becomes U+FFFD: a lead byte
// followed by a byte that cannot trail (or by nothing) is one U+FFFD and the following byte is
// read afresh; a well-formed pair that the code page leaves unassigned (the user-defined areas
// among them) is one U+FFFD; a single byte without a character (0xFF) is one U+FFFD.
std::u16string ansiToUnicode(std::string_view bytes);

// True for a byte that starts a double-byte character when a trail byte follows (0x81-0xFE).
bool isAnsiLeadByte(unsigned char byte);
// True for a byte that may follow a lead byte (0x40-0x7E, 0x80-0xFE).
bool isAnsiTrailByte(unsigned char byte);

// The length (1 or 2) of the character that starts at `pos`, which must be a character start;
// 0 when `pos` is at or past the end.
std::size_t ansiCharLength(std::string_view bytes, std::size_t pos);

// The longest prefix length, at most `maxBytes`, that ends between two characters: a double-byte
// character straddling the limit is left out whole rather than split. Scans from the start,
// because a trail byte can look like a lead byte.
std::size_t ansiCutLength(std::string_view bytes, std::size_t maxBytes);
