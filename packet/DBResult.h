#pragma once
// Result codes answered by every engine, cursor, writer and reader operation, and the
// engine's message table. 0 is success.

#include <cstdint>
#include <optional>
#include <string_view>

using DBResult = std::uint16_t;

enum : DBResult {
    DBIERR_NONE = 0,
#define ENGINE_MESSAGE(code, name, text) name = code,
#include "resources/engine_messages.def"
#undef ENGINE_MESSAGE
};

// The message text of a code, or nothing when the code has no text.
std::optional<std::string_view> engineMessageText(DBResult code);

// Copies the text of `code` into `out` (capacity bytes, zero-terminated, at most 126
// characters of text). Answers errObjectNotFound when the code has no text.
DBResult copyEngineMessage(DBResult code, char* out, std::size_t capacity);
