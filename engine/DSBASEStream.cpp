// Producing a datapacket from a table: column descriptors with their attributes, the table's
// attributes and the rows, handed to a packet writer in one forward pass.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/DSBASE.h"
#include "packet/AttributeValues.h"
#include "packet/Coding.h"
#include "packet/DSDATAPACKET.h"
#include "packet/PacketHeader.h"
#include "packet/SubtypeNames.h"
#include "packet/TypeWord.h"

namespace {
constexpr std::int32_t kAddedCalculated = 2;  // bCalculated of a field added later

bool isStructureHead(const DSFLDDesc& f) {
    return f.iFldType == fldADT || f.iFldType == fldARRAY;
}

// Fields that are not written: calculated fields added to the existing table, unless they link.
bool isWritten(const DSFLDDesc& f) {
    return f.bCalculated != kAddedCalculated || (f.iFldAttr & fldAttrLink) != 0;
}

bool carriesWidth(std::int32_t type) {
    return type == fldZSTRING || type == fldVARBYTES || type == fldUNICODE || type == fldBLOB ||
           type == fldBCD || type == fldFMTBCD;
}

DBResult addFieldUnits(IDSWriter& writer, const char* name, std::uint16_t units) {
    const auto value = encodeFieldUnits(units);
    return writer.addAttribute(attrColumn, name, kTypeWordUInt16, kFieldUnitsSize, value.data());
}

// An attribute whose value is held as the reader delivers it (a varying value without its
// length prefix).
DBResult addHeldAttribute(IDSWriter& writer, std::uint32_t level, const char* name,
                          std::uint32_t typeWord, std::span<const unsigned char> value) {
    const auto argument = attributeWriterArgument(typeWord, value);
    return writer.addAttribute(level, name, typeWord, static_cast<std::uint32_t>(argument.size()),
                               argument.data());
}
}  // namespace

