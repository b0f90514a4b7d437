// Feeds arbitrary bytes to a fresh engine table through appendPacket. When the table accepts
// them, it streams itself out again, and what it wrote must load into another fresh table and
// stream out to the very same bytes: a packet the engine wrote is always one it can read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/EngineFactory.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Loads the packet into a fresh table and streams it; false when either step fails.
bool loadAndStream(const Bytes& packet, Bytes* out, bool* loaded) {
    IDSBasePtr table = createDSBase();
    *loaded = table->appendPacket(std::make_shared<const Bytes>(packet), true) == DBIERR_NONE;
    if (!*loaded) return false;
    out->clear();
    return table->streamTable(*out) == DBIERR_NONE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    Bytes first;
    bool loaded = false;
    if (!loadAndStream(input, &first, &loaded)) return 0;
    Bytes second;
    if (!loadAndStream(first, &second, &loaded)) std::abort();  // written, but unreadable
    Bytes third;
    if (!loadAndStream(second, &third, &loaded) || third != second) std::abort();
    return 0;
}
