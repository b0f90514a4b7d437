#include "packet/xml/XmlText.h"

#include <algorithm>
#include <charconv>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

void appendEscapedAscii(std::string& out, unsigned char c) {
    switch (c) {
        case '\t':
            out += "&#009;";
            return;
        case '\n':
            out += "&#010;";
            return;
        case '\r':
            out += "&#013;";
            return;
        case '"':
            out += "&quot;";
            return;
        case '&':
            out += "&amp;";
            return;
        case '\'':
            out += "&apos;";
            return;
        case '<':
            out += "&lt;";
            return;
        case '>':
            out += "&gt;";
            return;
        case '\\':
            out += "&#092;";
            return;
        default:
            break;
    }
    if (c < 0x20) {
        const char digits[] = {
            '&', '#', '0', static_cast<char>('0' + c / 10), static_cast<char>('0' + c % 10), ';'};
        out.append(digits, sizeof digits);
        return;
    }
    out.push_back(static_cast<char>(c));
}

// Code points of UTF-16 code units; an unpaired surrogate gives U+FFFD.
template <typename Visit>
void forEachCodePoint(std::u16string_view units, Visit visit) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (isSurrogate(c)) {
            c = kReplacement;
        }
        visit(c);
    }
}

std::u16string utf16FromLE(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return units;
}

std::u16string utf16OfCodePoint(char32_t c) {
    std::u16string s;
    if (c < 0x10000) {
        s.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        s.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        s.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
    return s;
}

// Appends Unicode text: ASCII escaped, the rest in the document's encoding or as references.
void appendUnicode(std::string& out, std::u16string_view units, const XmlTextSettings& s) {
    if (s.utf8Document) {
        forEachCodePoint(units, [&](char32_t c) {
            if (c < 0x80) {
                appendEscapedAscii(out, static_cast<unsigned char>(c));
            } else {
                appendUtf8CodePoint(out, c);
            }
        });
        return;
    }
    std::size_t i = 0;
    while (i < units.size()) {
        if (units[i] < 0x80) {
            appendEscapedAscii(out, static_cast<unsigned char>(units[i]));
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < units.size() && units[end] >= 0x80) ++end;
        const std::u16string_view run = units.substr(i, end - i);
        i = end;
        if (s.codePageConverter) {
            // The whole run converts at once unless the code page lacks a character of it.
            const std::string converted = unicodeToAnsi(run);
            if (converted.find('?') == std::string::npos) {
                out += converted;
                continue;
            }
        }
        forEachCodePoint(run, [&](char32_t c) {
            if (s.codePageConverter && c != kReplacement) {
                const std::string one = unicodeToAnsi(utf16OfCodePoint(c));
                if (one != "?") {
                    out += one;
                    return;
                }
            }
            appendCharReference(out, c);
        });
    }
}

// Code-page bytes into a code-page document: double-byte characters are copied whole.
void appendCodePageBytes(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isAnsiLeadByte(b) && i + 1 < bytes.size() &&
            isAnsiTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            out.append(bytes.substr(i, 2));
            ++i;
        } else if (b < 0x80) {
            appendEscapedAscii(out, b);
        } else {
            out.push_back(static_cast<char>(b));
        }
    }
}

void appendInForm(std::string& out, std::u16string_view units, XmlTextForm to) {
    switch (to) {
        case XmlTextForm::CodePage:
            out += unicodeToAnsi(units);
            break;
        case XmlTextForm::Utf8:
            out += utf16ToUtf8(units);
            break;
        case XmlTextForm::Utf16LE:
            for (char16_t u : units) {
                out.push_back(static_cast<char>(u & 0xFF));
                out.push_back(static_cast<char>(u >> 8));
            }
            break;
    }
}

// A run of literal document bytes converted into the form `to`.
void appendLiteral(std::string& out, std::string_view run, bool utf8Document, XmlTextForm to) {
    if (run.empty()) return;
    if (!utf8Document && to == XmlTextForm::CodePage) {
        out += run;  // the table's own bytes, half characters included
        return;
    }
    const std::u16string units = utf8Document ? utf8ToUtf16(run) : ansiToUnicode(run);
    appendInForm(out, units, to);
}

// Parses a reference at the start of `text` (which begins with "&"); answers its length, 0 when
// it is none.
std::size_t parseReference(std::string_view text, char32_t* codePoint) {
    const std::size_t semi = text.find(';', 1);
    if (semi == std::string_view::npos || semi > 12) return 0;
    const std::string_view body = text.substr(1, semi - 1);
    struct Named {
        std::string_view name;
        char32_t c;
    };
    static constexpr Named kNamed[] = {
        {"amp", '&'}, {"apos", '\''}, {"gt", '>'}, {"lt", '<'}, {"quot", '"'}};
    for (const auto& n : kNamed) {
        if (body == n.name) {
            *codePoint = n.c;
            return semi + 1;
        }
    }
    if (body.size() < 2 || body[0] != '#') return 0;
    int base = 10;
    std::string_view digits = body.substr(1);
    if (digits[0] == 'x' || digits[0] == 'X') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) return 0;
    std::uint32_t value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec == std::errc::result_out_of_range) {
        value = 0xFFFFFFFF;
    } else if (ec != std::errc{} || end != digits.data() + digits.size()) {
        return 0;
    }
    *codePoint = (value > 0x10FFFF || isSurrogate(value)) ? kReplacement : value;
    return semi + 1;
}

}  // namespace

void appendCharReference(std::string& out, char32_t codePoint) {
    char digits[16];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(codePoint));
    out += "&#";
    out.append(digits, end);
    out.push_back(';');
}

void appendUtf8CodePoint(std::string& out, char32_t cp) {
    appendUtf8(out, cp);
}

void appendXmlText(std::string& out, std::string_view text, XmlTextForm from,
                   const XmlTextSettings& settings) {
    switch (from) {
        case XmlTextForm::Utf16LE: {
            // Wide text: every character above U+007F is a reference, in either document.
            forEachCodePoint(utf16FromLE(text), [&](char32_t c) {
                if (c < 0x80) {
                    appendEscapedAscii(out, static_cast<unsigned char>(c));
                } else {
                    appendCharReference(out, c);
                }
            });
            return;
        }
        case XmlTextForm::CodePage:
            if (!settings.utf8Document) {
                appendCodePageBytes(out, text);
            } else {
                appendUnicode(out, ansiToUnicode(text), settings);
            }
            return;
        case XmlTextForm::Utf8:
            appendUnicode(out, utf8ToUtf16(text), settings);
            return;
    }
}

std::string decodeXmlText(std::string_view raw, bool utf8Document, XmlTextForm to) {
    std::string out;
    out.reserve(raw.size());
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '&') {
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = parseReference(raw.substr(i), &c);
        if (length == 0) {
            ++i;
            continue;
        }
        appendLiteral(out, raw.substr(runStart, i - runStart), utf8Document, to);
        appendInForm(out, utf16OfCodePoint(c), to);
        i += length;
        runStart = i;
    }
    appendLiteral(out, raw.substr(runStart), utf8Document, to);
    return out;
}

bool isWellFormedUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        char32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            isSurrogate(cp)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}
