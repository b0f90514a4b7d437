#pragma once
// The record in which a column travels between the engine and the packet writer and reader.

#include <cstdint>

struct PacketColumnDesc {
    char szName[32];            // UTF-8, NUL-terminated, at most 31 bytes
    std::uint32_t iTypeWord;    // class, size and flags (TypeWord.h)
    std::uint16_t iFieldAttrs;  // low 16 bits of the field's iFldAttr
};
