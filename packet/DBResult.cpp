#include "packet/DBResult.h"

#include <algorithm>
#include <cstring>

namespace {
struct MessageEntry {
    DBResult code;
    std::string_view text;
};

constexpr MessageEntry kMessages[] = {
#define ENGINE_MESSAGE(code, name, text) {code, text},
#include "resources/engine_messages.def"
#undef ENGINE_MESSAGE
};

constexpr std::size_t kMaxMessageChars = 126;
static_assert(std::all_of(std::begin(kMessages), std::end(kMessages),
                          [](const MessageEntry& m) { return m.text.size() <= kMaxMessageChars; }));
}  // namespace

std::optional<std::string_view> engineMessageText(DBResult code) {
    for (const auto& m : kMessages) {
        if (m.code == code) return m.text;
    }
    return std::nullopt;
}

DBResult copyEngineMessage(DBResult code, char* out, std::size_t capacity) {
    auto text = engineMessageText(code);
    if (!text) return errObjectNotFound;
    if (out == nullptr || capacity == 0) return errInvalidParameter;
    std::size_t n = std::min({text->size(), kMaxMessageChars, capacity - 1});
    std::memcpy(out, text->data(), n);
    out[n] = '\0';
    return DBIERR_NONE;
}
