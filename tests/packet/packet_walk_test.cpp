#include <gtest/gtest.h>

#include <memory>

#include "packet/DSEXTRACT.h"
#include "packet/PacketWalk.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

// The real reader with one broken promise.
class BrokenReader : public IDSReader {
  public:
    enum class Fault { none, hugeLength, lengthChanges, endlessMetadata };
    explicit BrokenReader(Fault fault) : FFault(fault) {}

    DBResult openPacket(PacketBytes packet) override { return FReal->openPacket(packet); }
    DBResult attachRows(PacketBytes packet) override { return FReal->attachRows(packet); }
    DBResult nextColumnDesc(PacketColumnDesc* column) override {
        if (FFault == Fault::endlessMetadata && FReal->nextColumnDesc(column) != DBIERR_NONE)
            return errAtEnd;
        if (FFault == Fault::endlessMetadata) return DBIERR_NONE;
        return FReal->nextColumnDesc(column);
    }
    DBResult nextAttributeLength(std::uint32_t* length) override {
        return FReal->nextAttributeLength(length);
    }
    DBResult nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                           void* value) override {
        return FReal->nextAttribute(name, typeWord, length, value);
    }
    DBResult nextValueLength(std::int32_t* length) override {
        if (FFault == Fault::endlessMetadata) return errNotApplicable;
        DBResult rc = FReal->nextValueLength(length);
        if (rc == DBIERR_NONE && FFault == Fault::hugeLength) *length = 0x7FFFFFFF;
        return rc;
    }
    DBResult nextFieldValue(std::int32_t* length, void* value, std::uint8_t* indicator) override {
        DBResult rc = FReal->nextFieldValue(length, value, indicator);
        if (rc == DBIERR_NONE && FFault == Fault::lengthChanges) *length = 0;
        return rc;
    }
    DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override {
        return FReal->getErrorText(code, text, capacity);
    }
    std::uint32_t getXmlMode() override { return FReal->getXmlMode(); }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override {
        FReal->setTextEncoding(utf8, codePage);
    }
    const PacketHeader& header() const override { return FReal->header(); }
    std::uint32_t rowCapacityHint() const override { return FReal->rowCapacityHint(); }
    ReadFailure lastFailure() const override { return FReal->lastFailure(); }

  private:
    std::unique_ptr<IDSReader> FReal = createPacketReader();
    Fault FFault;
};

TEST(PacketWalk, AReaderThatBreaksItsPromisesIsToldApartFromABrokenPacket) {
    const auto packet = std::make_shared<const Bytes>(workedExamplePacket());
    using Fault = BrokenReader::Fault;
    struct Case {
        const char* what;
        Fault fault;
        bool metadataComplete;
    };
    const Case cases[] = {
        {"a value length beyond the packet", Fault::hugeLength, true},
        {"a value read with another length than measured", Fault::lengthChanges, true},
        {"metadata that never ends", Fault::endlessMetadata, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BrokenReader reader(c.fault);
        const WalkedPacket walk = walkPacket(reader, packet);
        EXPECT_TRUE(walk.opened);
        EXPECT_EQ(walk.error, errPacketMismatch);
        ASSERT_NE(walk.readerFault, nullptr);
        EXPECT_STREQ(walk.readerFault, c.what);
        EXPECT_EQ(walk.metadataComplete, c.metadataComplete);
        EXPECT_TRUE(walk.items.empty());
        if (c.metadataComplete) {
            EXPECT_EQ(walk.columns.size(), 3u);  // kept from before
        }
    }

    // The same packet through a reader that keeps its promises.
    BrokenReader sound(Fault::none);
    const WalkedPacket walk = walkPacket(sound, packet);
    EXPECT_EQ(walk.error, DBIERR_NONE);
    EXPECT_EQ(walk.readerFault, nullptr);
    EXPECT_EQ(walk.items.size(), 8u);  // two rows: a status and three slots each
}

TEST(PacketWalk, APacketCutShortKeepsWhatWasReadAndBlamesThePacket) {
    const Bytes good = workedExamplePacket();
    auto reader = createPacketReader();
    const WalkedPacket walk =
        walkPacket(*reader, std::make_shared<const Bytes>(good.begin(), good.end() - 1));
    EXPECT_EQ(walk.error, errPacketMismatch);
    EXPECT_EQ(walk.readerFault, nullptr);
    EXPECT_TRUE(walk.metadataComplete);
    EXPECT_EQ(walk.columns.size(), 3u);
    EXPECT_EQ(walk.items.size(), 7u);  // all but the last slot
    EXPECT_TRUE(reader->lastFailure().failed());
}

}  // namespace
