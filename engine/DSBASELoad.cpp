// Reading a datapacket into a table: fields from the column descriptors, attributes applied or
// kept, rows placed into record slots with their status bytes, the change log restored.

#include <algorithm>
#include <cstring>

#include "engine/DSBASE.h"
#include "packet/AttributeValues.h"
#include "packet/Coding.h"
#include "packet/DSEXTRACT.h"
#include "packet/StreamMode.h"
#include "packet/SubtypeNames.h"
#include "packet/TypeWord.h"

namespace {
constexpr std::int32_t kUnknownSubtype = 255;
constexpr std::size_t kMinScratch = 258;
// Slots reserved ahead of the rows: a table of ordinary records gets room for every row the
// packet announces; wide records (a null value costs the packet two bits but the store its
// whole width) get at most kReserveAheadBytes, and the store grows as the rows arrive.
constexpr std::uint64_t kOrdinarySlotBytes = 1024;
constexpr std::uint64_t kReserveAheadBytes = 64ull << 20;

bool named(const char* name, const char* known) {
    return strcasecmp(name, known) == 0;
}

// A small number read from an attribute value; 0 for a value too short to hold one (the
// reader delivers a fixed-size value whole, so only an empty value, passed over by the
// callers, comes short).
std::uint32_t smallValue(std::uint32_t typeWord, const std::vector<unsigned char>& value) {
    std::uint32_t number = 0;
    return decodeSmallNumber(typeWord, value, &number) ? number : 0;
}

struct Attribute {
    char name[kAttributeNameCapacity] = {};
    std::uint32_t typeWord = 0;
    std::vector<unsigned char> value;
};

// Reads the next attribute of the reader's current list; errAtEnd when the list has ended.
DBResult readAttribute(IDSReader& reader, Attribute& out) {
    std::uint32_t length = 0;
    DBResult rc = reader.nextAttributeLength(&length);
    if (rc != DBIERR_NONE) return rc;
    try {
        out.value.assign(std::max<std::uint32_t>(length, 1), 0);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    rc = reader.nextAttribute(out.name, &out.typeWord, &length, out.value.data());
    if (rc != DBIERR_NONE) return rc;
    out.value.resize(length);
    return DBIERR_NONE;
}

}  // namespace

DBResult DSBASE::appendPacket(PacketBytes packet, bool last) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    FLastReadFailure = {};
    if (!FDefined) return createFromPacket(std::move(packet), last);

    // Appending further rows to a table that was created from a packet.
    if (!packet) {
        if (FPartial) {
            FPartial = false;
            return DBIERR_NONE;
        }
        return FReader ? DBIERR_NONE : errNotPartial;
    }
    if (!FReader) return errNotPartial;
    FPartial = true;
    DBResult rc = FReader->attachRows(packet);
    if (rc == DBIERR_NONE) {
        const PacketHeader& h = FReader->header();
        if (!((h.packetFlags & PF_ROW_OFFSET) && h.rowCount == 0)) rc = loadRows(*FReader);
    }
    if (rc != DBIERR_NONE) FLastReadFailure = FReader->lastFailure();
    if (rc == DBIERR_NONE) rc = rebuildIndexes();
    if (rc == DBIERR_NONE && last) FPartial = false;
    return rc;
}

DBResult DSBASE::createFromPacket(PacketBytes packet, bool last) {
    if (!packet) return errNotApplicable;
    if (packet->empty()) {
        FLastReadFailure = {"packet is empty", 0};
        return errPacketMismatch;
    }
    auto reader = createPacketReader();
    // Column and attribute names are UTF-8; string values are in the table's code page, which is
    // UTF-8 only for code page 65001.
    reader->setTextEncoding(narrowTextIsUtf8(), FCodePage);
    DBResult rc = reader->openPacket(packet);
    if (rc != DBIERR_NONE) {
        FLastReadFailure = reader->lastFailure();
        return rc;
    }
    if ((reader->header().packetFlags & PF_METADATA) == 0) {
        if (reader->getXmlMode() == 0)
            FLastReadFailure = {"packet has no metadata", kHdrPacketFlags};
        return errNoMetadata;
    }
    FStreamMode = reader->getXmlMode() != 0 ? kStreamModeXml : kStreamModeBinary;

    rc = loadMetadata(*reader);
    if (rc == DBIERR_NONE) rc = loadRows(*reader);
    if (rc == DBIERR_NONE) rc = rebuildIndexes();
    if (rc != DBIERR_NONE) {
        FLastReadFailure = reader->lastFailure();
        resetDefinition();
        FOptParams.clear();
        FPartial = false;
        return rc;
    }
    // A partial table has its fields and rows; further packets append to it.
    FReader = std::move(reader);
    FPartial = !last;
    return DBIERR_NONE;
}

