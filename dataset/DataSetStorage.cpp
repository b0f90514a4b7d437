// Closing, saving and loading: the kept packet and the files and streams it travels through.

#include <cstring>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/Streams.h"
#include "packet/StreamMode.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFileWriter.h"
#include "platform/FileOps.h"
#include "platform/ReadSizeLimits.h"
#include "platform/Unicode.h"

namespace {
// Loading holds the file's bytes, the record store and the change log at once: about 6.5 bytes
// of memory per byte of a station file, measured.
constexpr std::uint64_t kLoadMemoryPerFileByte = 7;

std::uint32_t streamModeOf(TDataPacketFormat format) {
    switch (format) {
        case dfXML:
            return kStreamModeXml;
        case dfXMLUTF8:
            return kStreamModeXmlUtf8;
        default:
            return kStreamModeBinary;
    }
}

bool hasXmlExtension(const std::u16string& name) {
    const auto slash = name.find_last_of(u'/');
    const auto dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return false;
    return upperCase(name.substr(dot)) == u".XML";
}

// A stream onto a file that replaces its target atomically when committed.
class TSafeFileStream : public TStream {
  public:
    TSafeFileStream(std::u16string path, FileWriteCalls calls)
        : FPath(std::move(path)), FWriter(std::move(calls)) {}

    FileResult open() { return FWriter.open(FPath); }
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* buffer, std::size_t count) override {
        FileResult result = FWriter.write(buffer, count);
        if (!result) fail(result);
        FSize += count;
    }
    std::uint64_t Size() const override { return FSize; }
    std::uint64_t Position() const override { return FSize; }
    void SetPosition(std::uint64_t) override {}
    void commit() {
        FileResult result = FWriter.commit();
        if (!result) fail(result);
    }

  private:
    [[noreturn]] void fail(const FileResult& result) {
        throw EWriteError(formatMessage(u"Cannot write file \"%s\". %s",
                                        {expandFileName(FPath), result.message()}));
    }

    std::u16string FPath;
    AtomicFileWriter FWriter;
    std::uint64_t FSize = 0;
};
}  // namespace

// ---- closing ------------------------------------------------------------------------------------

void TClientDataSet::Close() {
    if (!Active()) return;
    runHook(BeforeClose);
    if (FState == dsEdit || FState == dsInsert || FState == dsSetKey) Cancel();
    FState = dsInactive;
    detachTable();
    runHook(AfterClose);
}

void TClientDataSet::detachTable() {
    FInternalOpenComplete = false;
    FBuffers.clear();
    clearWindow();
    releaseCursor();
    if (FSavePacketOnClose && FFileName.empty() && FDSBase) {
        try {
            keepTableAsPacket(dfBinary);
        } catch (...) {
            FDSBase.reset();
            FLastStreamed = {};
            throw;
        }
    }
    FDSBase.reset();
    FLastStreamed = {};
}

void TClientDataSet::releaseCursor() {
    FKeyBuffers.clear();
    FIOBuffer.clear();
    FConvertBuffer.clear();
    FFields.Clear();
    FDSCursor.reset();
}

// ---- saving -------------------------------------------------------------------------------------

void TClientDataSet::keepTableAsPacket(TDataPacketFormat format) {
    if (!FDSBase) return;
    dropKeptPacket();
    // A table that has not changed since it was last streamed in this format gives the same
    // bytes: the save sequence streams the table for the file and again when it closes.
    if (FLastStreamed.bytes && FLastStreamed.format == format &&
        FLastStreamed.table.lock() == FDSBase &&
        FLastStreamed.generation == FDSBase->generation()) {
        FSavedPacket = FLastStreamed.bytes;
        return;
    }
    FLastStreamed = {};
    check(FDSBase->setProperty(propStreamMode, streamModeOf(format)));
    auto packet = std::make_shared<std::vector<unsigned char>>();
    check(FDSBase->streamTable(*packet));
    FSavedPacket = packet;
    FLastStreamed = {std::move(packet), FDSBase, FDSBase->generation(), format};
}

PacketBytes TClientDataSet::packetToWrite(TDataPacketFormat format) {
    if (Active()) CheckBrowseMode();
    PacketBytes packet;
    try {
        if (FDSCursor) keepTableAsPacket(format);
        packet = FSavedPacket;
    } catch (...) {
        if (Active()) dropKeptPacket();
        throw;
    }
    // An open table keeps no packet; the bytes live on with the caller (and as the last
    // streamed bytes, which a close that follows takes without streaming again).
    if (Active()) dropKeptPacket();
    return packet;
}

