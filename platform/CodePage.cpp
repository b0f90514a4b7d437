#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {
constexpr char16_t kReplacement = 0xFFFD;
constexpr const char* kAnsiName = "CP936";
constexpr const char* kUtf16Name =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv descriptor, closed with its owner. Each thread holds its own pair (see below), so
// the conversion state of one call never meets another thread's call.
class IconvDescriptor {
  public:
    IconvDescriptor(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
    ~IconvDescriptor() {
        if (valid()) iconv_close(FHandle);
    }
    IconvDescriptor(const IconvDescriptor&) = delete;
    IconvDescriptor& operator=(const IconvDescriptor&) = delete;

    bool valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return FHandle; }

  private:
    iconv_t FHandle;
};

IconvDescriptor& toAnsi() {
    thread_local IconvDescriptor descriptor(kAnsiName, kUtf16Name);
    return descriptor;
}

IconvDescriptor& fromAnsi() {
    thread_local IconvDescriptor descriptor(kUtf16Name, kAnsiName);
    return descriptor;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

template <typename Unit>
bool isAsciiText(std::basic_string_view<Unit> text) {
    for (Unit c : text) {
        if (static_cast<std::make_unsigned_t<Unit>>(c) >= 0x80) return false;
    }
    return true;
}

// Without the code page's conversion module only ASCII can be converted.
std::string asciiOnlyToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

std::u16string asciiOnlyFromAnsi(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(b);
        } else {
            out.push_back(kReplacement);
            if (isAnsiLeadByte(b) && i + 1 < bytes.size() &&
                isAnsiTrailByte(static_cast<unsigned char>(bytes[i + 1])))
                ++i;
        }
    }
    return out;
}
// Both conversions as tables, made once from iconv itself: code page 936 is stateless and maps
// character by character, so converting every character on its own gives the converter's answer
// for any text, at a table lookup per character instead of an iconv call per text (a table of
// 100 000 imported stations converts millions of characters).
struct AnsiTables {
    // Every UTF-16 code unit outside the surrogates: one byte (the value), two bytes (lead << 8 |
    // trail, always 0x8100 or more), or "?" for a character the code page lacks.
    std::uint16_t toAnsi[0x10000];
    // Every lead byte 0x81-0xFE with every byte 0x40-0xFE: its character, or U+FFFD.
    char16_t pairs[126][191];
    // The single bytes 0x80-0xFF: the euro sign at 0x80, U+FFFD for the rest.
    char16_t singles[128];
};

// The tables; none when the converter is missing or gives something other than one or two bytes
// per character and one code unit per pair, so that the iconv path below answers instead.
const AnsiTables* ansiTables() {
    static const std::unique_ptr<AnsiTables> tables = []() -> std::unique_ptr<AnsiTables> {
        IconvDescriptor encoder(kAnsiName, kUtf16Name);
        IconvDescriptor decoder(kUtf16Name, kAnsiName);
        if (!encoder.valid() || !decoder.valid()) return nullptr;
        auto t = std::make_unique<AnsiTables>();
        // The bytes of `in` through `cd`, reset first; the output's size, or -1 on an error.
        const auto convert = [](IconvDescriptor& cd, const void* in, std::size_t inSize, void* out,
                                std::size_t outSize) -> long {
            iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);
            char* inPtr = const_cast<char*>(static_cast<const char*>(in));
            char* outPtr = static_cast<char*>(out);
            std::size_t outLeft = outSize;
            if (iconv(cd.handle(), &inPtr, &inSize, &outPtr, &outLeft) ==
                static_cast<std::size_t>(-1))
                return -1;
            return static_cast<long>(outSize - outLeft);
        };
        for (std::uint32_t c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue;
            const auto unit = static_cast<char16_t>(c);
            unsigned char out[8];
            const long n = convert(encoder, &unit, sizeof unit, out, sizeof out);
            if (n < 0) {
                t->toAnsi[c] = '?';
            } else if (n == 1) {
                t->toAnsi[c] = out[0];
            } else if (n == 2 && isAnsiLeadByte(out[0])) {
                t->toAnsi[c] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
            } else {
                return nullptr;
            }
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const unsigned char in[2] = {static_cast<unsigned char>(lead),
                                             static_cast<unsigned char>(trail)};
                char16_t out[4];
                const long n = convert(decoder, in, sizeof in, out, sizeof out);
                if (n > 0 && n != static_cast<long>(sizeof(char16_t))) return nullptr;
                t->pairs[lead - 0x81][trail - 0x40] = n < 0 ? kReplacement : out[0];
            }
        }
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const auto in = static_cast<unsigned char>(byte);
            char16_t out[4];
            const long n = convert(decoder, &in, 1, out, sizeof out);
            if (n > 0 && n != static_cast<long>(sizeof(char16_t))) return nullptr;
            t->singles[byte - 0x80] = n < 0 ? kReplacement : out[0];
        }
        return t;
    }();
    return tables.get();
}

}  // namespace

