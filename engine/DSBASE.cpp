#include "engine/DSBASE.h"

#include <algorithm>
#include <cstring>

#include "packet/SubtypeNames.h"

namespace {
// Storage length of a field by engine type, or 0 when the type takes no storage of its own.
std::int32_t fixedStorageLength(std::int32_t type, std::int32_t precision) {
    switch (type) {
        case fldDATE:
        case fldINT32:
        case fldTIME:
        case fldUINT32:
        case 4100:
        case fldBLOB:
        case fldSINGLE:
        case fldTABLE:
            return 4;
        case fldBOOL:
        case fldINT16:
        case fldUINT16:
        case fldINT8:
        case fldUINT8:
        case 4099:
            return 2;
        case fldFLOAT:
        case fldTIMESTAMP:
        case fldINT64:
        case fldUINT64:
            return 8;
        case fldBCD:
        case fldFMTBCD:
            return precision == 0 ? 34 : (precision + 1) / 2 + 2;
        case fldFLOATIEEE:
            return 10;
        case fldDATETIME:
            return 16;
        case fldDATETIMEOFFSET:
            return 20;
        default:
            return 0;
    }
}

// Number of descriptors of the subtree that starts at index i (the field and its children).
std::size_t subtreeSize(const DSFLDDesc* d, std::size_t count, std::size_t i) {
    std::size_t n = 1;
    if (d[i].iFldType == fldADT) {
        for (std::int32_t c = 0; c < d[i].iUnits1 && i + n < count; ++c)
            n += subtreeSize(d, count, i + n);
    } else if (d[i].iFldType == fldARRAY) {
        if (i + 1 < count) n += subtreeSize(d, count, i + 1);
    }
    return n;
}

constexpr std::int32_t kMaxDecimalPrecision = 64;

// The longest record a table accepts: far beyond any real row, small enough that the records
// a packet of a few kilobytes can declare stay within memory.
constexpr std::int64_t kMaxRecordLength = 4 << 20;

// The most fields a table can hold: each has a 16-bit field id, counted from 1.
constexpr std::size_t kMaxFieldCount = 0xFFFF;

void copyName(char (&dst)[32], const std::string& name) {
    std::memset(dst, 0, sizeof dst);
    std::memcpy(dst, name.data(), std::min<std::size_t>(name.size(), 31));
}
}  // namespace

DSBASE::DSBASE() = default;
DSBASE::~DSBASE() = default;

std::shared_ptr<DSIDX> DSBASE::defaultOrder() const {
    for (const auto& idx : FIndexes)
        if (idx->name == "DEFAULT_ORDER") return idx;
    return nullptr;
}

// Copies the descriptors, expanding each array field into its elements "name[i]".
// definedToField, when given, receives for each input descriptor the index of the expanded
// field that stands for it (an array's element descriptor: its first element).
DBResult DSBASE::expandDescriptors(std::uint32_t fieldCount, const DSFLDDesc* d,
                                   std::vector<DSFLDDesc>& out,
                                   std::vector<std::uint32_t>* definedToField) const {
    std::size_t i = 0;
    while (i < fieldCount) {
        const DSFLDDesc& f = d[i];
        if (definedToField) definedToField->push_back(static_cast<std::uint32_t>(out.size()));
        out.push_back(f);
        if (f.iFldType != fldARRAY) {
            ++i;
            continue;
        }
        if (f.iUnits1 <= 0 || i + 1 >= fieldCount) return errInvalidFieldType;
        const std::size_t elementStart = i + 1;
        const std::size_t elementSize = subtreeSize(d, fieldCount, elementStart);
        std::string base(f.szName, strnlen(f.szName, sizeof f.szName));
        for (std::int32_t e = 0; e < f.iUnits1; ++e) {
            std::string suffix = "[" + std::to_string(e) + "]";
            std::string name =
                base.substr(0, 31 - std::min<std::size_t>(31, suffix.size())) + suffix;
            std::vector<DSFLDDesc> element;
            std::vector<std::uint32_t> elementMap;
            DBResult rc = expandDescriptors(static_cast<std::uint32_t>(elementSize),
                                            d + elementStart, element, &elementMap);
            if (rc != DBIERR_NONE) return rc;
            if (e == 0 && definedToField) {
                for (auto m : elementMap)
                    definedToField->push_back(static_cast<std::uint32_t>(out.size()) + m);
            }
            copyName(element.front().szName, name);
            out.insert(out.end(), element.begin(), element.end());
            // Element counts come from packets: arrays of arrays could otherwise ask for
            // billions of fields. Field ids are 16-bit, which bounds every table.
            if (out.size() > kMaxFieldCount) return errInvalidFieldType;
        }
        i = elementStart + elementSize;
    }
    return DBIERR_NONE;
}

