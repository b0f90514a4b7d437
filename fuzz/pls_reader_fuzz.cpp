// Feeds arbitrary bytes to the PLS reader; see PlaylistFuzzHarness.h for what is checked.

#include "fuzz/PlaylistFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzPlaylistFormat(PlaylistFormat::Pls, data, size);
}
