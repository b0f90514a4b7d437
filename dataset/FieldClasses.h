#pragma once
// Field objects: one per column of an open dataset, of the class its field type names.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DBTypes.h"

class TClientDataSet;

class TField {
  public:
    virtual ~TField();
    virtual std::u16string ClassName() const = 0;

    const std::u16string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::u16string& name);
    std::uint32_t FieldNameHashValue() const { return FFieldNameHashValue; }
    const std::u16string& DisplayLabel() const { return FDisplayLabel; }
    void SetDisplayLabel(const std::u16string& label) { FDisplayLabel = label; }
    // DisplayLabel when set, else FieldName; used in messages.
    const std::u16string& DisplayName() const {
        return FDisplayLabel.empty() ? FFieldName : FDisplayLabel;
    }

    std::int32_t FieldNo() const { return FFieldNo; }
    void SetFieldNo(std::int32_t fieldNo) { FFieldNo = fieldNo; }
    TFieldType DataType() const { return FDataType; }
    std::int32_t Size() const { return FSize; }
    void SetSize(std::int32_t size);
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind kind) { FFieldKind = kind; }
    TClientDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TClientDataSet* dataSet) { FDataSet = dataSet; }

    // Bytes the field needs in the dataset's shared input/output buffer.
    virtual std::int32_t ioSize() const { return FSize; }

  protected:
    explicit TField(TFieldType dataType);

  private:
    std::u16string FFieldName;
    std::uint32_t FFieldNameHashValue = 0;
    std::u16string FDisplayLabel;
    std::int32_t FFieldNo = 0;
    TFieldType FDataType;
    std::int32_t FSize = 0;
    bool FRequired = false;
    bool FReadOnly = false;
    TFieldKind FFieldKind = fkData;
    TClientDataSet* FDataSet = nullptr;
};

class TStringField : public TField {
  public:
    explicit TStringField(TFieldType dataType = ftString);
    std::u16string ClassName() const override { return u"TStringField"; }
    std::int32_t ioSize() const override { return std::max(Size() + 1, 8193); }
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool value) { FFixedChar = value; }
    bool Transliterate() const { return FTransliterate; }

  private:
    bool FFixedChar = false;
    bool FTransliterate = true;
};

class TDateTimeField : public TField {
  public:
    explicit TDateTimeField(TFieldType dataType = ftDateTime) : TField(dataType) {}
    std::u16string ClassName() const override { return u"TDateTimeField"; }
    std::int32_t ioSize() const override { return 8; }
};

class TTimeField : public TDateTimeField {
  public:
    TTimeField() : TDateTimeField(ftTime) {}
    std::u16string ClassName() const override { return u"TTimeField"; }
};

class TIntegerField : public TField {
  public:
    explicit TIntegerField(TFieldType dataType = ftInteger) : TField(dataType) {}
    std::u16string ClassName() const override { return u"TIntegerField"; }
    std::int32_t ioSize() const override { return 4; }
    std::int32_t MinValue() const { return FMinValue; }
    std::int32_t MaxValue() const { return FMaxValue; }
    void SetMinValue(std::int32_t v) { FMinValue = v; }
    void SetMaxValue(std::int32_t v) { FMaxValue = v; }
    static constexpr std::int32_t MinRange = INT32_MIN;
    static constexpr std::int32_t MaxRange = INT32_MAX;

  private:
    std::int32_t FMinValue = 0;
    std::int32_t FMaxValue = 0;
};

// Whether a field class exists for the type.
bool fieldClassExists(TFieldType type);
// The class's check of a non-zero size; raises "Invalid field size".
void checkFieldSize(TFieldType type, std::int32_t size);
// A new field object of the type's class; raises "Field '%s' is of an unknown type" when the
// type has no class.
std::unique_ptr<TField> createField(TFieldType type, const std::u16string& fieldName);

// The dataset's field objects in field order.
class TFields {
  public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TField* operator[](int index) const { return FItems.at(index).get(); }
    void Add(std::unique_ptr<TField> field) { FItems.push_back(std::move(field)); }
    void Clear() { FItems.clear(); }
    // First field whose hash and case-insensitive name match, or none.
    TField* FindField(std::u16string_view name) const;

  private:
    std::vector<std::unique_ptr<TField>> FItems;
};