unsigned defaultAnsiCodePage() {
    return 936;
}

bool isAnsiLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool isAnsiTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

std::size_t ansiCharLength(std::string_view bytes, std::size_t pos) {
    if (pos >= bytes.size()) return 0;
    if (isAnsiLeadByte(static_cast<unsigned char>(bytes[pos])) && pos + 1 < bytes.size() &&
        isAnsiTrailByte(static_cast<unsigned char>(bytes[pos + 1])))
        return 2;
    return 1;
}

std::size_t ansiCutLength(std::string_view bytes, std::size_t maxBytes) {
    if (maxBytes >= bytes.size()) return bytes.size();
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t len = ansiCharLength(bytes, pos);
        if (pos + len > maxBytes) break;
        pos += len;
    }
    return pos;
}

std::string unicodeToAnsi(std::u16string_view text) {
    std::string out;
    unicodeToAnsi(text, out);
    return out;
}

void unicodeToAnsi(std::u16string_view text, std::string& out) {
    // ASCII is the same in both forms; most addresses, countries and bit rates are nothing else,
    // so they skip the converter.
    if (isAsciiText(text)) {
        out.assign(text.begin(), text.end());
        return;
    }
    if (const AnsiTables* tables = ansiTables()) {
        out.clear();
        out.reserve(text.size() * 2);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (isHighSurrogate(c) || isLowSurrogate(c)) {
                // No character beyond the BMP is in the code page: a pair is one "?", and so
                // is a surrogate without its partner.
                if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
                out.push_back('?');
                continue;
            }
            const std::uint16_t bytes = tables->toAnsi[c];
            if (bytes > 0xFF) out.push_back(static_cast<char>(bytes >> 8));
            out.push_back(static_cast<char>(bytes & 0xFF));
        }
        return;
    }
    IconvDescriptor& cd = toAnsi();
    if (!cd.valid()) {
        out = asciiOnlyToAnsi(text);
        return;
    }
    iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);

    // Every code unit gives at most two bytes; the buffer still grows if that ever fails.
    out.assign(text.size() * 2 + 4, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    std::size_t inLeft = text.size() * sizeof(char16_t);
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t r = iconv(cd.handle(), &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ: a character the code page lacks or an unpaired surrogate; EINVAL: a high
        // surrogate at the very end. Either way one "?" stands for it and conversion goes on.
        if (used == out.size()) out.resize(out.size() * 2);
        out[used++] = '?';
        char16_t unit;
        std::memcpy(&unit, in, sizeof unit);
        std::size_t skip = sizeof(char16_t);
        if (isHighSurrogate(unit) && inLeft >= 2 * sizeof(char16_t)) {
            char16_t next;
            std::memcpy(&next, in + sizeof(char16_t), sizeof next);
            if (isLowSurrogate(next)) skip = 2 * sizeof(char16_t);
        }
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
}

std::u16string ansiToUnicode(std::string_view bytes) {
    if (isAsciiText(bytes)) return std::u16string(bytes.begin(), bytes.end());
    if (const AnsiTables* tables = ansiTables()) {
        std::u16string out;
        out.reserve(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b < 0x80) {
                out.push_back(b);
            } else if (ansiCharLength(bytes, i) == 2) {
                out.push_back(
                    tables->pairs[b - 0x81][static_cast<unsigned char>(bytes[i + 1]) - 0x40]);
                ++i;
            } else {
                // A lone byte: the euro sign, or a lead byte without a trail byte (the next byte
                // is read afresh), or 0xFF.
                out.push_back(tables->singles[b - 0x80]);
            }
        }
        return out;
    }
    IconvDescriptor& cd = fromAnsi();
    if (!cd.valid()) return asciiOnlyFromAnsi(bytes);
    iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);

    // Every byte gives at most one code unit.
    std::u16string out(bytes.size() + 2, u'\0');
    std::size_t used = 0;  // in code units
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(out.data() + used);
        std::size_t outLeft = (out.size() - used) * sizeof(char16_t);
        std::size_t r = iconv(cd.handle(), &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft / sizeof(char16_t);
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL (a lead byte at the very end): one U+FFFD for the bad character.
        if (used == out.size()) out.resize(out.size() * 2);
        out[used++] = kReplacement;
        std::size_t skip = ansiCharLength(std::string_view(in, inLeft), 0);
        in += skip;
        inLeft -= skip;
        iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}
