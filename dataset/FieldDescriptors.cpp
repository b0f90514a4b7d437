#include "dataset/FieldDescriptors.h"

#include <cstdlib>
#include <cstring>

#include "packet/SubtypeNames.h"
#include "platform/Unicode.h"

EngineFieldType engineFieldType(TFieldType type) {
    switch (type) {
        case ftString:
            return {fldZSTRING, 0};
        case ftFixedChar:
            return {fldZSTRING, subtypeFixedChar};
        case ftGuid:
            return {fldZSTRING, subtypeGuid};
        case ftOraInterval:
            return {fldZSTRING, subtypeOraInterval};
        case ftDate:
            return {fldDATE, 0};
        case ftBlob:
            return {fldBLOB, subtypeBinary};
        case ftMemo:
            return {fldBLOB, subtypeText};
        case ftGraphic:
            return {fldBLOB, subtypeGraphics};
        case ftFmtMemo:
            return {fldBLOB, subtypeFormatted};
        case ftParadoxOle:
            return {fldBLOB, subtypeOle};
        case ftDBaseOle:
            return {fldBLOB, subtypeDBaseOle};
        case ftTypedBinary:
            return {fldBLOB, subtypeTypedBinary};
        case ftOraClob:
            return {fldBLOB, subtypeHMemo};
        case ftOraBlob:
            return {fldBLOB, subtypeHBinary};
        case ftWideMemo:
            return {fldBLOB, subtypeWideText};
        case ftBoolean:
            return {fldBOOL, 0};
        case ftSmallint:
            return {fldINT16, 0};
        case ftInteger:
            return {fldINT32, 0};
        case ftAutoInc:
            return {fldINT32, subtypeAutoinc};
        case ftFloat:
            return {fldFLOAT, 0};
        case ftCurrency:
            return {fldFLOAT, subtypeMoney};
        case ftBCD:
            return {fldBCD, 0};
        case ftBytes:
            return {fldBYTES, 0};
        case ftTime:
            return {fldTIME, 0};
        case ftDateTime:
            return {fldTIMESTAMP, 0};
        case ftWord:
            return {fldUINT16, 0};
        case ftLongWord:
            return {fldUINT32, 0};
        case ftExtended:
            return {fldFLOATIEEE, 0};
        case ftVarBytes:
            return {fldVARBYTES, 0};
        case ftCursor:
            return {fldCURSOR, 0};
        case ftLargeint:
            return {fldINT64, 0};
        case ftADT:
            return {fldADT, 0};
        case ftArray:
            return {fldARRAY, 0};
        case ftReference:
            return {fldREF, 0};
        case ftDataSet:
            return {fldTABLE, 0};
        case ftTimeStamp:
            return {fldDATETIME, subtypeTimeStamp};
        case ftOraTimeStamp:
            return {fldDATETIME, subtypeOraTimeStamp};
        case ftFMTBcd:
            return {fldFMTBCD, 0};
        case ftSingle:
            return {fldSINGLE, 0};
        case ftShortint:
            return {fldINT8, 0};
        case ftByte:
            return {fldUINT8, 0};
        case ftTimeStampOffset:
            return {fldDATETIMEOFFSET, 0};
        case ftWideString:
            return {fldUNICODE, 0};
        case ftFixedWideChar:
            return {fldUNICODE, subtypeFixedChar};
        default:
            return {0, 0};  // unknown, variant, interface, ... have no engine type
    }
}

DSFLDDesc fieldDefToDescriptor(const TFieldDef& def) {
    DSFLDDesc d;
    std::memset(&d, 0, sizeof d);
    const std::string name = utf16ToUtf8(def.Name());
    std::memcpy(d.szName, name.data(), std::min<std::size_t>(name.size(), 32));
    d.szName[31] = '\0';  // a longer name is cut at 31 bytes, whatever the character boundaries
    const auto engineType = engineFieldType(def.DataType());
    d.iFldType = engineType.type;
    d.iFldSubType = engineType.subType;
    d.bCalculated = def.InternalCalcField() ? -1 : 0;
    d.iFldAttr = def.Attributes();
    switch (def.DataType()) {
        case ftString:
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
        case ftMemo:
        case ftGraphic:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftFixedChar:
        case ftADT:
        case ftArray:
        case ftDataSet:
        case ftOraBlob:
        case ftOraClob:
        case ftGuid:
            d.iUnits1 = def.Size();
            break;
        case ftBCD:
        case ftFMTBcd:
            d.iUnits1 = def.Precision() >= 1 && def.Precision() <= 32 ? def.Precision() : 32;
            d.iUnits2 = def.Size();
            break;
        case ftWideString:
        case ftFixedWideChar:
        case ftWideMemo:
            d.iUnits1 = def.Size() * 2;
            break;
        default:
            break;
    }
    return d;
}