void TClientDataSet::writePacketToStream(TStream& stream, bool withLength,
                                         TDataPacketFormat format) {
    const PacketBytes packet = packetToWrite(format);
    if (!packet) return;
    const auto n = static_cast<std::uint32_t>(packet->size());
    if (withLength) {
        const unsigned char length[4] = {
            static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
            static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
        stream.Write(length, sizeof length);
    }
    stream.Write(packet->data(), packet->size());
}

void TClientDataSet::SaveToStream(TStream& stream, TDataPacketFormat format) {
    writePacketToStream(stream, false, format);
}

void TClientDataSet::SaveToFile(const std::u16string& fileName, TDataPacketFormat format) {
    if (!Active() && !FDSBase) return;
    const std::u16string name = fileName.empty() ? FFileName : fileName;
    if (format == dfBinary && hasXmlExtension(name)) format = dfXML;
    // The packet is built first, so that an engine failure leaves the file untouched; its bytes
    // then go to the file as they are (no second copy of a large table's packet), and the file
    // is replaced atomically.
    const PacketBytes packet = packetToWrite(format);
    TSafeFileStream file(name, FFileWriteCalls);
    FileResult opened = file.open();
    if (!opened)
        throw EFCreateError(formatMessage(u"Cannot create file \"%s\". %s",
                                          {expandFileName(name), opened.message()}));
    if (packet) file.Write(packet->data(), packet->size());
    file.commit();
}

// ---- loading ------------------------------------------------------------------------------------

void TClientDataSet::readPacketFromStream(TStream& stream, bool withLength) {
    std::uint64_t n;
    if (withLength) {
        unsigned char length[4];
        if (stream.Read(length, sizeof length) != sizeof length)
            throw EReadError(u"Stream read error");
        n = length[0] | (length[1] << 8) | (length[2] << 16) |
            (static_cast<std::uint32_t>(length[3]) << 24);
    } else {
        const std::uint64_t size = stream.Size(), position = stream.Position();
        n = size > position ? size - position : 0;
    }
    if (n < 1) return;
    dropKeptPacket();
    try {
        auto packet = std::make_shared<std::vector<unsigned char>>(n);
        const std::size_t read = stream.Read(packet->data(), packet->size());
        packet->resize(read);  // never hand on bytes that were not read
        FSavedPacket = std::move(packet);
    } catch (const std::bad_alloc&) {
        dropKeptPacket();
        throw EDatabaseError(u"Error creating variant or safe array");
    } catch (...) {
        dropKeptPacket();
        throw;
    }
}

void TClientDataSet::LoadFromStream(TStream& stream) {
    Close();
    readPacketFromStream(stream, false);
    Open();
}

void TClientDataSet::LoadFromFile(const std::u16string& fileName) {
    const std::u16string name = fileName.empty() ? FFileName : fileName;
    // A file larger than a packet can be, or than the memory loading it takes, is refused
    // before the open table is closed.
    if (FileResult size = checkFileReadSize(name, kMaxPacketFileBytes, kLoadMemoryPerFileByte);
        !size)
        throw EFOpenError(
            formatMessage(u"Cannot open file \"%s\". %s", {expandFileName(name), size.message()}));
    Close();
    std::vector<std::uint8_t> bytes;
    FileResult result = readWholeFile(name, bytes);
    if (!result)
        throw EFOpenError(formatMessage(u"Cannot open file \"%s\". %s",
                                        {expandFileName(name), result.message()}));
    FOpeningFile = true;
    try {
        // The file's bytes become the packet as they are, so that a large file is held once.
        // As with a stream, an empty file leaves the kept packet as it is.
        Close();
        if (!bytes.empty()) {
            dropKeptPacket();
            try {
                FSavedPacket = std::make_shared<std::vector<unsigned char>>(std::move(bytes));
            } catch (const std::bad_alloc&) {
                throw EDatabaseError(u"Error creating variant or safe array");
            }
        }
        Open();
    } catch (...) {
        FOpeningFile = false;
        throw;
    }
    FOpeningFile = false;
}
