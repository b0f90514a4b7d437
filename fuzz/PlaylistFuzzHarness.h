#pragma once
// What every playlist reader fuzz target does with its input: read it as its format, turn the
// entries into stations, check what the rules promise of them, write them out in the same format
// and read that back, which must give the same stations (as far as the format carries them).

#include <cstddef>
#include <cstdint>

#include "interchange/PlaylistFormat.h"

int fuzzPlaylistFormat(PlaylistFormat format, const std::uint8_t* data, std::size_t size);
