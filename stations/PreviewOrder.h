#pragma once
// The order of the preview list: a case-insensitive ordinal comparison of captions over UTF-16
// code units, in which only 'a' to 'z' fold to their capitals.

#include <string_view>

// Negative when `first` goes before `second`, positive when after, 0 when they are equal: the
// difference of the first pair of folded units that differ, else the difference of the
// lengths, so a text sorts before every longer text that begins with it.
int compareCaptions(std::u16string_view first, std::u16string_view second);
