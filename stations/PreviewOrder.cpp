#include "stations/PreviewOrder.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "packet/AsciiCase.h"

int compareCaptions(std::u16string_view first, std::u16string_view second) {
    const std::size_t common = std::min(first.size(), second.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = asciiUpper(first[i]) - asciiUpper(second[i]);
        if (difference != 0) return difference;
    }
    const std::ptrdiff_t lengths =
        static_cast<std::ptrdiff_t>(first.size()) - static_cast<std::ptrdiff_t>(second.size());
    // Kept within ±INT_MAX, so that a caller may negate the result.
    return static_cast<int>(std::clamp<std::ptrdiff_t>(lengths, -INT_MAX, INT_MAX));
}
