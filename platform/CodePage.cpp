#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
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
    // ASCII is the same in both forms; most addresses, countries and bit rates are nothing else,
    // so they skip the converter.
    if (isAsciiText(text)) return std::string(text.begin(), text.end());
    IconvDescriptor& cd = toAnsi();
    if (!cd.valid()) return asciiOnlyToAnsi(text);
    iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);

    // Every code unit gives at most two bytes; the buffer still grows if that ever fails.
    std::string out(text.size() * 2 + 4, '\0');
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
    return out;
}

std::u16string ansiToUnicode(std::string_view bytes) {
    if (isAsciiText(bytes)) return std::u16string(bytes.begin(), bytes.end());
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