DBResult DSBASE::loadMetadata(IDSReader& reader) {
    std::vector<DSFLDDesc> fields;
    std::vector<std::pair<std::uint32_t, Attribute>> kept;  // field number, attribute
    for (;;) {
        PacketColumnDesc column{};
        DBResult rc = reader.nextColumnDesc(&column);
        if (rc == errAtEnd) break;
        if (rc != DBIERR_NONE) return rc;
        if (typeClass(column.iTypeWord) == clsNested) return errNotSupported;
        FieldTypeOfWord type;
        rc = fieldTypeForTypeWord(column.iTypeWord, &type);
        if (rc != DBIERR_NONE) return rc;
        DSFLDDesc d;
        std::memset(&d, 0, sizeof d);
        std::memcpy(d.szName, column.szName, sizeof d.szName);
        d.szName[31] = '\0';
        d.iFldType = type.fldType;
        d.iFldLen = type.fldLen;
        d.iUnits1 = type.units1;
        if (column.iFieldAttrs != 0) d.iFldAttr = static_cast<std::int16_t>(column.iFieldAttrs);
        const auto fieldNo = static_cast<std::uint32_t>(fields.size() + 1);
        for (;;) {
            Attribute a;
            rc = readAttribute(reader, a);
            if (rc == errAtEnd) break;
            if (rc != DBIERR_NONE) return rc;
            if (a.value.empty()) continue;  // nothing to apply or keep
            if (named(a.name, kAttrWidth) || named(a.name, kAttrElements)) {
                d.iUnits1 = static_cast<std::int32_t>(smallValue(a.typeWord, a.value));
            } else if (named(a.name, kAttrDecimals)) {
                d.iUnits2 = static_cast<std::int32_t>(smallValue(a.typeWord, a.value));
            } else if (named(a.name, kAttrCalculated)) {
                d.bCalculated = static_cast<std::int32_t>(smallValue(a.typeWord, a.value));
            } else if (named(a.name, kAttrSubtype)) {
                std::string_view name;
                if (!decodeSubtypeValue(a.typeWord, a.value, &name)) return errInvalidParameter;
                std::int32_t code = 0;
                if (subtypeCodeFromName(name, &code)) {
                    d.iFldSubType = code;
                    if (code == subtypeAutoinc) d.iFldAttr |= fldAttrReadOnly;
                } else {
                    d.iFldSubType = kUnknownSubtype;
                    kept.emplace_back(fieldNo, std::move(a));
                }
            } else {
                kept.emplace_back(fieldNo, std::move(a));
            }
        }
        fields.push_back(d);
    }
    if (fields.empty()) return errPacketMismatch;

    const std::string name = FName;
    DBResult rc =
        defineTable(static_cast<std::uint32_t>(fields.size()), fields.data(), name.c_str());
    if (rc != DBIERR_NONE) return rc;
    for (auto& [fieldNo, a] : kept) {
        if (findOptionalParameter(fieldNo, a.name) != FOptParams.end()) continue;
        // Kept as read, so that the next save writes it again unchanged (a "string.uni" value
        // stays UTF-16).
        FOptParams.push_back({fieldNo, a.name, a.typeWord, a.value});
    }

    // Table attributes.
    std::vector<DSLogEntry> log;
    for (;;) {
        Attribute a;
        rc = readAttribute(reader, a);
        if (rc == errAtEnd) break;
        if (rc != DBIERR_NONE) return rc;
        if (a.value.empty()) continue;
        bool keep = true;
        if (named(a.name, kAttrChangeLog)) {
            std::vector<ChangeLogTriple> entries;
            if (!decodeChangeLog(a.typeWord, a.value, &entries)) return errInvalidParameter;
            log.clear();
            log.reserve(entries.size());
            for (const ChangeLogTriple& e : entries) log.push_back({e.record, e.other, e.kind});
            keep = false;
        } else if (named(a.name, "DEFAULT_ORDER") || named(a.name, "PRIMARY_KEY") ||
                   named(a.name, "UNIQUE_KEY")) {
            // Keyed orders are not built by this engine; the attribute is kept and written again.
            if (!typeIsArray(a.typeWord)) return errInvalidParameter;
        } else if (named(a.name, kAttrAutoIncValue)) {
            std::uint32_t next = 0;
            if (FAutoIncField >= 0 && decodeAutoIncValue(a.typeWord, a.value, &next))
                FNextAutoInc = next;
            keep = false;
        } else if (named(a.name, "READONLY")) {
            FReadOnly = smallValue(a.typeWord, a.value) != 0;
        } else if (named(a.name, "LCID")) {
            FLocale = smallValue(a.typeWord, a.value);
        } else if (named(a.name, "DATASET_DELTA") || named(a.name, "DELTA")) {
            FHoldsDelta = true;
            FLogChanges = false;
        } else if (named(a.name, "DISABLE_DELETES")) {
            FDeletesDisabled = smallValue(a.typeWord, a.value) != 0;
        } else if (named(a.name, "DISABLE_INSERTS")) {
            FInsertsDisabled = smallValue(a.typeWord, a.value) != 0;
        } else if (named(a.name, "DISABLE_EDITS")) {
            FModifiesDisabled = smallValue(a.typeWord, a.value) != 0;
        } else if (named(a.name, "MD_FIELDLINKS") || named(a.name, "BDEDOMAIN_CL") ||
                   named(a.name, "BDERECORD_CL") || named(a.name, "BDEDEFAULT_CL")) {
            keep = false;
        }
        if (keep && findOptionalParameter(0, a.name) == FOptParams.end())
            FOptParams.push_back({0, a.name, a.typeWord, a.value});
    }
    if (!log.empty()) {
        rc = replaceChangeLog(log);
        if (rc != DBIERR_NONE) return rc;
    }
    return DBIERR_NONE;
}