DBResult DSBASE::streamTable(std::vector<unsigned char>& packet) {
    std::lock_guard guard(FLock);
    packet.clear();
    if (FFields.empty()) return errPacketMismatch;

    std::uint32_t topLevel = 0;
    std::vector<PacketColumnDesc> columns;
    std::vector<std::uint32_t> columnField;  // 0-based field index of each written column
    for (std::uint32_t i = 0; i < FFields.size(); ++i) {
        const DSFLDDesc& f = FFields[i];
        if (!isWritten(f)) continue;
        PacketColumnDesc desc{};
        std::memcpy(desc.szName, f.szName, sizeof desc.szName);
        desc.szName[31] = '\0';
        desc.iTypeWord = typeWordForField(f.iFldType, f.iFldLen, f.iUnits1);
        desc.iFieldAttrs = static_cast<std::uint16_t>(f.iFldAttr);
        columns.push_back(desc);
        columnField.push_back(i);
        if (f.iFieldIDParent == 0) ++topLevel;
    }
    if (topLevel == 0) return errNotApplicable;

    auto writer = createPacketWriter();
    DBResult rc = writer->setXmlMode(FStreamMode);
    if (rc != DBIERR_NONE) return rc;
    // Column and attribute names are UTF-8; string values are in the table's code page, which is
    // UTF-8 only for code page 65001.
    writer->setTextEncoding(narrowTextIsUtf8(), FCodePage);

    if (!FOmitMetadata) {
        rc = writer->initPacket(kPacketVersion, topLevel);
        for (std::size_t c = 0; rc == DBIERR_NONE && c < columns.size(); ++c) {
            const DSFLDDesc& f = FFields[columnField[c]];
            rc = writer->addColumnDesc(columns[c]);
            if (rc == DBIERR_NONE && f.iFldSubType != 0) {
                if (const char* name = subtypeName(f.iFldSubType)) {
                    rc = addHeldAttribute(*writer, attrColumn, kAttrSubtype, kTypeWordString16,
                                          encodeSubtypeValue(name));
                }
            }
            if (rc == DBIERR_NONE && f.iUnits2 != 0 && !isStructureHead(f))
                rc = addFieldUnits(*writer, kAttrDecimals, static_cast<std::uint16_t>(f.iUnits2));
            if (rc == DBIERR_NONE && f.iUnits1 != 0 && carriesWidth(f.iFldType))
                rc = addFieldUnits(*writer, kAttrWidth, static_cast<std::uint16_t>(f.iUnits1));
            if (rc == DBIERR_NONE && f.bCalculated != 0 && (f.iFldAttr & fldAttrLink) == 0)
                rc = addFieldUnits(*writer, kAttrCalculated, 1);
            for (const auto& p : FOptParams) {
                if (rc != DBIERR_NONE) break;
                if (p.fieldNo != f.iFieldID) continue;
                rc = addHeldAttribute(*writer, attrColumn, p.name.c_str(), p.typeWord, p.value);
            }
        }
        // Table attributes.
        // A delta table carries no attributes of its own beyond the kept ones: its rows and
        // their statuses are the changes.
        if (rc == DBIERR_NONE && !FLog.empty() && !FHoldsDelta) {
            std::vector<ChangeLogTriple> entries;
            entries.reserve(FLog.count());
            for (const DSLogEntry& e : FLog.entries())
                entries.push_back({e.record, e.other, e.kind});
            const auto value = encodeChangeLog(entries);
            rc = writer->addAttribute(attrTable, kAttrChangeLog, kTypeWordUInt32Array,
                                      static_cast<std::uint32_t>(value.size()), value.data());
        }
        if (rc == DBIERR_NONE && FAutoIncField >= 0 && !FHoldsDelta) {
            const auto value = encodeAutoIncValue(static_cast<std::int32_t>(FNextAutoInc));
            rc = writer->addAttribute(attrTable, kAttrAutoIncValue, kTypeWordInt32,
                                      kAutoIncValueSize, value.data());
        }
        bool keptWritten = false;
        for (const auto& p : FOptParams) {
            if (rc != DBIERR_NONE) break;
            if (p.fieldNo != 0) continue;
            rc = addHeldAttribute(*writer, attrTable, p.name.c_str(), p.typeWord, p.value);
            keptWritten = true;
        }
        if (rc == DBIERR_NONE && !keptWritten)
            rc = writer->addAttribute(attrTable, nullptr, 0, 0, nullptr);
    } else {
        rc = writer->initPacketWithColumns(
            kPacketVersion, static_cast<std::uint32_t>(columns.size()), columns.data());
    }
    if (rc != DBIERR_NONE) return rc;

    // Rows: with an empty change log the live records in default order, else every slot.
    const bool logEmpty = FLog.empty() || FOmitMetadata;
    auto order = defaultOrder();
    const bool byOrder = logEmpty && order && order->count() > 0;
    const std::uint32_t rowCount = byOrder ? order->count() : FNext - 1;

    // The packed texts of a row are read in one walk; textIndex maps a field to its text.
    std::vector<std::string_view> texts(FStore.packedCount());
    std::vector<std::uint32_t> textIndex(FFields.size(), 0);
    std::size_t fixedRowBytes = 1 + (columnField.size() + 3) / 4;
    for (std::uint32_t fi = 0, k = 0; fi < FFields.size(); ++fi) {
        if (FStore.isPacked(fi)) textIndex[fi] = k++;
    }
    for (std::uint32_t fi : columnField) {
        // a text's bytes are counted with the arena below; 2 for its length and an empty
        // text's single byte
        fixedRowBytes +=
            FStore.isPacked(fi) ? 2 : static_cast<std::size_t>(FFields[fi].iFldLen) + 4;
    }
    // Room for every row up front, so that the packet is not moved while it grows.
    writer->reserveRows(static_cast<std::size_t>(rowCount) * fixedRowBytes +
                        (FStore.arenaBytes() - FStore.garbageBytes()));

    static const unsigned char kEmptyText[1] = {0};
    static const unsigned char kNoNestedRows[4] = {0, 0, 0, 0};
    std::vector<RowItem> items(columnField.size());
    for (std::uint32_t i = 0; i < rowCount && rc == DBIERR_NONE; ++i) {
        const std::uint32_t r = byOrder ? order->order[i] : i + 1;
        std::uint8_t status = FStore.status(r);
        if (logEmpty && status != recUnmodified) {
            if (status & recReleased) continue;
            if (!FLogChanges && !FHoldsDelta) {
                if (status & (recSuperseded | recDeleted | recReleased)) continue;
                status = recUnmodified;
            }
        }
        if (!texts.empty()) FStore.texts(r, texts.data());
        for (std::size_t c = 0; c < columnField.size(); ++c) {
            const std::uint32_t fi = columnField[c];
            const DSFLDDesc& f = FFields[fi];
            RowItem& item = items[c];
            if (isStructureHead(f)) {
                // The writer keeps a slot of no bytes for a structure or array column.
                item = {putValue, 0, FStore.value(r, fi)};
                continue;
            }
            const std::uint8_t indicator = FStore.indicator(r, fi);
            if (indicator != indValue) {
                item = {indicator, 0, nullptr};
                continue;
            }
            if (FStore.isPacked(fi)) {
                // An empty text is written as one zero byte.
                const std::string_view t = texts[textIndex[fi]];
                const std::size_t n = std::min(t.size(), static_cast<std::size_t>(f.iUnits1));
                item = n == 0 ? RowItem{putValue, 1, kEmptyText}
                              : RowItem{putValue, static_cast<std::int32_t>(n), t.data()};
                continue;
            }
            const unsigned char* v = FStore.value(r, fi);
            switch (f.iFldType) {
                case fldZSTRING:  // of storage length 0
                    item = {putValue, 1, kEmptyText};
                    break;
                case fldVARBYTES:
                case fldUNICODE: {
                    std::uint32_t n = decodeFixed16(v);
                    if (n > static_cast<std::uint32_t>(f.iUnits1))
                        n = static_cast<std::uint32_t>(f.iUnits1);
                    if (n > static_cast<std::uint32_t>(f.iFldLen - 2))
                        n = static_cast<std::uint32_t>(f.iFldLen - 2);
                    // The bytes follow the stored length; an empty value is present all the
                    // same, so the writer gets a pointer even for length 0 (null means null).
                    item = {putValue, static_cast<std::int32_t>(n), v + 2};
                    break;
                }
                case fldBLOB:
                    // BLOB content lives outside the column store, which this engine does not
                    // keep: a BLOB is written empty.
                    item = {putValue, 0, v};
                    break;
                case fldTABLE:
                    item = {putValue, 4, kNoNestedRows};
                    break;
                default:
                    item = {putValue, f.iFldLen, v};
                    break;
            }
        }
        rc = writer->putRow(status, items.data(), items.size());
    }
    if (rc != DBIERR_NONE) return rc;
    return writer->getPacket(&packet);
}
