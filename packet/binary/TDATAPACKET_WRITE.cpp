#include "packet/binary/TDATAPACKET_WRITE.h"

#include "packet/StreamMode.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#include "packet/Coding.h"
#include "packet/PacketHeader.h"
#include "packet/TypeWord.h"

namespace {

// Growth alternates between two rules, one flag shared by every writer: at least 32768 bytes,
// or the current capacity capped at 1024000 bytes.
std::atomic<bool> sGrowByCapacity{false};
constexpr std::size_t kGrowStep = 32768;
constexpr std::size_t kGrowCap = 1024000;
constexpr std::size_t kMaxColumnName = 31;
constexpr std::size_t kMaxAttributeName = 255;

}  // namespace

void TDATAPACKET_WRITE::putU16(std::size_t pos, std::uint16_t v) {
    putFixed16(FBuffer.data() + pos, v);
}
void TDATAPACKET_WRITE::putU32(std::size_t pos, std::uint32_t v) {
    putFixed32(FBuffer.data() + pos, v);
}

DBResult TDATAPACKET_WRITE::growBuffer(std::size_t bytes) {
    const std::size_t capacity = FBuffer.size();
    const bool byCapacity = sGrowByCapacity.exchange(!sGrowByCapacity.load());
    std::size_t add = byCapacity ? std::min(capacity, kGrowCap) : kGrowStep;
    add = std::max(add, bytes);
    if (add > std::numeric_limits<std::size_t>::max() / 2 - capacity) return errNoMemory;
    try {
        FBuffer.resize(capacity + add);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    } catch (const std::length_error&) {
        return errNoMemory;
    }
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::startPacket(std::uint32_t version, std::uint32_t columnCount,
                                        bool metadata) {
    if (version > kMaxPacketVersion) return errPacketMismatch;
    if (columnCount > 0xFFFF) return errInvalidParameter;
    FInitialized = false;
    FTables.clear();
    FAllColumns.clear();
    FTopColumns = 0;
    FColumnAttrsOpen = false;
    FRowsReady = false;
    FRowCount = 0;
    FCurrent = 0;
    FBuffer.clear();
    FEnd = 0;
    try {
        FBuffer.resize(kInitialBuffer);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    PacketHeader header;
    header.columnCount = static_cast<std::uint16_t>(columnCount);
    header.packetFlags = metadata ? std::uint32_t{PF_METADATA} : 0u;
    encodePacketHeader(header, FBuffer.data());
    FPacketFlags = header.packetFlags;
    FEnd = kPacketHeaderSize;
    FMetadata = metadata;
    TableState top;
    top.declared = columnCount;
    FTables.push_back(std::move(top));
    if (metadata) putU16(FEnd, 0);  // provisional table attribute count
    FInitialized = true;
    applyXmlFlag();
    return DBIERR_NONE;
}

void TDATAPACKET_WRITE::applyXmlFlag() {
    if (!FInitialized || !FMetadata) return;
    // A non-zero mode without the XML output bits marks the binary packet.
    if (FXmlMode != 0 && (FXmlMode & kXmlModeOutputBits) == 0) {
        FPacketFlags |= PF_XML_MODE;
    } else {
        FPacketFlags &= ~PF_XML_MODE;
    }
    putU32(kHdrPacketFlags, FPacketFlags);
}

DBResult TDATAPACKET_WRITE::initPacket(std::uint32_t version, std::uint32_t columnCount) {
    return startPacket(version, columnCount, true);
}

DBResult TDATAPACKET_WRITE::initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                                  const PacketColumnDesc* columns) {
    if (count != 0 && columns == nullptr) return errInvalidParameter;
    sGrowByCapacity = true;
    // Registered columns are collected first; the top level's count is known at the end.
    std::vector<PacketColumnDesc> list(columns, columns + count);
    DBResult rc = startPacket(version, 0, false);
    if (rc != DBIERR_NONE) return rc;
    FTables[0].declared = std::numeric_limits<std::uint32_t>::max();
    for (const auto& column : list) {
        rc = registerColumn(column, false);
        if (rc != DBIERR_NONE) {
            FInitialized = false;
            return rc;
        }
    }
    if (FCurrent != 0) {  // a nested table lacks columns
        FInitialized = false;
        return errInvalidParameter;
    }
    if (FTopColumns > 0xFFFF) {
        FInitialized = false;
        return errInvalidParameter;
    }
    FTables[0].declared = FTopColumns;
    putU16(kHdrColumnCount, static_cast<std::uint16_t>(FTopColumns));
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::resetPacket() {
    if (FAllColumns.empty()) return errNotApplicable;
    std::vector<PacketColumnDesc> columns = FAllColumns;
    return initPacketWithColumns(kMaxPacketVersion, static_cast<std::uint32_t>(columns.size()),
                                 columns.data());
}

DBResult TDATAPACKET_WRITE::addColumnDesc(const PacketColumnDesc& column) {
    if (!FInitialized || !FMetadata || FRowsReady) return errNotApplicable;
    return registerColumn(column, true);
}

DBResult TDATAPACKET_WRITE::registerColumn(const PacketColumnDesc& column, bool write) {
    const std::size_t nameLength = strnlen(column.szName, kMaxColumnName);
    if (nameLength == 8 && std::memcmp(column.szName, "RowState", 8) == 0) {
        return errNotApplicable;
    }
    TableState& table = FTables[FCurrent];
    if (table.inTableAttrs || table.columns.size() >= table.declared) return errNotApplicable;
    const std::uint32_t cls = typeClass(column.iTypeWord);
    if (cls > 36) return errNotApplicable;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(column.iTypeWord, &conv) != DBIERR_NONE) return errInvalidFieldType;
    if (nameLength == 0) return errFieldNameNull;

    if (write) {
        DBResult rc = ensureRoom(kDescriptorRoom);
        if (rc != DBIERR_NONE) return rc;
        unsigned char* p = FBuffer.data() + FEnd;
        *p++ = static_cast<unsigned char>(nameLength);
        std::memcpy(p, column.szName, nameLength);
        p += nameLength;
        p = putFixed32(p, column.iTypeWord);
        p = putFixed16(p, column.iFieldAttrs);
        FColAttrCountPos = static_cast<std::size_t>(p - FBuffer.data());
        p = putFixed16(p, 0);  // the column's attribute count
        putFixed16(p, 0);      // provisional table attribute count
        FEnd = static_cast<std::size_t>(p - FBuffer.data());
        FColAttrCount = 0;
        FColumnAttrsOpen = true;
        if (cls > 11) putU16(kHdrMajorVersion, 2);
    }

    PacketColumnDesc copy = column;
    std::memset(copy.szName + nameLength, 0, sizeof(copy.szName) - nameLength);
    int nested = -1;
    if (cls == clsNested) {
        TableState child;
        child.declared = typeSize(column.iTypeWord);
        child.parent = FCurrent;
        FTables.push_back(std::move(child));
        nested = static_cast<int>(FTables.size() - 1);
    }
    TableState& current = FTables[FCurrent];  // FTables may have moved
    current.columns.push_back(copy);
    current.nestedOfColumn.push_back(nested);
    if (FCurrent == 0) ++FTopColumns;
    FAllColumns.push_back(copy);
    if (nested >= 0) FCurrent = nested;
    if (!write) {
        // Without attribute calls a nested table ends with its last column.
        while (FCurrent != 0 && FTables[FCurrent].columns.size() >= FTables[FCurrent].declared) {
            FCurrent = FTables[FCurrent].parent;
        }
    }
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::beginTableAttrs(TableState& table) {
    if (table.inTableAttrs) return DBIERR_NONE;
    DBResult rc = ensureRoom(2);
    if (rc != DBIERR_NONE) return rc;
    table.tableAttrCountPos = FEnd;
    table.tableAttrCount = 0;
    putU16(FEnd, 0);
    FEnd += 2;
    table.inTableAttrs = true;
    FColumnAttrsOpen = false;
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::closeNestedTable() {
    TableState& table = FTables[FCurrent];
    if (table.columns.size() != table.declared) return errNotApplicable;
    DBResult rc = beginTableAttrs(table);
    if (rc != DBIERR_NONE) return rc;
    FCurrent = table.parent;
    // The parent goes on describing columns: its provisional count follows.
    rc = ensureRoom(2);
    if (rc != DBIERR_NONE) return rc;
    putU16(FEnd, 0);
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::addAttribute(std::uint32_t level, const char* name,
                                         std::uint32_t typeWord, std::uint32_t length,
                                         const void* value) {
    if (!FInitialized || !FMetadata) return errNotApplicable;
    if (FRowCount != 0 || FRowsReady) return errNotApplicable;
    if (level != attrColumn && level != attrTable) return errInvalidParameter;
    if (name == nullptr && typeWord == 0 && value == nullptr) {
        // The closing call of an attribute list.
        if (level == attrTable && FCurrent != 0) return closeNestedTable();
        return DBIERR_NONE;
    }
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(typeWord, &conv) != DBIERR_NONE) return errInvalidFieldType;
    if (value == nullptr && length != 0) return errInvalidParameter;
    const std::size_t nameLength = name ? strnlen(name, kMaxAttributeName + 1) : 0;
    if (nameLength > kMaxAttributeName) return errInvalidParameter;

    const auto* bytes = static_cast<const unsigned char*>(value);
    std::int64_t valueLength = length;
    if (conv->isVarying()) {
        // The caller's prefix is replaced by the converter's own.
        if (valueLength < conv->size()) return errInvalidParameter;
        bytes += conv->size();
        valueLength -= conv->size();
    } else if (conv->valueFixedSize() >= 0 && valueLength < conv->valueFixedSize()) {
        return errInvalidParameter;
    }
    std::size_t packed = 0;
    if (!conv->packedSize(bytes, valueLength, &packed)) return errInvalidParameter;

    TableState& table = FTables[FCurrent];
    if (level == attrColumn) {
        if (!FColumnAttrsOpen || table.inTableAttrs) return errNotApplicable;
        if (FColAttrCount == 0xFFFF) return errNotApplicable;
    } else {
        DBResult rc = beginTableAttrs(table);
        if (rc != DBIERR_NONE) return rc;
        if (table.tableAttrCount == 0xFFFF) return errNotApplicable;
    }
    DBResult rc = ensureRoom(1 + nameLength + 4 + packed + 2);
    if (rc != DBIERR_NONE) return rc;
    unsigned char* p = FBuffer.data() + FEnd;
    *p++ = static_cast<unsigned char>(nameLength);
    if (nameLength != 0) std::memcpy(p, name, nameLength);
    p += nameLength;
    p = putFixed32(p, typeWord);
    p = conv->write(p, bytes, valueLength);
    FEnd = static_cast<std::size_t>(p - FBuffer.data());
    if (level == attrColumn) {
        putU16(FColAttrCountPos, ++FColAttrCount);
        putU16(FEnd, 0);  // provisional table attribute count
    } else {
        TableState& t = FTables[FCurrent];
        putU16(t.tableAttrCountPos, ++t.tableAttrCount);
    }
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::setUpRows() {
    if (FCurrent != 0) return errRowSetup;
    for (auto& table : FTables) {
        table.slots.clear();
        for (std::size_t j = 0; j < table.columns.size(); ++j) {
            ColumnSlot slot;
            if (makeConverter(table.columns[j].iTypeWord, &slot.conv) != DBIERR_NONE) {
                return errRowSetup;
            }
            slot.indicatorIndex = 1 + j / 4;
            slot.nullMask = static_cast<unsigned char>(1u << (2 * (j % 4)));
            slot.unchangedMask = static_cast<unsigned char>(slot.nullMask << 1);
            slot.nestedTable = table.nestedOfColumn[j];
            if (slot.nestedTable < 0) slot.plain = plainLayoutOf(*slot.conv);
            if (slot.plain == PlainLayout::fixed) slot.fixedSize = slot.conv->size();
            table.slots.push_back(std::move(slot));
        }
        table.cursor = 0;
    }
    if (FMetadata) {
        DBResult rc = beginTableAttrs(FTables[0]);
        if (rc != DBIERR_NONE) return rc;
        putU16(kHdrColumnCount, static_cast<std::uint16_t>(FTopColumns));
    }
    if (FEnd <= 0xFFFF) {
        putU16(kHdrRowDataOffset, static_cast<std::uint16_t>(FEnd));
        FPacketFlags |= PF_ROW_OFFSET;
        putU32(kHdrPacketFlags, FPacketFlags);
    }
    FRowsReady = true;
    FFlatRows = FTables.size() == 1;
    return DBIERR_NONE;
}

void TDATAPACKET_WRITE::completeSlot() {
    int index = FCurrent;
    for (;;) {
        TableState& table = FTables[index];
        if (++table.cursor <= table.slots.size()) return;
        table.cursor = 0;  // the row is complete
        if (index == 0) {
            putU32(kHdrRowCount, ++FRowCount);
            return;
        }
        ++table.rowsWritten;
        if (table.rowsLeft == kOpenRowCount || --table.rowsLeft != 0) return;
        // The nested row set is complete: its slot in the parent row is done.
        index = table.parent;
        FCurrent = index;
    }
}

void TDATAPACKET_WRITE::reserveRows(std::size_t bytes) {
    if (!FInitialized || bytes <= FBuffer.size() - FEnd) return;
    if (bytes > std::numeric_limits<std::size_t>::max() / 2 - FBuffer.size()) return;
    try {
        FBuffer.resize(FEnd + bytes);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

bool TDATAPACKET_WRITE::packedSize(const ColumnSlot& slot, std::int32_t length,
                                   const unsigned char* bytes, std::size_t* packed) {
    const auto n = static_cast<std::size_t>(length);
    switch (slot.plain) {
        case PlainLayout::fixed:
            *packed = slot.fixedSize;
            return true;
        case PlainLayout::var8:
            if (length < 0 || length > 0xFF) return false;
            *packed = 1 + n;
            return true;
        case PlainLayout::var16:
            if (length < 0 || length > 0xFFFF) return false;
            *packed = 2 + n;
            return true;
        case PlainLayout::other:
            break;
    }
    return slot.conv->packedSize(bytes, length, packed);
}

DBResult TDATAPACKET_WRITE::putRow(std::uint8_t status, const RowItem* items, std::size_t count) {
    if (!FInitialized) return errNotApplicable;
    if (!FRowsReady) {
        DBResult rc = setUpRows();
        if (rc != DBIERR_NONE) return rc;
    }
    TableState& table = FTables[0];
    if (!FFlatRows || FCurrent != 0 || table.cursor != 0 || count != table.slots.size())
        return IDSWriter::putRow(status, items, count);
    if (FRowCount == std::numeric_limits<std::uint32_t>::max()) return errNotApplicable;

    // Sized first, so that the row is written in one step or not at all.
    const std::size_t rowHead = 1 + (count + 3) / 4;
    std::size_t rowBytes = rowHead;
    for (std::size_t i = 0; i < count; ++i) {
        const RowItem& item = items[i];
        if (item.kind == putUnchanged || item.kind == putNull) continue;
        if (item.kind != putValue) return errInvalidParameter;
        if (item.data == nullptr) continue;
        std::size_t packed = 0;
        if (!packedSize(table.slots[i], item.length, static_cast<const unsigned char*>(item.data),
                        &packed))
            return errInvalidParameter;
        rowBytes += packed;
    }
    DBResult rc = ensureRoom(rowBytes);
    if (rc != DBIERR_NONE) return rc;

    unsigned char* row = FBuffer.data() + FEnd;
    row[0] = status;
    std::memset(row + 1, 0, rowHead - 1);
    unsigned char* dest = row + rowHead;
    for (std::size_t i = 0; i < count; ++i) {
        const RowItem& item = items[i];
        const ColumnSlot& slot = table.slots[i];
        const auto* bytes = static_cast<const unsigned char*>(item.data);
        if (item.kind == putUnchanged) {
            row[slot.indicatorIndex] |= slot.unchangedMask;
            continue;
        }
        if (item.kind == putNull || bytes == nullptr) {
            row[slot.indicatorIndex] |= slot.nullMask;
            continue;
        }
        const auto n = static_cast<std::size_t>(item.length);
        switch (slot.plain) {
            case PlainLayout::fixed:
                std::memcpy(dest, bytes, slot.fixedSize);
                dest += slot.fixedSize;
                break;
            case PlainLayout::var8:
                dest[0] = static_cast<unsigned char>(n);
                std::memcpy(dest + 1, bytes, n);
                dest += 1 + n;
                break;
            case PlainLayout::var16:
                putFixed16(dest, static_cast<std::uint16_t>(n));
                std::memcpy(dest + 2, bytes, n);
                dest += 2 + n;
                break;
            case PlainLayout::other:
                dest = slot.conv->write(dest, bytes, item.length);
                break;
        }
    }
    FEnd = static_cast<std::size_t>(dest - FBuffer.data());
    putU32(kHdrRowCount, ++FRowCount);
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::putField(std::uint32_t kind, std::int32_t length, const void* data) {
    if (!FInitialized) return errNotApplicable;
    if (!FRowsReady) {
        DBResult rc = setUpRows();
        if (rc != DBIERR_NONE) return rc;
    }
    TableState& table = FTables[FCurrent];
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (table.cursor == 0) {
        if (kind != putValue || bytes == nullptr) return errInvalidParameter;
        if (FCurrent == 0 && FRowCount == std::numeric_limits<std::uint32_t>::max()) {
            return errNotApplicable;
        }
        const std::size_t rowHead = 1 + (table.slots.size() + 3) / 4;
        DBResult rc = ensureRoom(rowHead);
        if (rc != DBIERR_NONE) return rc;
        TableState& t = FTables[FCurrent];
        t.rowStart = FEnd;
        FBuffer[FEnd] = bytes[0];
        std::memset(FBuffer.data() + FEnd + 1, 0, rowHead - 1);
        FEnd += rowHead;
        if (t.slots.empty()) {
            completeSlot();  // a row without slots is complete with its status
        } else {
            t.cursor = 1;
        }
        return DBIERR_NONE;
    }
    ColumnSlot& slot = table.slots[table.cursor - 1];
    if (kind == putUnchanged) {
        FBuffer[table.rowStart + slot.indicatorIndex] |= slot.unchangedMask;
    } else if (kind == putNull || (kind == putValue && bytes == nullptr)) {
        FBuffer[table.rowStart + slot.indicatorIndex] |= slot.nullMask;
    } else if (kind == putValue) {
        // Plain fixed and short varying values, the bulk of every row, are written inline with
        // the checks their converter's packedSize and write would make.
        std::size_t packed = 0;
        const auto n = static_cast<std::size_t>(length);
        if (!packedSize(slot, length, bytes, &packed)) return errInvalidParameter;
        DBResult rc = ensureRoom(packed);
        if (rc != DBIERR_NONE) return rc;
        unsigned char* dest = FBuffer.data() + FEnd;
        switch (slot.plain) {
            case PlainLayout::fixed:
                std::memcpy(dest, bytes, packed);
                break;
            case PlainLayout::var8:
                dest[0] = static_cast<unsigned char>(n);
                std::memcpy(dest + 1, bytes, n);
                break;
            case PlainLayout::var16:
                putFixed16(dest, static_cast<std::uint16_t>(n));
                std::memcpy(dest + 2, bytes, n);
                break;
            case PlainLayout::other:
                packed = static_cast<std::size_t>(slot.conv->write(dest, bytes, length) - dest);
                break;
        }
        FEnd += packed;
        if (slot.nestedTable >= 0) {
            const std::uint32_t count = decodeFixed32(bytes);
            TableState& child = FTables[slot.nestedTable];
            child.rowCountPos = FEnd - 4;
            child.rowsLeft = count;
            child.rowsWritten = 0;
            child.cursor = 0;
            if (count != 0) {
                FCurrent = slot.nestedTable;  // the nested rows come next
                return DBIERR_NONE;
            }
        }
    } else {
        return errInvalidParameter;
    }
    completeSlot();
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::endNestedRows() {
    if (!FInitialized || FCurrent == 0) return errNotApplicable;
    TableState& table = FTables[FCurrent];
    if (table.rowsLeft != kOpenRowCount || table.cursor != 0) return errNotApplicable;
    putU32(table.rowCountPos, table.rowsWritten);
    FCurrent = table.parent;
    completeSlot();
    return DBIERR_NONE;
}

std::size_t TDATAPACKET_WRITE::metadataEnd() const {
    if (!FMetadata) return kPacketHeaderSize;
    // While the top level is still describing columns its provisional count belongs to it.
    return FTables[0].inTableAttrs ? FEnd : FEnd + 2;
}

std::size_t TDATAPACKET_WRITE::packetLength() const {
    return FRowsReady ? FEnd : metadataEnd();
}

bool TDATAPACKET_WRITE::insideRow() const {
    if (FCurrent != 0) return true;
    return std::any_of(FTables.begin(), FTables.end(),
                       [](const TableState& t) { return t.cursor != 0; });
}

DBResult TDATAPACKET_WRITE::getPacketLength(std::size_t* length) {
    if (length == nullptr) return errInvalidParameter;
    if (!FInitialized) return errNotApplicable;
    *length = packetLength();
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::getPacket(std::vector<unsigned char>* packet) {
    if (packet == nullptr) return errInvalidParameter;
    if (!FInitialized || insideRow()) return errNotApplicable;
    const std::size_t length = packetLength();
    if (!FRowsReady) {
        if (length <= 0xFFFF) {
            putU16(kHdrRowDataOffset, static_cast<std::uint16_t>(length));
            FPacketFlags |= PF_ROW_OFFSET;
        }
        if (FMetadata) putU16(kHdrColumnCount, static_cast<std::uint16_t>(FTopColumns));
    }
    putU32(kHdrPacketFlags, FPacketFlags);
    FBuffer.resize(length);
    *packet = std::move(FBuffer);
    FBuffer.clear();
    FEnd = 0;
    FInitialized = false;
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::getColumnCount(std::uint32_t* count) {
    if (count == nullptr) return errInvalidParameter;
    *count = static_cast<std::uint32_t>(FAllColumns.size());
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::getColumnDescs(PacketColumnDesc* columns) {
    if (columns == nullptr) return errInvalidParameter;
    std::copy(FAllColumns.begin(), FAllColumns.end(), columns);
    return DBIERR_NONE;
}

DBResult TDATAPACKET_WRITE::getErrorText(DBResult code, char* text, std::size_t capacity) {
    return copyEngineMessage(code, text, capacity);
}

DBResult TDATAPACKET_WRITE::setXmlMode(std::uint32_t mode) {
    FXmlMode = mode;
    applyXmlFlag();
    return DBIERR_NONE;
}

void TDATAPACKET_WRITE::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FUtf8 = utf8;
    FCodePage = codePage;
}