DBResult DSBASE::loadRows(IDSReader& reader) {
    const PacketHeader& header = reader.header();
    const std::uint64_t rows = std::min(header.rowCount, reader.rowCapacityHint());
    std::uint64_t ahead = rows + 25;
    const std::uint64_t slotBytes = FStore.bytesPerSlot();  // at least 1: the status byte
    if (slotBytes > kOrdinarySlotBytes && ahead * slotBytes > kReserveAheadBytes)
        ahead = std::max<std::uint64_t>(25, kReserveAheadBytes / slotBytes);
    DBResult rc = reserveSlots(static_cast<std::uint32_t>(ahead));
    if (rc != DBIERR_NONE) return rc;
    setLoadGrowth(true);

    std::size_t scratchSize = kMinScratch;
    for (const auto& f : FFields)
        scratchSize = std::max<std::size_t>(scratchSize, static_cast<std::size_t>(f.iFldLen) + 2);
    std::vector<unsigned char> scratch(scratchSize);
    std::vector<unsigned char> record(FRecordLength);
    std::vector<RowValue> values(FFields.size());

    // Puts one value, as the packet gives it, into the record buffer.
    auto place = [&](const DSFLDDesc& f, std::uint8_t indicator, std::int32_t length,
                     const unsigned char* bytes) {
        unsigned char* v = record.data() + f.iFldOffsInRec;
        if (indicator != indValue) {
            record[static_cast<std::size_t>(f.iNullOffsInRec)] =
                indicator == indUnassigned ? indUnassigned : indNull;
            return;
        }
        const std::size_t n = length > 0 ? static_cast<std::size_t>(length) : 0;
        switch (f.iFldType) {
            case fldZSTRING: {
                const std::size_t keep =
                    std::min<std::size_t>(n, static_cast<std::size_t>(f.iUnits1));
                if (keep != 0) std::memcpy(v, bytes, keep);
                v[keep] = 0;
                break;
            }
            case fldVARBYTES:
            case fldUNICODE: {
                const std::size_t keep = std::min({n, static_cast<std::size_t>(f.iUnits1),
                                                   static_cast<std::size_t>(f.iFldLen - 2)});
                putFixed16(v, static_cast<std::uint16_t>(keep));
                if (keep != 0) std::memcpy(v + 2, bytes, keep);
                break;
            }
            case fldBLOB:
                // BLOB content has no storage in this engine: the field reads as null.
                record[static_cast<std::size_t>(f.iNullOffsInRec)] = indNull;
                break;
            default: {
                const std::size_t keep = std::min(n, static_cast<std::size_t>(f.iFldLen));
                if (keep != 0) std::memcpy(v, bytes, keep);
                break;
            }
        }
    };

    // Whole rows at a time where the reader can, stored straight from the packet's bytes; item
    // by item through a record buffer otherwise.
    bool byRow = true;
    for (std::uint32_t row = 0; row < header.rowCount; ++row) {
        std::uint8_t status = 0, indicator = 0;
        std::uint32_t slot = 0;
        if (byRow) {
            rc = reader.nextRow(&status, values.data(), values.size());
            if (rc == errAtEnd) break;
            if (rc == errNotSupported)
                byRow = false;
            else if (rc != DBIERR_NONE)
                return rc;
        }
        if (byRow) {
            rc = storeLoadedRow(values.data(), status, &slot);
            if (rc != DBIERR_NONE) return rc;
            continue;
        }
        std::fill(record.begin(), record.end(), 0);
        std::int32_t length = 1;
        rc = reader.nextFieldValue(&length, &status, &indicator);
        if (rc == errAtEnd) break;
        if (rc != DBIERR_NONE) return rc;
        for (std::size_t fi = 0; fi < FFields.size(); ++fi) {
            const DSFLDDesc& f = FFields[fi];
            length = static_cast<std::int32_t>(scratch.size());
            rc = reader.nextFieldValue(&length, scratch.data(), &indicator);
            if (rc == errFieldBlank) rc = DBIERR_NONE;
            if (rc != DBIERR_NONE) return rc;
            if (f.iFldType == fldADT || f.iFldType == fldARRAY) continue;
            place(f, indicator, length, scratch.data());
        }
        rc = storeInsertWithStatus(record.data(), status, &slot);
        if (rc != DBIERR_NONE) return rc;
    }
    setLoadGrowth(false);
    return DBIERR_NONE;
}