namespace {
// Type class of a "string.uni" parameter value (bits 16 to 21 of its type word).
constexpr std::uint32_t kWideTextClass = 10;

void appendDescriptors(const TFieldDefs& defs, std::vector<DSFLDDesc>& out) {
    for (int i = 0; i < defs.Count(); ++i) {
        out.push_back(fieldDefToDescriptor(defs[i]));
        if (defs[i].HasChildDefs()) appendDescriptors(defs[i].ChildDefs(), out);
    }
}

TFieldType fieldTypeOfEngineType(std::int32_t type) {
    switch (type) {
        case fldZSTRING:
            return ftString;
        case fldDATE:
            return ftDate;
        case fldBLOB:
            return ftBlob;
        case fldBOOL:
            return ftBoolean;
        case fldINT16:
            return ftSmallint;
        case fldINT32:
            return ftInteger;
        case fldFLOAT:
            return ftFloat;
        case fldBCD:
            return ftBCD;
        case fldBYTES:
            return ftBytes;
        case fldTIME:
            return ftTime;
        case fldTIMESTAMP:
            return ftDateTime;
        case fldUINT16:
            return ftWord;
        case fldUINT32:
            return ftLongWord;
        case fldFLOATIEEE:
            return ftExtended;
        case fldVARBYTES:
            return ftVarBytes;
        case fldINT64:
        case fldUINT64:
            return ftLargeint;
        case fldADT:
            return ftADT;
        case fldARRAY:
            return ftArray;
        case fldREF:
            return ftReference;
        case fldTABLE:
            return ftDataSet;
        case fldDATETIME:
            return ftTimeStamp;
        case fldFMTBCD:
            return ftFMTBcd;
        case 26:
            return ftWideString;
        case fldSINGLE:
            return ftSingle;
        case fldINT8:
            return ftShortint;
        case fldUINT8:
            return ftByte;
        case fldDATETIMEOFFSET:
            return ftTimeStampOffset;
        case fldUNICODE:
            return ftWideString;
        default:
            return ftUnknown;
    }
}

struct Walk {
    IDSBase& table;
    const std::vector<DSFLDDesc>& descriptors;
    std::size_t next = 0;
    std::int32_t fieldNo = 1;

