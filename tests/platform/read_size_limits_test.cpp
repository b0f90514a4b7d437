#include "platform/ReadSizeLimits.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/platform/TempFolder.h"

namespace {

TEST(ReadSizeLimits, RefusesWhatTheFormatOrTheMemoryCannotHold) {
    constexpr std::uint64_t GiB = std::uint64_t{1} << 30;
    struct Case {
        std::uint64_t size, maxBytes, memoryPerByte, available;
        int error;
    } cases[] = {
        {0, kMaxPacketFileBytes, 7, 0, 0},
        {kMaxPacketFileBytes, kMaxPacketFileBytes, 0, 0, 0},  // no memory estimate
        {kMaxPacketFileBytes + 1, kMaxPacketFileBytes, 7, ~std::uint64_t{0}, EFBIG},
        {GiB, kMaxPacketFileBytes, 7, 7 * GiB, 0},  // just fits
        {GiB + 1, kMaxPacketFileBytes, 7, 7 * GiB, ENOMEM},
        {3 * GiB, kMaxPacketFileBytes, 7, 8 * GiB, ENOMEM},
        {5 * GiB, kMaxPacketFileBytes, 7, 1, EFBIG},  // the format's limit is named first
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkReadSize(c.size, c.maxBytes, c.memoryPerByte, c.available).error(), c.error)
            << c.size << " bytes, " << c.available << " free";
    }
}

TEST(ReadSizeLimits, LooksAtTheFileOnDisk) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    std::ofstream(dir.file("small"), std::ios::binary) << "abc";
    std::ofstream(dir.file("huge"), std::ios::binary) << "x";
    std::filesystem::resize_file(dir.file("huge"), std::uint64_t{5} << 30);  // sparse

    EXPECT_TRUE(checkFileReadSize(dir.file16("small"), kMaxPacketFileBytes, 7).ok());
    EXPECT_EQ(checkFileReadSize(dir.file16("huge"), kMaxPacketFileBytes, 7).error(), EFBIG);
    // What cannot be looked at is left to the read to report.
    EXPECT_TRUE(checkFileReadSize(dir.file16("missing"), kMaxPacketFileBytes, 7).ok());
    EXPECT_GT(availableMemoryBytes(), 0u);
}

}  // namespace