// Storage lengths, value offsets, indicator offsets and field ids, and the record length.
DBResult DSBASE::computeLayout(std::vector<DSFLDDesc>& fields, std::uint32_t& recordLength) const {
    std::int64_t offset = 0;
    for (auto& f : fields) {
        std::int32_t len = 0;
        switch (f.iFldType) {
            case fldZSTRING:
                if (f.iFldLen != 0) {
                    len = f.iFldLen;
                    f.iUnits1 = len - 1;
                } else if (f.iUnits1 != 0) {
                    len = f.iUnits1 + 1;
                } else {
                    return errInvalidParameter;
                }
                break;
            case fldBYTES:
                if (f.iFldLen != 0) {
                    len = f.iFldLen;
                    f.iUnits1 = len;
                } else if (f.iUnits1 != 0) {
                    len = f.iUnits1;
                } else {
                    return errInvalidParameter;
                }
                break;
            case fldVARBYTES:
            case fldUNICODE:
                len = f.iUnits1 + 2;
                break;
            case fldTABLE:
                if (f.iUnits1 == 0) return errInvalidFieldType;
                len = 4;
                break;
            case fldADT:
            case fldARRAY:
                if (f.iUnits1 == 0) return errInvalidFieldType;
                len = 0;
                break;
            case fldBCD:
            case fldFMTBCD:
                // A decimal has at most 64 digits (34 bytes); precision 0 stands for that.
                if (f.iUnits1 < 0 || f.iUnits1 > kMaxDecimalPrecision) return errInvalidFieldType;
                len = fixedStorageLength(f.iFldType, f.iUnits1);
                break;
            default:
                len = fixedStorageLength(f.iFldType, f.iUnits1);
                if (len == 0) return errInvalidFieldType;
                break;
        }
        if (len < 0 || len > kMaxStorageLength) return errInvalidFieldType;
        f.iFldLen = len;
        // A decimal field keeps precision 0: it stands for the full 34-byte value, and a width
        // of 1 would be written out as precision 1, which a later load stores in 3 bytes.
        const bool decimal = f.iFldType == fldBCD || f.iFldType == fldFMTBCD;
        if (f.iFldType != fldBLOB && !decimal && f.iUnits1 == 0) f.iUnits1 = 1;
        f.iFldOffsInRec = static_cast<std::int32_t>(offset);
        offset += len;
    }
    std::uint16_t id = 1;
    std::vector<std::uint16_t> parents;  // ids of open structured fields
    std::vector<std::int32_t> remaining;
    for (auto& f : fields) {
        f.iNullOffsInRec = static_cast<std::int32_t>(offset + (id - 1));
        f.iFieldID = id;
        f.iFieldIDParent = parents.empty() ? 0 : parents.back();
        if (!remaining.empty() && --remaining.back() == 0) {
            // closes every structure whose last child this was
            while (!remaining.empty() && remaining.back() == 0) {
                remaining.pop_back();
                parents.pop_back();
            }
        }
        if (f.iFldType == fldADT || f.iFldType == fldARRAY) {
            parents.push_back(id);
            // an ADT's children are its iUnits1 sub-fields; an expanded array's are its elements
            remaining.push_back(f.iUnits1);
        }
        ++id;
    }
    // Widths and element counts come from packets: a few hundred bytes could otherwise ask
    // for records of gigabytes (and overflow the 32-bit record sizes of the dataset layer).
    if (offset + static_cast<std::int64_t>(fields.size()) > kMaxRecordLength)
        return errInvalidFieldType;
    recordLength = static_cast<std::uint32_t>(offset + fields.size());
    return DBIERR_NONE;
}

void DSBASE::createIndex(const std::string& name, bool changeIndex) {
    ++FGeneration;
    auto idx = std::make_shared<DSIDX>();
    idx->name = name;
    idx->id = FNextIndexId++;
    idx->isChangeIndex = changeIndex;
    idx->capacity = FLiveCount + 10;
    FIndexes.push_back(std::move(idx));
}

void DSBASE::resetDefinition() {
    FDefined = false;
    FName.clear();
    FDefinedFields.clear();
    FFields.clear();
    FDefinedToField.clear();
    FRecordLength = 0;
    FScratch.clear();
    FAutoIncField = -1;
    FIndexes.clear();
    resetStore();
}

