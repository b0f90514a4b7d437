#pragma once
// Refusing a file before it is read whole: one larger than its format can address, or one that
// would need more memory than the machine has free. Readers call this first, so such a file is
// refused with a clear reason and nothing the user has is changed.

#include <cstdint>
#include <string_view>

#include "platform/FileResult.h"

// The largest station file: a packet's sizes and offsets are 32-bit.
inline constexpr std::uint64_t kMaxPacketFileBytes = 0xFFFFFFFFu;

// Free memory as the system counts it (available memory plus free swap); the largest value
// when it cannot be told.
std::uint64_t availableMemoryBytes();

// "File too large" (EFBIG) when `size` exceeds `maxBytes`; "Cannot allocate memory" (ENOMEM)
// when reading it needs more than `available`, at `memoryPerByte` bytes of memory per byte of
// the file; success otherwise.
FileResult checkReadSize(std::uint64_t size, std::uint64_t maxBytes, std::uint64_t memoryPerByte,
                         std::uint64_t available);

// checkReadSize for the file at `path` and the memory free now. A file that cannot be looked at
// passes: the read that follows reports why it cannot be opened.
FileResult checkFileReadSize(std::u16string_view path, std::uint64_t maxBytes,
                             std::uint64_t memoryPerByte);
