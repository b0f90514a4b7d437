#include "dataset/Streams.h"

#include <algorithm>
#include <cstring>

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (FPosition >= FBytes.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, FBytes.size() - FPosition);
    std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    const std::uint64_t end = FPosition + count;
    if (end > FBytes.size()) FBytes.resize(end);
    std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition = end;
}