DBResult DSBASE::defineTable(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                             const char* name) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (FDefined) return DBIERR_NONE;
    if (fieldCount > 0 && descriptors == nullptr) return errInvalidParameter;

    FName = name ? name : "";
    std::vector<DSFLDDesc> fields;
    std::vector<std::uint32_t> definedToField;
    DBResult rc = expandDescriptors(fieldCount, descriptors, fields, &definedToField);
    if (rc == DBIERR_NONE && fields.size() > kMaxFieldCount) rc = errInvalidFieldType;
    std::uint32_t recordLength = 0;
    if (rc == DBIERR_NONE) rc = computeLayout(fields, recordLength);
    if (rc != DBIERR_NONE) {
        resetDefinition();
        return rc;
    }

    // The descriptors as defined, completed from the expanded field each stands for.
    FDefinedFields.assign(descriptors, descriptors + fieldCount);
    FDefinedToField = std::move(definedToField);
    for (std::size_t i = 0; i < FDefinedFields.size(); ++i) {
        const DSFLDDesc& done = fields[FDefinedToField[i]];
        DSFLDDesc& d = FDefinedFields[i];
        d.iFldLen = done.iFldLen;
        d.iUnits1 = d.iFldType == fldARRAY ? d.iUnits1 : done.iUnits1;
        d.iFldOffsInRec = done.iFldOffsInRec;
        d.iNullOffsInRec = done.iNullOffsInRec;
        d.iFieldID = done.iFieldID;
        d.iFieldIDParent = done.iFieldIDParent;
    }

    FFields = std::move(fields);
    FRecordLength = recordLength;

    FAutoIncField = -1;
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        if (FFields[i].iFldSubType == subtypeAutoinc && FFields[i].iFldLen == 4) {
            FAutoIncField = static_cast<int>(i);
            break;
        }
    }
    FNextAutoInc = 1;

    resetStore();
    FStore.setLayout(FFields);
    if (!defaultOrder()) createIndex("DEFAULT_ORDER", false);
    createIndex("CHANGEINDEX", true);

    FScratch.assign(FRecordLength, 0);
    FDefined = true;
    return DBIERR_NONE;
}

DBResult DSBASE::getTableInfo(DSTableInfo* info) {
    if (info == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->szTableName, FName.data(), std::min<std::size_t>(FName.size(), 260));
    info->iFields =
        static_cast<std::uint32_t>(FReportUndefinedArrays ? FDefinedFields.size() : FFields.size());
    info->iRecBufSize = FRecordLength;
    info->iBookMarkSize = kBookmarkSize;
    info->bReadOnly = FReadOnly ? 1 : 0;
    info->iIndexes = static_cast<std::uint32_t>(std::count_if(
        FIndexes.begin(), FIndexes.end(), [](const auto& i) { return !i->isChangeIndex; }));
    info->iOptParams = static_cast<std::uint32_t>(std::count_if(
        FOptParams.begin(), FOptParams.end(), [](const auto& p) { return p.fieldNo == 0; }));
    info->bDelta = FHoldsDelta ? 1 : 0;
    info->iLCID = FLocale;
    return DBIERR_NONE;
}

