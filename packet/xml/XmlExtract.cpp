#include "packet/xml/XmlExtract.h"

#include <algorithm>
#include <cstring>

void XmlExtract::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FReader.setTextEncoding(utf8, codePage);
}

DBResult XmlExtract::getErrorText(DBResult code, char* text, std::size_t capacity) {
    return copyEngineMessage(code, text, capacity);
}

void XmlExtract::startRows() {
    FRow = 0;
    FSlot = 0;
    FHeader.rowCount = static_cast<std::uint32_t>(FReader.rowCount());
}

DBResult XmlExtract::openPacket(PacketBytes packet) {
    FOpen = false;
    FMetadataComplete = false;
    FNextColumn = 0;
    FList = List::none;
    FListIndex = 0;
    FHeader = PacketHeader{};
    if (!packet) return errPacketMismatch;
    DBResult rc =
        FReader.openPacket(std::span<const unsigned char>(packet->data(), packet->size()));
    if (rc != DBIERR_NONE) return rc;
    FPacket = std::move(packet);
    FOpen = true;
    FHeader.columnCount =
        static_cast<std::uint16_t>(std::min<std::size_t>(FReader.columns().size(), 0xFFFF));
    FHeader.packetFlags = FReader.hasMetadata() ? std::uint32_t{PF_METADATA} : 0u;
    startRows();
    return DBIERR_NONE;
}

DBResult XmlExtract::attachRows(PacketBytes packet) {
    if (!FOpen || !FMetadataComplete) return errNotApplicable;
    if (!packet) return errPacketMismatch;
    DBResult rc =
        FReader.attachRows(std::span<const unsigned char>(packet->data(), packet->size()));
    if (rc != DBIERR_NONE) return rc;
    FPacket = std::move(packet);
    FHeader.packetFlags = PF_ROW_OFFSET;
    startRows();
    return DBIERR_NONE;
}

DBResult XmlExtract::nextColumnDesc(PacketColumnDesc* column) {
    if (!FOpen) return errNotApplicable;
    if (!FReader.hasMetadata()) return errNoMetadata;
    if (column == nullptr) return errInvalidParameter;
    const auto& columns = FReader.columns();
    if (FMetadataComplete || FNextColumn >= columns.size()) return errAtEnd;
    if (FList == List::column && FListIndex < columns[FNextColumn - 1].attributes.size())
        return errNotApplicable;
    *column = columns[FNextColumn].desc;
    ++FNextColumn;
    FList = List::column;
    FListIndex = 0;
    return DBIERR_NONE;
}

const std::vector<XmlPacketAttribute>* XmlExtract::currentList() const {
    switch (FList) {
        case List::column:
            return &FReader.columns()[FNextColumn - 1].attributes;
        case List::table:
            return &FReader.tableAttributes();
        default:
            return nullptr;
    }
}

DBResult XmlExtract::readAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                   void* value, bool measureOnly) {
    if (!FOpen) return errNotApplicable;
    if (!FReader.hasMetadata()) return errNoMetadata;
    if (FMetadataComplete) return errAtEnd;
    if (FList == List::none) {
        // Before the first column: only a document without columns has its table list here.
        if (!FReader.columns().empty()) return errNotApplicable;
        FList = List::table;
        FListIndex = 0;
    }
    const auto* list = currentList();
    if (FListIndex >= list->size()) {
        if (FList == List::column && FNextColumn >= FReader.columns().size()) {
            FList = List::table;
            FListIndex = 0;
        } else if (FList == List::table) {
            FMetadataComplete = true;
        }
        return errAtEnd;
    }
    const XmlPacketAttribute& a = (*list)[FListIndex];
    const auto needed = static_cast<std::uint32_t>(a.value.size());
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
        const std::size_t n = std::min<std::size_t>(a.name.size(), kAttributeNameCapacity - 1);
        std::memcpy(name, a.name.data(), n);
        name[n] = '\0';
    }
    if (typeWord != nullptr) *typeWord = a.typeWord;
    if (length != nullptr) *length = needed;
    if (value != nullptr && needed > 0) std::memcpy(value, a.value.data(), needed);
    if (name != nullptr && value != nullptr) ++FListIndex;
    return DBIERR_NONE;
}

DBResult XmlExtract::nextAttributeLength(std::uint32_t* length) {
    if (length == nullptr) return errInvalidParameter;
    return readAttribute(nullptr, nullptr, length, nullptr, true);
}

DBResult XmlExtract::nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                   void* value) {
    return readAttribute(name, typeWord, length, value, false);
}

DBResult XmlExtract::nextValueLength(std::int32_t* length) {
    if (length == nullptr) return errInvalidParameter;
    if (!FOpen || !FMetadataComplete) return errNotApplicable;
    if (FRow >= FReader.rowCount()) return errAtEnd;
    if (FSlot == 0) {
        *length = 1;
    } else {
        const XmlFieldValue v = FReader.fieldValue(FRow, FSlot - 1);
        *length = v.indicator == 0 ? static_cast<std::int32_t>(v.bytes.size()) : 0;
    }
    return DBIERR_NONE;
}

DBResult XmlExtract::nextFieldValue(std::int32_t* length, void* value, std::uint8_t* indicator) {
    if (!FOpen || !FMetadataComplete) return errNotApplicable;
    if (FRow >= FReader.rowCount()) return errAtEnd;
    const std::size_t columns = FReader.columns().size();
    DBResult result = DBIERR_NONE;
    if (FSlot == 0) {
        if (value != nullptr) {
            if (length != nullptr && *length < 1) {
                *length = 1;
                return errInvalidParameter;
            }
            *static_cast<unsigned char*>(value) = FReader.rowStatus(FRow);
        }
        if (length != nullptr) *length = 1;
        if (indicator != nullptr) *indicator = 0;
    } else {
        const XmlFieldValue v = FReader.fieldValue(FRow, FSlot - 1);
        if (v.indicator != 0) {
            if (length != nullptr) *length = 0;
            if (indicator != nullptr) *indicator = v.indicator;
            if (v.indicator == 1) result = errFieldBlank;
        } else {
            const auto needed = static_cast<std::int32_t>(v.bytes.size());
            if (value != nullptr) {
                if (length == nullptr || *length < needed) {
                    if (length != nullptr) *length = needed;
                    return errInvalidParameter;
                }
                if (needed > 0) std::memcpy(value, v.bytes.data(), v.bytes.size());
            }
            if (length != nullptr) *length = needed;
            if (indicator != nullptr) *indicator = 0;
        }
    }
    if (++FSlot > columns) {
        FSlot = 0;
        ++FRow;
    }
    return result;
}
