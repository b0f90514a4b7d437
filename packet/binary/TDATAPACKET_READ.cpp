#include "packet/binary/TDATAPACKET_READ.h"

#include <algorithm>
#include <cstring>

#include "packet/TypeWord.h"

namespace {
constexpr std::size_t kMaxColumnName = 31;
}

ByteReader TDATAPACKET_READ::input() const {
    if (!FPacket || FPos > FPacket->size()) return ByteReader();
    return ByteReader(FPacket->data() + FPos, FPacket->size() - FPos);
}

void TDATAPACKET_READ::moveTo(const ByteReader& r) {
    FPos = FPacket->size() - r.remaining();
}

void TDATAPACKET_READ::releaseBytes() {
    FPacket.reset();
    FPos = 0;
}

DBResult TDATAPACKET_READ::openNonBinary(const PacketBytes&) {
    return errPacketMismatch;
}

DBResult TDATAPACKET_READ::openPacket(PacketBytes packet) {
    FOpen = false;
    FMetadataComplete = false;
    FTables.clear();
    FCurrent = 0;
    FList = List::column;
    FListIndex = FListCount = 0;
    FRowsRead = 0;
    FHeader = PacketHeader{};
    FFailure = {};
    releaseBytes();
    if (!packet) return fail(errPacketMismatch, "no packet given", 0);
    PacketHeader header;
    if (!decodePacketHeader(*packet, &header)) return openNonBinary(packet);
    if (header.headerSize > packet->size())
        return fail(errPacketMismatch, "header size points past the end", kHdrHeaderSize);
    FHeader = header;
    FPacket = std::move(packet);
    FPos = header.headerSize;
    TableState top;
    top.declared = header.columnCount;
    FTables.push_back(std::move(top));
    FOpen = true;
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::attachRows(PacketBytes packet) {
    FFailure = {};
    if (!packet) return fail(errPacketMismatch, "no packet given", 0);
    PacketHeader header;
    if (!decodePacketHeader(*packet, &header)) return openNonBinary(packet);
    if (!FOpen || !FMetadataComplete)
        return fail(errNotApplicable, "rows attached before the metadata was read", 0);
    const bool hasRowOffset = (header.packetFlags & PF_ROW_OFFSET) != 0;
    if ((header.packetFlags & PF_METADATA) && header.rowCount != 0 && !hasRowOffset) {
        // The rows cannot be located without reading the metadata.
        return fail(errPacketMismatch, "rows without a row offset", kHdrPacketFlags);
    }
    if (header.columnCount != FTables[0].columns.size())
        return fail(errPacketMismatch, "column count differs from the first packet's",
                    kHdrColumnCount);
    const std::size_t start = hasRowOffset ? header.rowDataOffset : header.headerSize;
    if (start > packet->size()) {
        return fail(errPacketMismatch, "first row lies past the end",
                    hasRowOffset ? kHdrRowDataOffset : kHdrHeaderSize);
    }
    FHeader = header;
    FPacket = std::move(packet);
    FPos = start;
    FRowsRead = 0;
    FCurrent = 0;
    for (auto& table : FTables) table.cursor = 0;
    if (FHeader.rowCount == 0) releaseBytes();
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::nextColumnDesc(PacketColumnDesc* column) {
    if (!FOpen) return fail(errNotApplicable, "no packet open", 0);
    if (!(FHeader.packetFlags & PF_METADATA))
        return fail(errNoMetadata, "packet has no metadata", kHdrPacketFlags);
    if (column == nullptr) return errInvalidParameter;
    TableState& table = FTables[FCurrent];
    if (FMetadataComplete || table.columns.size() >= table.declared) return errAtEnd;
    if (FListIndex < FListCount)
        return fail(errNotApplicable, "column read before the previous one's attributes", FPos);

    const std::size_t start = FPos;
    ByteReader r = input();
    std::uint8_t nameLength;
    if (!getFixed8(r, &nameLength))
        return fail(errPacketMismatch, "column descriptor runs past the end", start);
    if (nameLength == 0) return fail(errFieldNameNull, "column name is empty", start);
    const unsigned char* name;
    std::uint32_t typeWord;
    std::uint16_t attrs, attrCount;
    if (!r.getBytes(nameLength, &name) || !getFixed32(r, &typeWord) || !getFixed16(r, &attrs) ||
        !getFixed16(r, &attrCount)) {
        return fail(errPacketMismatch, "column descriptor runs past the end", start);
    }
    moveTo(r);

    PacketColumnDesc desc{};
    const std::size_t kept = std::min<std::size_t>(nameLength, kMaxColumnName);
    std::memcpy(desc.szName, name, kept);
    desc.iTypeWord = typeWord;
    desc.iFieldAttrs = attrs;
    *column = desc;

    FList = List::column;
    FListIndex = 0;
    FListCount = attrCount;
    int nested = -1;
    if (typeClass(typeWord) == clsNested && !typeIsArray(typeWord)) {
        TableState child;
        child.declared = typeSize(typeWord);
        child.parent = FCurrent;
        FTables.push_back(std::move(child));
        nested = static_cast<int>(FTables.size() - 1);
    }
    TableState& current = FTables[FCurrent];
    current.columns.push_back(desc);
    current.typeWordAt.push_back(start + 1 + nameLength);
    current.nestedOfColumn.push_back(nested);
    if (nested >= 0) FCurrent = nested;
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::completeMetadata() {
    for (auto& table : FTables) {
        table.slots.clear();
        for (std::size_t j = 0; j < table.columns.size(); ++j) {
            ColumnSlot slot;
            if (makeConverter(table.columns[j].iTypeWord, &slot.conv) != DBIERR_NONE) {
                return fail(errInvalidFieldType, "column type word names no type",
                            table.typeWordAt[j]);
            }
            slot.indicatorIndex = 1 + j / 4;
            slot.nullMask = static_cast<unsigned char>(1u << (2 * (j % 4)));
            slot.unchangedMask = static_cast<unsigned char>(slot.nullMask << 1);
            slot.nestedTable = table.nestedOfColumn[j];
            if (slot.nestedTable < 0) slot.plain = plainLayoutOf(*slot.conv);
            table.slots.push_back(std::move(slot));
        }
        table.cursor = 0;
    }
    FMetadataComplete = true;
    FCurrent = 0;
    if (FHeader.rowCount == 0) releaseBytes();
    return DBIERR_NONE;
}

// The current attribute list is exhausted: move on to the next list and answer errAtEnd.
DBResult TDATAPACKET_READ::endOfList() {
    TableState& table = FTables[FCurrent];
    if (FList == List::column) {
        if (table.columns.size() < table.declared) return errAtEnd;
        ByteReader r = input();
        std::uint16_t count;
        if (!getFixed16(r, &count))
            return fail(errPacketMismatch, "table attribute count runs past the end", FPos);
        moveTo(r);
        FList = List::table;
        FListIndex = 0;
        FListCount = count;
        return errAtEnd;
    }
    if (FCurrent == 0) {
        DBResult rc = completeMetadata();
        if (rc != DBIERR_NONE) return rc;
        return errAtEnd;
    }
    // A nested table's description is complete; its parent's column list goes on.
    FCurrent = table.parent;
    FList = List::column;
    FListIndex = FListCount = 0;
    return errAtEnd;
}

DBResult TDATAPACKET_READ::readAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                         void* value, bool measureOnly) {
    if (!FOpen) return fail(errNotApplicable, "no packet open", 0);
    if (!(FHeader.packetFlags & PF_METADATA))
        return fail(errNoMetadata, "packet has no metadata", kHdrPacketFlags);
    if (FMetadataComplete) return errAtEnd;
    if (FListIndex >= FListCount) return endOfList();

    const std::size_t start = FPos;
    ByteReader r = input();
    std::uint8_t nameLength;
    const unsigned char* nameBytes;
    std::uint32_t word;
    if (!getFixed8(r, &nameLength) || !r.getBytes(nameLength, &nameBytes) ||
        !getFixed32(r, &word)) {
        return fail(errPacketMismatch, "attribute runs past the end", start);
    }
    const std::size_t valueAt = start + 1 + nameLength + 4;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(word, &conv) != DBIERR_NONE)
        return fail(errInvalidFieldType, "attribute type word names no type", valueAt - 4);
    ByteReader measure = r;
    std::int32_t valueLength;
    std::uint8_t indicator;
    if (!conv->read(measure, nullptr, &valueLength, &indicator))
        return fail(errPacketMismatch, "attribute value runs past the end", valueAt);
    // A negative length (content not fetched) has no bytes to deliver.
    const std::uint32_t needed = valueLength > 0 ? static_cast<std::uint32_t>(valueLength) : 0;
    if (measureOnly) {
        *length = needed;
        return DBIERR_NONE;
    }
    if (value != nullptr && length == nullptr) return errInvalidParameter;
    if (length != nullptr && *length < needed) {
        *length = needed;
        return errInvalidParameter;
    }
    if (name != nullptr) {
        std::memcpy(name, nameBytes, nameLength);
        name[nameLength] = '\0';
    }
    if (typeWord != nullptr) *typeWord = word;
    if (length != nullptr) *length = needed;
    if (value != nullptr) {
        conv->read(r, static_cast<unsigned char*>(value), &valueLength, &indicator);
    }
    // A value of 0 bytes needs no buffer: naming the attribute is enough to move past it.
    if (name != nullptr && (value != nullptr || needed == 0)) {
        moveTo(measure);
        ++FListIndex;
    }
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::nextAttributeLength(std::uint32_t* length) {
    if (length == nullptr) return errInvalidParameter;
    return readAttribute(nullptr, nullptr, length, nullptr, true);
}

DBResult TDATAPACKET_READ::nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                         void* value) {
    return readAttribute(name, typeWord, length, value, false);
}

void TDATAPACKET_READ::completeSlot() {
    int index = FCurrent;
    for (;;) {
        TableState& table = FTables[index];
        if (++table.cursor <= table.slots.size()) return;
        table.cursor = 0;  // the row is complete
        if (index == 0) {
            if (++FRowsRead >= FHeader.rowCount) releaseBytes();
            return;
        }
        if (--table.rowsLeft != 0) return;
        // The nested rows are complete: so is their slot in the parent row.
        index = table.parent;
        FCurrent = index;
    }
}

DBResult TDATAPACKET_READ::readRowItem(std::int32_t* length, void* value, std::uint8_t* indicator,
                                       bool measureOnly) {
    if (!FOpen || !FMetadataComplete)
        return fail(errNotApplicable, "row read before the metadata is complete", FPos);
    if (!FPacket) return errAtEnd;  // all rows read
    TableState& table = FTables[FCurrent];
    ByteReader r = input();
    if (table.cursor == 0) {
        if (FCurrent == 0 && FRowsRead >= FHeader.rowCount) return errAtEnd;
        std::uint8_t status;
        if (!getFixed8(r, &status) || !r.skip((table.slots.size() + 3) / 4)) {
            return fail(errPacketMismatch, "row status and indicators run past the end", FPos);
        }
        if (measureOnly) {
            *length = 1;
            return DBIERR_NONE;
        }
        if (value != nullptr && (length == nullptr || *length < 1)) {
            if (length != nullptr) *length = 1;
            return errInvalidParameter;
        }
        if (value != nullptr) *static_cast<unsigned char*>(value) = status;
        if (length != nullptr) *length = 1;
        if (indicator != nullptr) *indicator = 0;
        table.rowStart = FPos;
        moveTo(r);
        if (table.slots.empty()) {
            completeSlot();
        } else {
            table.cursor = 1;
        }
        return DBIERR_NONE;
    }

    ColumnSlot& slot = table.slots[table.cursor - 1];
    const unsigned char bits = (*FPacket)[table.rowStart + slot.indicatorIndex];
    if (bits & (slot.nullMask | slot.unchangedMask)) {
        if (measureOnly) {
            *length = 0;
            return DBIERR_NONE;
        }
        const bool isNull = (bits & slot.nullMask) != 0;
        if (length != nullptr) *length = 0;
        if (indicator != nullptr) *indicator = isNull ? 1 : 2;
        completeSlot();
        return isNull ? errFieldBlank : DBIERR_NONE;
    }

    if (slot.plain != PlainLayout::other)
        return readPlainValue(slot, r, length, value, indicator, measureOnly);

    ByteReader measure = r;
    std::int32_t valueLength;
    std::uint8_t ind;
    if (!slot.conv->read(measure, nullptr, &valueLength, &ind))
        return fail(errPacketMismatch, "row value runs past the end", FPos);
    if (measureOnly) {
        *length = valueLength;
        return DBIERR_NONE;
    }
    if (value != nullptr) {
        if (length == nullptr) return errInvalidParameter;
        if (*length < valueLength) {
            *length = valueLength;
            return fail(errInvalidParameter, "row value longer than the buffer given", FPos);
        }
        slot.conv->read(r, static_cast<unsigned char*>(value), &valueLength, &ind);
    }
    std::uint32_t nestedRows = 0;
    if (slot.nestedTable >= 0) nestedRows = decodeFixed32(input().data());
    moveTo(measure);
    if (length != nullptr) *length = valueLength;
    if (indicator != nullptr) *indicator = ind;
    if (nestedRows != 0) {
        TableState& child = FTables[slot.nestedTable];
        child.rowsLeft = nestedRows;
        child.cursor = 0;
        FCurrent = slot.nestedTable;  // the nested rows come next
        return DBIERR_NONE;
    }
    completeSlot();
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::readPlainValue(const ColumnSlot& slot, const ByteReader& r,
                                          std::int32_t* length, void* value,
                                          std::uint8_t* indicator, bool measureOnly) {
    // The bounds and results of the converter's read, without its calls: plain values make up
    // the bulk of every row.
    const unsigned char* p = r.data();
    std::size_t prefix = 0, n = 0;
    if (slot.plain == PlainLayout::other) return errPacketMismatch;
    if (!plainValueExtent(slot, r, &prefix, &n))
        return fail(errPacketMismatch, "row value runs past the end", FPos);
    const auto valueLength = static_cast<std::int32_t>(n);
    if (measureOnly) {
        *length = valueLength;
        return DBIERR_NONE;
    }
    if (value != nullptr) {
        if (length == nullptr) return errInvalidParameter;
        if (*length < valueLength) {
            *length = valueLength;
            return fail(errInvalidParameter, "row value longer than the buffer given", FPos);
        }
        if (n != 0) std::memcpy(value, p + prefix, n);
    }
    FPos += prefix + n;
    if (length != nullptr) *length = valueLength;
    if (indicator != nullptr) *indicator = 0;
    completeSlot();
    return DBIERR_NONE;
}

bool TDATAPACKET_READ::plainValueExtent(const ColumnSlot& slot, const ByteReader& r,
                                        std::size_t* prefix, std::size_t* n) {
    const unsigned char* p = r.data();
    const std::size_t remaining = r.remaining();
    switch (slot.plain) {
        case PlainLayout::fixed:
            *prefix = 0;
            *n = slot.conv->size();
            break;
        case PlainLayout::var8:
            if (remaining < 1) return false;
            *prefix = 1;
            *n = p[0];
            break;
        case PlainLayout::var16:
            if (remaining < 2) return false;
            *prefix = 2;
            *n = decodeFixed16(p);
            break;
        case PlainLayout::other:
            return false;
    }
    return *n <= remaining - *prefix;
}

DBResult TDATAPACKET_READ::nextRow(std::uint8_t* status, RowValue* values, std::size_t count) {
    if (!FOpen || !FMetadataComplete)
        return fail(errNotApplicable, "row read before the metadata is complete", FPos);
    if (!FPacket) return errAtEnd;  // all rows read
    TableState& table = FTables[0];
    if (FPlainRows < 0) {
        FPlainRows = FTables.size() == 1;
        for (const ColumnSlot& slot : table.slots)
            if (slot.plain == PlainLayout::other || slot.nestedTable >= 0) FPlainRows = 0;
    }
    if (FPlainRows == 0 || FCurrent != 0 || table.cursor != 0 || count != table.slots.size())
        return errNotSupported;
    if (FRowsRead >= FHeader.rowCount) return errAtEnd;

    // The same bounds as item by item; a failure names the offset of the item that failed and
    // leaves the reader at the row's start.
    ByteReader r = input();
    if (!getFixed8(r, status) || !r.skip((count + 3) / 4))
        return fail(errPacketMismatch, "row status and indicators run past the end", FPos);
    const unsigned char* bits = r.data() - (count + 3) / 4;
    const unsigned char* start = FPacket->data();
    for (std::size_t i = 0; i < count; ++i) {
        const ColumnSlot& slot = table.slots[i];
        RowValue& v = values[i];
        const unsigned char b = bits[slot.indicatorIndex - 1];
        if (b & (slot.nullMask | slot.unchangedMask)) {
            v = {static_cast<std::uint8_t>((b & slot.nullMask) ? 1 : 2), 0, nullptr};
            continue;
        }
        const unsigned char* p = r.data();
        std::size_t prefix = 0, n = 0;
        if (!plainValueExtent(slot, r, &prefix, &n))
            return fail(errPacketMismatch, "row value runs past the end",
                        static_cast<std::size_t>(p - start));
        v = {0, static_cast<std::int32_t>(n), p + prefix};
        r.skip(prefix + n);
    }
    moveTo(r);
    if (++FRowsRead >= FHeader.rowCount) releaseBytes();
    return DBIERR_NONE;
}

DBResult TDATAPACKET_READ::nextValueLength(std::int32_t* length) {
    if (length == nullptr) return errInvalidParameter;
    return readRowItem(length, nullptr, nullptr, true);
}

DBResult TDATAPACKET_READ::nextFieldValue(std::int32_t* length, void* value,
                                          std::uint8_t* indicator) {
    return readRowItem(length, value, indicator, false);
}

DBResult TDATAPACKET_READ::getErrorText(DBResult code, char* text, std::size_t capacity) {
    return copyEngineMessage(code, text, capacity);
}

void TDATAPACKET_READ::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FUtf8 = utf8;
    FCodePage = codePage;
}

std::uint32_t TDATAPACKET_READ::rowCapacityHint() const {
    if (!FOpen || !FPacket) return 0;
    const std::size_t slots = FMetadataComplete ? FTables[0].slots.size() : FTables[0].declared;
    const std::size_t minRow = 1 + (slots + 3) / 4;
    const std::size_t remaining = FPacket->size() - std::min(FPos, FPacket->size());
    const std::size_t fit = remaining / minRow;
    const std::uint32_t left = FHeader.rowCount - std::min(FRowsRead, FHeader.rowCount);
    return static_cast<std::uint32_t>(std::min<std::size_t>(fit, left));
}
