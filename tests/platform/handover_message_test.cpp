// The handover a later start sends the running program: a list of paths that arrives in pieces
// of any size, and bytes that are no handover refused as soon as they show it.

#include "platform/HandoverMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

// Feeds `bytes` in pieces of `piece` bytes; answers how many were used.
std::size_t feedInPieces(HandoverReader& reader, const std::string& bytes, std::size_t piece) {
    std::size_t used = 0;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        used += reader.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    return used;
}

TEST(HandoverMessage, ListsArriveWholeInPiecesOfAnySize) {
    const Paths lists[] = {
        {},
        {"/home/user/stations.m3u"},
        {"/tmp/电台 列表.pls", "", "/a/b.cds"},
        {std::string(70000, 'x')},  // longer than one read of the server
    };
    for (const Paths& paths : lists) {
        const std::string bytes = encodeHandover(paths);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.compare(0, 4, "RVNH"), 0);
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, bytes.size()}) {
            SCOPED_TRACE(piece);
            HandoverReader reader;
            // Bytes after the message are left to the caller, untouched.
            EXPECT_EQ(feedInPieces(reader, bytes + "after", piece), bytes.size());
            ASSERT_EQ(reader.state(), HandoverReader::State::Complete);
            EXPECT_EQ(reader.paths(), paths);
            EXPECT_EQ(reader.wanted(), 0u);
        }
    }
}

TEST(HandoverMessage, TheHeaderGivesTheExactLength) {
    const std::string bytes = encodeHandover({"/a", "/bc"});
    EXPECT_EQ(bytes, std::string("RVNH\0\0\0\x07/a\0/bc\0", 15));
    HandoverReader reader;
    EXPECT_EQ(reader.wanted(), 8u);
    reader.feed(bytes.data(), 8);
    EXPECT_EQ(reader.wanted(), 7u);
}

TEST(HandoverMessage, BytesThatAreNoHandoverAreRefused) {
    struct Case {
        const char* label;
        std::string bytes;
        std::size_t refusedAfter;  // bytes used when the reader gives up
    };
    const Case cases[] = {
        {"another protocol", "GET / HTTP/1.1\r\n", 1},
        {"a wrong magic late", std::string("RVNX\0\0\0\0", 8), 4},
        {"a length beyond the limit", std::string("RVNH\x00\x10\x00\x01", 8), 8},
        {"the largest length", std::string("RVNH\xff\xff\xff\xff", 8), 8},
        {"a last path without its end", std::string("RVNH\0\0\0\x05/a\0/b", 13), 13},
        {"no end at all", std::string("RVNH\0\0\0\x02/a", 10), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HandoverReader reader;
        const std::size_t used = feedInPieces(reader, c.bytes, 1);
        EXPECT_EQ(reader.state(), HandoverReader::State::Broken);
        EXPECT_EQ(used, c.refusedAfter);
        EXPECT_TRUE(reader.paths().empty());
        EXPECT_EQ(reader.wanted(), 0u);
    }
}

TEST(HandoverMessage, ListsThatCannotBeSentEncodeToNothing) {
    EXPECT_TRUE(encodeHandover({std::string("/a\0b", 4)}).empty());
    EXPECT_TRUE(encodeHandover({std::string(kMaxHandoverPayload, 'x')}).empty());
    EXPECT_FALSE(encodeHandover({std::string(kMaxHandoverPayload - 1, 'x')}).empty());
}

}  // namespace