    // The "FIELDNAME" parameter of a field, when it exists.
    bool longName(std::int32_t number, std::u16string& name) {
        std::uint32_t type = 0, length = 0;
        if (table.getOptionalParameter(static_cast<std::uint32_t>(number), kFieldNameParameter,
                                       &type, &length, nullptr) != DBIERR_NONE)
            return false;
        std::string bytes(length, '\0');
        if (table.getOptionalParameter(static_cast<std::uint32_t>(number), kFieldNameParameter,
                                       &type, &length, bytes.data()) != DBIERR_NONE)
            return false;
        if (((type >> 16) & 0x3F) == kWideTextClass) {
            // UTF-16LE: read back from an XML document, where a parameter without a type is
            // wide text.
            name.clear();
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                name.push_back(
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
            return true;
        }
        bytes.resize(strnlen(bytes.data(), bytes.size()));
        name = utf8ToUtf16(bytes);
        return true;
    }

    // Reads one descriptor (and its children) into defs.
    void one(TFieldDefs& defs) {
        const DSFLDDesc& d = descriptors[next++];
        if (d.iFldAttr & faLink) {
            ++fieldNo;
            return;
        }
        const std::u16string decoded =
            utf8ToUtf16(std::string(d.szName, strnlen(d.szName, sizeof d.szName)));
        std::u16string name = decoded;
        std::u16string restored;
        if (decoded.size() == 31 && longName(fieldNo, restored)) name = restored;
        for (int k = 1; defs.IndexOf(name) >= 0; ++k)
            name = decoded + u"_" + asciiToUtf16(std::to_string(k));

        TFieldType type = fieldTypeOfEngineType(d.iFldType);
        std::int32_t size = 0, precision = 0;
        switch (d.iFldType) {
            case fldZSTRING:
            case fldBYTES:
            case fldVARBYTES:
            case fldADT:
            case fldARRAY:
                size = d.iUnits1;
                if (d.iFldSubType == subtypeGuid) type = ftGuid;
                break;
            case fldBLOB:
                size = d.iUnits1;
                switch (d.iFldSubType) {
                    case subtypeText:
                        type = ftMemo;
                        break;
                    case subtypeBinary:
                        type = ftBlob;
                        break;
                    case subtypeFormatted:
                        type = ftFmtMemo;
                        break;
                    case subtypeOle:
                        type = ftParadoxOle;
                        break;
                    case subtypeGraphics:
                        type = ftGraphic;
                        break;
                    case subtypeDBaseOle:
                        type = ftDBaseOle;
                        break;
                    case subtypeTypedBinary:
                        type = ftTypedBinary;
                        break;
                    case subtypeWideText:
                        type = ftWideMemo;
                        break;
                    case subtypeHMemo:
                        type = ftOraClob;
                        break;
                    case subtypeHBinary:
                        type = ftOraBlob;
                        break;
                    default:
                        break;
                }
                break;
            case fldINT16:
            case fldUINT16:
                if (d.iFldLen != 2) type = ftUnknown;
                break;
            case fldINT32:
                if (d.iFldSubType == subtypeAutoinc) type = ftAutoInc;
                break;
            case fldFLOAT:
                if (d.iFldSubType == subtypeMoney) type = ftCurrency;
                break;
            case fldBCD:
            case fldFMTBCD:
                precision = d.iUnits1;
                size = std::abs(d.iUnits2);
                break;
            case fldTABLE:
                if (d.iFldSubType == subtypeReference) type = ftReference;
                break;
            case fldUNICODE:
                size = d.iUnits1 / 2;
                break;
            default:
                break;
        }
        if (type == ftUnknown) {
            // No definition, but the field keeps its engine number, so that the fields after it
            // read their own values and not a neighbour's.
            ++fieldNo;
            return;
        }

        TFieldDef& def = defs.AddFieldDef();
        def.SetFieldNo(fieldNo++);
        def.SetName(name);
        def.SetDataType(type);
        def.SetSize(size);
        def.SetPrecision(precision);
        TFieldAttributes attributes = static_cast<TFieldAttributes>(d.iFldAttr);
        if (d.iFldSubType == subtypeFixedChar) attributes |= faFixed;
        def.SetAttributes(attributes);
        def.SetInternalCalcField(d.bCalculated != 0);
        if (type == ftADT) {
            for (std::int32_t c = 0; c < d.iUnits1 && next < descriptors.size(); ++c)
                one(def.ChildDefs());
        } else if (type == ftArray) {
            if (next < descriptors.size()) one(def.ChildDefs());
            fieldNo += d.iUnits2;
        }
    }
};
}  // namespace

std::vector<DSFLDDesc> fieldDefsToDescriptors(const TFieldDefs& defs) {
    std::vector<DSFLDDesc> out;
    appendDescriptors(defs, out);
    return out;
}

void descriptorsToFieldDefs(IDSBase& table, TFieldDefs& defs, void (*raise)(IDSBase&, DBResult)) {
    raise(table, table.setProperty(propUndefinedArrays, 1));
    DSTableInfo info;
    raise(table, table.getTableInfo(&info));
    std::vector<DSFLDDesc> descriptors(info.iFields);
    if (!descriptors.empty()) raise(table, table.getFieldDescriptors(descriptors.data()));
    defs.Clear();
    Walk walk{table, descriptors};
    while (walk.next < descriptors.size()) walk.one(defs);
}