DBResult DSBASE::getFieldDescriptors(DSFLDDesc* descriptors) {
    if (descriptors == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    const auto& src = FReportUndefinedArrays ? FDefinedFields : FFields;
    for (std::size_t i = 0; i < src.size(); ++i) {
        descriptors[i] = src[i];
        const std::uint32_t fieldNo = src[i].iFieldID;
        descriptors[i].iOptParameters = static_cast<std::int32_t>(
            std::count_if(FOptParams.begin(), FOptParams.end(),
                          [&](const auto& p) { return p.fieldNo == fieldNo; }));
    }
    return DBIERR_NONE;
}

DBResult DSBASE::getErrorText(DBResult code, char* text, std::size_t capacity) {
    // The message texts are ASCII, so they read the same as UTF-8 and as single-byte text.
    return copyEngineMessage(code, text, capacity);
}

DBResult DSBASE::getProperty(std::uint32_t id, std::uint32_t* value) {
    if (value == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    switch (id) {
        case propLogChanges:
            *value = FLogChanges;
            break;
        case propReadOnly:
            *value = FReadOnly;
            break;
        case propChangeCount:
            return changeCount(value);
        case propConstraintsDisabled:
            *value = FConstraintsDisabled;
            break;
        case propPartialPacket:
            *value = FPartial;
            break;
        case propLiveRecordCount:
            *value = FLiveCount;
            break;
        case propNoAutoIncField:
            *value = FAutoIncField < 0;
            break;
        case propHoldsDelta:
            *value = FHoldsDelta;
            break;
        case propOmitMetadata:
            *value = FOmitMetadata;
            break;
        case propSavePoint:
            return FLog.currentSavePoint(value);
        case propUndefinedArrays:
            *value = FReportUndefinedArrays;
            break;
        case propChangeIndexView:
            *value = FChangeIndexView;
            break;
        case propStreamMode:
            *value = FStreamMode;
            break;
        case propDeletesDisabled:
            *value = FDeletesDisabled;
            break;
        case propInsertsDisabled:
            *value = FInsertsDisabled;
            break;
        case propModifiesDisabled:
            *value = FModifiesDisabled;
            break;
        case propKeepTrailingSpaces:
            *value = FKeepTrailingSpaces;
            break;
        case propChangeCounter:
            *value = FChangeCounter;
            break;
        case propUtf8Metadata:
            *value = FUtf8Metadata;
            break;
        case propUtf8ErrorText:
            *value = FUtf8ErrorText;
            break;
        case propCodePage:
            *value = FCodePage;
            break;
        default:
            if (!isReservedTableProperty(id)) return errInvalidParameter;
            *value = FOtherProperties[id];
    }
    return DBIERR_NONE;
}

DBResult DSBASE::setProperty(std::uint32_t id, std::uint32_t value) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    switch (id) {
        case propLogChanges:
            FLogChanges = value != 0;
            break;
        case propReadOnly:
            FReadOnly = value != 0;
            break;
        case propConstraintsDisabled:
            FConstraintsDisabled = value != 0;
            break;
        case propPartialPacket:
            FPartial = value != 0;
            break;
        case propNoAutoIncField:
            if (value != 0) {
                if (FAutoIncField < 0) return errNotApplicable;
                FAutoIncField = -1;
            }
            break;
        case propOmitMetadata:
            FOmitMetadata = value != 0;
            break;
        case propUndefinedArrays:
            FReportUndefinedArrays = value != 0;
            break;
        case propChangeIndexView:
            FChangeIndexView = value;
            break;
        case propStreamMode:
            FStreamMode = value;
            break;
        case propDeletesDisabled:
            FDeletesDisabled = value != 0;
            break;
        case propInsertsDisabled:
            FInsertsDisabled = value != 0;
            break;
        case propModifiesDisabled:
            FModifiesDisabled = value != 0;
            break;
        case propKeepTrailingSpaces:
            FKeepTrailingSpaces = value != 0;
            break;
        case propChangeCounter:
            FChangeCounter = value;
            break;
        case propUtf8Metadata:
            FUtf8Metadata = value != 0;
            break;
        case propUtf8ErrorText:
            FUtf8ErrorText = value != 0;
            break;
        case propCodePage:
            FCodePage = value;
            break;
        default:  // the change count, live count, delta flag and save point are read-only
            if (!isReservedTableProperty(id)) return errInvalidParameter;
            FOtherProperties[id] = value;
    }
    return DBIERR_NONE;
}

std::vector<DSBASE::OptionalParameter>::iterator DSBASE::findOptionalParameter(
    std::uint32_t fieldNo, const char* name) {
    return std::find_if(FOptParams.begin(), FOptParams.end(), [&](const OptionalParameter& p) {
        return p.fieldNo == fieldNo && strcasecmp(p.name.c_str(), name) == 0;
    });
}

DBResult DSBASE::getOptionalParameter(std::uint32_t fieldNo, const char* name,
                                      std::uint32_t* typeWord, std::uint32_t* length, void* value) {
    if (name == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    auto it = findOptionalParameter(fieldNo, name);
    if (it == FOptParams.end()) return errObjectNotFound;
    if (typeWord) *typeWord = it->typeWord;
    const auto size = static_cast<std::uint32_t>(it->value.size());
    if (value) {
        if (length == nullptr || *length < size) return errInvalidParameter;
        std::memcpy(value, it->value.data(), size);
    }
    if (length) *length = size;
    return DBIERR_NONE;
}

DBResult DSBASE::addOptionalParameter(std::uint32_t fieldNo, const char* name,
                                      std::uint32_t typeWord, std::uint32_t length,
                                      const void* value) {
    ++FGeneration;
    if (name == nullptr || *name == '\0' || (length > 0 && value == nullptr))
        return errInvalidParameter;
    std::lock_guard guard(FLock);
    if (fieldNo > FFields.size()) return errOutOfRange;
    if (findOptionalParameter(fieldNo, name) != FOptParams.end()) return errNameNotUnique;
    const auto* bytes = static_cast<const unsigned char*>(value);
    FOptParams.push_back(
        {fieldNo, name, typeWord, std::vector<unsigned char>(bytes, bytes + length)});
    return DBIERR_NONE;
}

DBResult DSBASE::dropOptionalParameter(std::uint32_t fieldNo, const char* name) {
    ++FGeneration;
    if (name == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    auto it = findOptionalParameter(fieldNo, name);
    if (it == FOptParams.end()) return errObjectNotFound;
    FOptParams.erase(it);
    return DBIERR_NONE;
}
