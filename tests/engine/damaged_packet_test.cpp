// Damaged packets: every shorter prefix and every single-bit flip of every packet we keep (the
// worked example, station tables, a pending change log, the XML forms, and each input a fuzzer
// ever found) either fails with a result code or loads into a table whose packet reads back and
// streams out to the very same bytes again. Never a crash, never a packet we cannot read.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/DSBASE.h"
#include "tests/engine/StationTable.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Loads into a fresh table and streams it out; false when either step fails.
bool loadAndStream(const Bytes& packet, Bytes* out) {
    DSBASE table;
    if (table.appendPacket(std::make_shared<const Bytes>(packet), true) != DBIERR_NONE)
        return false;
    out->clear();
    return table.streamTable(*out) == DBIERR_NONE;
}

// The fuzzers' check: what the engine wrote after a load loads again and streams out unchanged.
// Answers an empty text when it holds, else what went wrong.
std::string checkLoadsOrFails(const Bytes& packet, bool* loaded) {
    Bytes first;
    *loaded = loadAndStream(packet, &first);
    if (!*loaded) return {};
    Bytes second, third;
    if (!loadAndStream(first, &second)) return "the packet the engine wrote does not load";
    if (!loadAndStream(second, &third) || third != second) return "a second round changed bytes";
    return {};
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A station table with three rows, one of them with nulls, written by the engine.
Bytes stationPacket() {
    DSBASE table;
    auto fields = stationDescriptors();
    EXPECT_EQ(table.defineTable(20, fields.data(), "ClientDataSet1"), DBIERR_NONE);
    for (const char* name : {"Radio One", "\xD6\xD0\xD1\xEB", ""}) {
        std::vector<unsigned char> record(table.recordLength(), 0);
        for (const auto& f : table.fields())
            record[f.iNullOffsInRec] = f.iFldType == fldZSTRING ? indValue : indNull;
        std::memcpy(record.data() + table.fields()[0].iFldOffsInRec, name, std::strlen(name));
        if (*name == '\0') record[table.fields()[1].iNullOffsInRec] = indNull;
        std::uint32_t r = 0;
        EXPECT_EQ(table.storeInsert(record.data(), &r), DBIERR_NONE);
    }
    EXPECT_EQ(table.commitChangeLog(), DBIERR_NONE);
    Bytes out;
    EXPECT_EQ(table.streamTable(out), DBIERR_NONE);
    return out;
}

struct Fixture {
    std::string name;
    Bytes bytes;
    bool wellFormed;     // loads as it is, and no shorter prefix of it loads
    bool mutate = true;  // its prefixes and bit flips are tried too
};

// Two findings whose damage asks for the most the engine allows (65 535 expanded fields,
// records of 60 000 bytes): each damaged copy of them takes seconds to refuse, so they are tried
// as they are here and mutated only by the fuzzer.
bool tooSlowToMutate(const std::string& name) {
    return name == "regression_nested_array_counts.cds" ||
           name == "regression_wide_record_reservation.cds";
}

std::vector<Fixture> fixtures() {
    const fs::path fixtureDir(ROVENA_FIXTURES_DIR);
    const fs::path corpus = fixtureDir / ".." / ".." / "fuzz" / "corpus" / "append_packet_fuzz";
    const std::vector<std::string> wellFormed = {"worked_example.cds", "empty_station_table.cds",
                                                 "stations.cds", "pending_changes.cds"};
    std::vector<Fixture> out;
    out.push_back({"engine-written station table", stationPacket(), true});
    for (const fs::path& folder : {corpus, fixtureDir}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            const std::string name = entry.path().filename().string();
            const bool seen = std::any_of(out.begin(), out.end(),
                                          [&name](const Fixture& f) { return f.name == name; });
            if (seen) continue;  // the same finding kept in both folders
            const bool formed =
                std::find(wellFormed.begin(), wellFormed.end(), name) != wellFormed.end();
            out.push_back({name, readFile(entry.path()), formed, !tooSlowToMutate(name)});
        }
    }
    return out;
}

TEST(DamagedPackets, EveryPrefixAndBitFlipOfEveryKeptPacketLoadsOrFailsCleanly) {
    const std::vector<Fixture> all = fixtures();
    ASSERT_GE(all.size(), 15u);  // the generated table, the corpus, the test fixtures
    for (const Fixture& f : all) {
        SCOPED_TRACE(f.name);
        ASSERT_FALSE(f.bytes.empty());
        bool loaded = false;
        EXPECT_EQ(checkLoadsOrFails(f.bytes, &loaded), "");
        if (f.wellFormed) {
            EXPECT_TRUE(loaded);
            // A well-formed packet streams back to itself.
            Bytes out;
            ASSERT_TRUE(loadAndStream(f.bytes, &out));
            EXPECT_EQ(out, f.bytes);
        }

        if (!f.mutate) continue;
        std::size_t prefixesLoaded = 0;
        for (std::size_t n = 0; n < f.bytes.size(); ++n) {
            const Bytes prefix(f.bytes.begin(), f.bytes.begin() + static_cast<long>(n));
            const std::string problem = checkLoadsOrFails(prefix, &loaded);
            ASSERT_EQ(problem, "") << "prefix of " << n << " bytes";
            if (loaded) ++prefixesLoaded;
        }
        if (f.wellFormed) {
            EXPECT_EQ(prefixesLoaded, 0u);
        }

        for (std::size_t bit = 0; bit < f.bytes.size() * 8; ++bit) {
            Bytes flipped = f.bytes;
            flipped[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
            const std::string problem = checkLoadsOrFails(flipped, &loaded);
            ASSERT_EQ(problem, "") << "bit " << bit << " flipped";
        }
    }
}

}  // namespace
