// Producing a datapacket from a table: column descriptors with their attributes, the table's
// attributes and the rows, handed to a packet writer in one forward pass.

#include <cstring>

#include "Coding.h"
#include "DSBASE.h"
#include "DSDATAPACKET.h"
#include "FieldConverters.h"
#include "SubtypeNames.h"
#include "TypeWord.h"

namespace {
constexpr std::uint32_t kU16Word = 0x00020002;        // unsigned 2-byte value
constexpr std::uint32_t kSubtypeWord = 0x00490002;    // string with a 2-byte length prefix
constexpr std::uint32_t kChangeLogWord = 0x00820004;  // array of u32
constexpr std::uint32_t kAutoIncWord = 0x00010004;    // signed 4-byte value
constexpr std::int32_t kAddedCalculated = 2;          // bCalculated of a field added later

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

DBResult addU16Attribute(IDSWriter& writer, const char* name, std::uint16_t value) {
    unsigned char bytes[2];
    putFixed16(bytes, value);
    return writer.addAttribute(attrColumn, name, kU16Word, sizeof bytes, bytes);
}

// A kept value as the writer takes it: a varying value gets its length prefix back. The
// converter decides, not the type word's varying bit: the decimal classes ignore that bit, and
// a prefix the writer does not strip would shift the value by its width at every save.
std::vector<unsigned char> withPrefix(std::uint32_t typeWord,
                                      const std::vector<unsigned char>& value) {
    std::vector<unsigned char> out;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(typeWord, &conv) == DBIERR_NONE && conv->isVarying()) {
        const auto n = static_cast<std::uint32_t>(value.size());
        switch (conv->size()) {
            case 1:
                out.push_back(static_cast<unsigned char>(n));
                break;
            case 2:
                putFixed16(out, static_cast<std::uint16_t>(n));
                break;
            default:
                putFixed32(out, n);
                break;
        }
    }
    out.insert(out.end(), value.begin(), value.end());
    return out;
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
        rc = writer->initPacket(3, topLevel);
        for (std::size_t c = 0; rc == DBIERR_NONE && c < columns.size(); ++c) {
            const DSFLDDesc& f = FFields[columnField[c]];
            rc = writer->addColumnDesc(columns[c]);
            if (rc == DBIERR_NONE && f.iFldSubType != 0) {
                if (const char* name = subtypeName(f.iFldSubType)) {
                    const std::size_t n = std::strlen(name);
                    std::vector<unsigned char> value;
                    putFixed16(value, static_cast<std::uint16_t>(n + 1));
                    value.insert(value.end(), name, name + n + 1);
                    rc = writer->addAttribute(attrColumn, "SUBTYPE", kSubtypeWord,
                                              static_cast<std::uint32_t>(value.size()),
                                              value.data());
                }
            }
            if (rc == DBIERR_NONE && f.iUnits2 != 0 && !isStructureHead(f))
                rc = addU16Attribute(*writer, "DECIMALS", static_cast<std::uint16_t>(f.iUnits2));
            if (rc == DBIERR_NONE && f.iUnits1 != 0 && carriesWidth(f.iFldType))
                rc = addU16Attribute(*writer, "WIDTH", static_cast<std::uint16_t>(f.iUnits1));
            if (rc == DBIERR_NONE && f.bCalculated != 0 && (f.iFldAttr & fldAttrLink) == 0)
                rc = addU16Attribute(*writer, "CALCULATED", 1);
            for (const auto& p : FOptParams) {
                if (rc != DBIERR_NONE) break;
                if (p.fieldNo != f.iFieldID) continue;
                const auto value = withPrefix(p.typeWord, p.value);
                rc = writer->addAttribute(attrColumn, p.name.c_str(), p.typeWord,
                                          static_cast<std::uint32_t>(value.size()), value.data());
            }
        }
        // Table attributes.
        // A delta table carries no attributes of its own beyond the kept ones: its rows and
        // their statuses are the changes.
        if (rc == DBIERR_NONE && !FLog.empty() && !FHoldsDelta) {
            std::vector<unsigned char> value;
            putFixed32(value, static_cast<std::uint32_t>(FLog.count() * 3));
            for (const DSLogEntry& e : FLog.entries()) {
                putFixed32(value, e.record);
                putFixed32(value, e.other);
                putFixed32(value, e.kind);
            }
            rc = writer->addAttribute(attrTable, "CHANGE_LOG", kChangeLogWord,
                                      static_cast<std::uint32_t>(value.size()), value.data());
        }
        if (rc == DBIERR_NONE && FAutoIncField >= 0 && !FHoldsDelta) {
            unsigned char value[4];
            putFixed32(value, FNextAutoInc);
            rc = writer->addAttribute(attrTable, "AUTOINCVALUE", kAutoIncWord, sizeof value, value);
        }
        bool keptWritten = false;
        for (const auto& p : FOptParams) {
            if (rc != DBIERR_NONE) break;
            if (p.fieldNo != 0) continue;
            const auto value = withPrefix(p.typeWord, p.value);
            rc = writer->addAttribute(attrTable, p.name.c_str(), p.typeWord,
                                      static_cast<std::uint32_t>(value.size()), value.data());
            keptWritten = true;
        }
        if (rc == DBIERR_NONE && !keptWritten)
            rc = writer->addAttribute(attrTable, nullptr, 0, 0, nullptr);
    } else {
        rc = writer->initPacketWithColumns(3, static_cast<std::uint32_t>(columns.size()),
                                           columns.data());
    }
    if (rc != DBIERR_NONE) return rc;

    // Rows: with an empty change log the live records in default order, else every slot.
    const bool logEmpty = FLog.empty() || FOmitMetadata;
    auto order = defaultOrder();
    const bool byOrder = logEmpty && order && order->count() > 0;
    const std::uint32_t rowCount = byOrder ? order->count() : FNext - 1;
    for (std::uint32_t i = 0; i < rowCount && rc == DBIERR_NONE; ++i) {
        const std::uint32_t r = byOrder ? order->order[i] : i + 1;
        std::uint8_t status = FStore.status(r);
        if (logEmpty && status != 0) {
            if (status & recReleased) continue;
            if (!FLogChanges && !FHoldsDelta) {
                if (status & (recSuperseded | recDeleted | recReleased)) continue;
                status = 0;
            }
        }
        rc = writer->putField(putValue, 1, &status);
        for (std::size_t c = 0; c < columnField.size() && rc == DBIERR_NONE; ++c) {
            const std::uint32_t fi = columnField[c];
            const DSFLDDesc& f = FFields[fi];
            if (isStructureHead(f)) {
                // The writer keeps a slot of no bytes for a structure or array column.
                rc = writer->putField(putValue, 0, FStore.value(r, fi));
                continue;
            }
            const std::uint8_t indicator = FStore.indicator(r, fi);
            if (indicator != indValue) {
                rc = writer->putField(indicator, 0, nullptr);
                continue;
            }
            const unsigned char* v = FStore.value(r, fi);
            switch (f.iFldType) {
                case fldZSTRING: {
                    std::size_t n = strnlen(reinterpret_cast<const char*>(v),
                                            static_cast<std::size_t>(f.iFldLen));
                    if (n > static_cast<std::size_t>(f.iUnits1))
                        n = static_cast<std::size_t>(f.iUnits1);
                    rc = writer->putField(putValue, n == 0 ? 1 : static_cast<std::int32_t>(n), v);
                    break;
                }
                case fldVARBYTES:
                case fldUNICODE: {
                    std::uint32_t n = decodeFixed16(v);
                    if (n > static_cast<std::uint32_t>(f.iUnits1))
                        n = static_cast<std::uint32_t>(f.iUnits1);
                    if (n > static_cast<std::uint32_t>(f.iFldLen - 2))
                        n = static_cast<std::uint32_t>(f.iFldLen - 2);
                    // The bytes follow the stored length; an empty value is present all the
                    // same, so the writer gets a pointer even for length 0 (null means null).
                    rc = writer->putField(putValue, static_cast<std::int32_t>(n), v + 2);
                    break;
                }
                case fldBLOB: {
                    // BLOB content lives outside the column store, which this engine does not keep:
                    // a BLOB is written empty.
                    rc = writer->putField(putValue, 0, v);
                    break;
                }
                case fldTABLE: {
                    const unsigned char none[4] = {0, 0, 0, 0};
                    rc = writer->putField(putValue, 4, none);
                    break;
                }
                default:
                    rc = writer->putField(putValue, f.iFldLen, v);
                    break;
            }
        }
    }
    if (rc != DBIERR_NONE) return rc;
    return writer->getPacket(&packet);
}
