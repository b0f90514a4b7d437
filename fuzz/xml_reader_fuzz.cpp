// Feeds arbitrary bytes to the XML packet reader and touches every value it delivers. When a
// document reads through, its columns, attributes and rows are written again through the XML
// writer (in both document modes); whatever the writer accepts, the reader must read back with
// the same number of columns and rows. Only a number its column cannot hold may refuse the second
// reading, since a column's "WIDTH" can be narrower than a value read under it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "packet/Coding.h"
#include "packet/FieldConverters.h"
#include "packet/PacketHeader.h"
#include "packet/TypeWord.h"
#include "packet/xml/XmlPacketReader.h"
#include "packet/xml/XmlPacketWriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The caller's form of an attribute value: a varying value begins with its length prefix.
Bytes attributeArgument(const XmlPacketAttribute& a) {
    Bytes out;
    if (typeIsVarying(a.typeWord) && !typeIsArray(a.typeWord)) {
        const std::uint32_t width = typeSize(a.typeWord);
        for (std::uint32_t i = 0; i < width; ++i) {
            out.push_back(static_cast<unsigned char>(a.value.size() >> (8 * i)));
        }
    }
    out.insert(out.end(), a.value.begin(), a.value.end());
    return out;
}

bool writeAgain(const XmlPacketReader& reader, std::uint32_t mode, Bytes* doc) {
    XmlPacketWriter writer;
    if (writer.setXmlMode(mode) != DBIERR_NONE) std::abort();
    writer.setTextEncoding(false, 936);
    const auto& columns = reader.columns();
    if (writer.initPacket(kPacketVersion, static_cast<std::uint32_t>(columns.size())) !=
        DBIERR_NONE) {
        return false;
    }
    for (const auto& c : columns) {
        if (writer.addColumnDesc(c.desc) != DBIERR_NONE) return false;
        for (const auto& a : c.attributes) {
            const Bytes arg = attributeArgument(a);
            if (writer.addAttribute(attrColumn, a.name.c_str(), a.typeWord,
                                    static_cast<std::uint32_t>(arg.size()),
                                    arg.data()) != DBIERR_NONE) {
                return false;
            }
        }
    }
    for (const auto& a : reader.tableAttributes()) {
        const Bytes arg = attributeArgument(a);
        if (writer.addAttribute(attrTable, a.name.c_str(), a.typeWord,
                                static_cast<std::uint32_t>(arg.size()),
                                arg.data()) != DBIERR_NONE) {
            return false;
        }
    }
    Bytes scratch;
    for (std::size_t r = 0; r < reader.rowCount(); ++r) {
        const std::uint8_t status = reader.rowStatus(r);
        if (writer.putField(putValue, 1, &status) != DBIERR_NONE) return false;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const XmlFieldValue v = reader.fieldValue(r, c);
            // A fixed-size value is handed over in a buffer of at least its class's size.
            scratch.assign(v.bytes.begin(), v.bytes.end());
            scratch.resize(std::max<std::size_t>(scratch.size(), 32), 0);
            const DBResult rc =
                v.indicator == 0
                    ? writer.putField(putValue, static_cast<std::int32_t>(v.bytes.size()),
                                      scratch.data())
                    : writer.putField(v.indicator, 0, nullptr);
            if (rc != DBIERR_NONE) return false;
        }
    }
    return writer.getPacket(doc) == DBIERR_NONE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XmlPacketReader reader;
    reader.setTextEncoding(false, 936);
    if (reader.openPacket(std::span<const unsigned char>(data, size)) != DBIERR_NONE) return 0;
    unsigned sum = 0;
    for (std::size_t r = 0; r < reader.rowCount(); ++r) {
        sum += reader.rowStatus(r);
        for (std::size_t c = 0; c < reader.columns().size(); ++c) {
            for (unsigned char b : reader.fieldValue(r, c).bytes) sum += b;
        }
    }
    for (std::uint32_t mode : {5u, 13u}) {
        Bytes doc;
        if (!writeAgain(reader, mode, &doc)) continue;
        XmlPacketReader again;
        again.setTextEncoding(false, 936);
        const DBResult rc = again.openPacket(doc);
        if (rc == errOutOfRange) continue;
        if (rc != DBIERR_NONE || again.columns().size() != reader.columns().size() ||
            again.rowCount() != reader.rowCount()) {
            std::abort();
        }
    }
    // Rows of the same document attached to the columns read.
    // Its result does not matter: only that it neither crashes nor reads out of bounds.
    (void)reader.attachRows(std::span<const unsigned char>(data, size));
    return static_cast<int>(sum & 0);
}
