#include "dataset/FieldClasses.h"

#include "dataset/Exceptions.h"
#include "dataset/FieldDefs.h"
#include "platform/Unicode.h"

TField::TField(TFieldType dataType) : FDataType(dataType) {}
TField::~TField() = default;

void TField::SetFieldName(const std::u16string& name) {
    FFieldName = name;
    FFieldNameHashValue = nameHash(name);
}

void TField::SetSize(std::int32_t size) {
    if (size != 0) checkFieldSize(FDataType, size);
    FSize = size;
}

TStringField::TStringField(TFieldType dataType) : TField(dataType) {}

namespace {
// The classes the station table never uses: created with their name, type and size only.
class TGenericField : public TField {
  public:
    TGenericField(TFieldType type, const char* className) : TField(type), FClassName(className) {}
    std::u16string ClassName() const override { return asciiToUtf16(FClassName); }

  private:
    const char* FClassName;
};

struct ClassInfo {
    const char* name;  // nullptr: the type has no class
    bool sized;        // the class accepts a size of its own (checked for sign only)
};

ClassInfo classInfo(TFieldType type) {
    switch (type) {
        case ftString:
        case ftFixedChar:
        case ftOraInterval:
            return {"TStringField", true};
        case ftTime:
            return {"TTimeField", false};
        case ftInteger:
            return {"TIntegerField", false};
        case ftSmallint:
            return {"TSmallintField", false};
        case ftWord:
            return {"TWordField", false};
        case ftBoolean:
            return {"TBooleanField", false};
        case ftFloat:
            return {"TFloatField", false};
        case ftCurrency:
            return {"TCurrencyField", false};
        case ftBCD:
            return {"TBCDField", true};
        case ftDate:
            return {"TDateField", false};
        case ftDateTime:
            return {"TDateTimeField", false};
        case ftBytes:
            return {"TBytesField", true};
        case ftVarBytes:
            return {"TVarBytesField", true};
        case ftAutoInc:
            return {"TAutoIncField", false};
        case ftBlob:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftOraBlob:
            return {"TBlobField", true};
        case ftMemo:
        case ftOraClob:
            return {"TMemoField", true};
        case ftGraphic:
            return {"TGraphicField", true};
        case ftWideString:
        case ftFixedWideChar:
            return {"TWideStringField", true};
        case ftLargeint:
            return {"TLargeintField", false};
        case ftADT:
            return {"TADTField", true};
        case ftArray:
            return {"TArrayField", true};
        case ftReference:
            return {"TReferenceField", true};
        case ftDataSet:
            return {"TDataSetField", true};
        case ftVariant:
            return {"TVariantField", false};
        case ftInterface:
            return {"TInterfaceField", false};
        case ftIDispatch:
            return {"TIDispatchField", false};
        case ftGuid:
            return {"TGuidField", true};
        case ftTimeStamp:
        case ftOraTimeStamp:
            return {"TSQLTimeStampField", false};
        case ftFMTBcd:
            return {"TFMTBCDField", true};
        case ftWideMemo:
            return {"TWideMemoField", true};
        case ftLongWord:
            return {"TLongWordField", false};
        case ftShortint:
            return {"TShortintField", false};
        case ftByte:
            return {"TByteField", false};
        case ftExtended:
            return {"TExtendedField", false};
        case ftTimeStampOffset:
            return {"TSQLTimeStampOffsetField", false};
        case ftSingle:
            return {"TSingleField", false};
        default:
            return {nullptr, false};
    }
}
}  // namespace

bool fieldClassExists(TFieldType type) {
    return classInfo(type).name != nullptr;
}

void checkFieldSize(TFieldType type, std::int32_t size) {
    const ClassInfo info = classInfo(type);
    if (info.name == nullptr || size == 0) return;
    // Classes with a size of their own reject a negative one; every other class keeps the base
    // check, which accepts no size at all.
    if (info.sized ? size < 0 : true) throw EDatabaseError(u"Invalid field size");
}

std::unique_ptr<TField> createField(TFieldType type, const std::u16string& fieldName) {
    std::unique_ptr<TField> field;
    switch (type) {
        case ftString:
        case ftFixedChar:
        case ftOraInterval:
            field = std::make_unique<TStringField>(type);
            break;
        case ftTime:
            field = std::make_unique<TTimeField>();
            break;
        case ftDateTime:
            field = std::make_unique<TDateTimeField>();
            break;
        case ftInteger:
            field = std::make_unique<TIntegerField>();
            break;
        default: {
            const ClassInfo info = classInfo(type);
            if (info.name == nullptr)
                throw EDatabaseError(
                    formatMessage(u"Field '%s' is of an unknown type", {fieldName}));
            field = std::make_unique<TGenericField>(type, info.name);
        }
    }
    field->SetFieldName(fieldName);
    return field;
}

TField* TFields::FindField(std::u16string_view name) const {
    const std::uint32_t hash = nameHash(name);
    for (const auto& f : FItems)
        if (f->FieldNameHashValue() == hash && sameTextIgnoringCase(f->FieldName(), name))
            return f.get();
    return nullptr;
}
