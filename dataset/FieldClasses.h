#pragma once
// Field objects: one per column of an open dataset, of the class its field type names.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dataset/DBTypes.h"
#include "dataset/Variant.h"

class TClientDataSet;

// A tagged value as AppendRecord and InsertRecord take them.
enum TVarType : std::uint8_t {
    vtInteger = 0,
    vtBoolean = 1,
    vtChar = 2,
    vtExtended = 3,
    vtString = 4,
    vtPointer = 5,
    vtPChar = 6,
    vtObject = 7,
    vtClass = 8,
    vtWideChar = 9,
    vtPWideChar = 10,
    vtAnsiString = 11,
    vtCurrency = 12,
    vtVariant = 13,
    vtInterface = 14,
    vtWideString = 15,
    vtInt64 = 16,
    vtUnicodeString = 17,
};

struct TVarRec {
    TVarType VType = vtUnicodeString;
    std::int32_t VInteger = 0;
    bool VBoolean = false;
    char VChar = 0;
    char16_t VWideChar = 0;
    double VExtended = 0;  // also the currency value
    std::int64_t VInt64 = 0;
    const void* VPointer = nullptr;  // pointer, object, class, interface
    std::string VAnsi;               // short string, narrow string, narrow characters
    std::u16string VUnicode;         // wide string, wide characters, Unicode string
    Variant VVariant;

    static TVarRec unicode(std::u16string text) {
        TVarRec r;
        r.VType = vtUnicodeString;
        r.VUnicode = std::move(text);
        return r;
    }
    static TVarRec integer(std::int32_t value) {
        TVarRec r;
        r.VType = vtInteger;
        r.VInteger = value;
        return r;
    }
};

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

    // Typed access. A conversion the class does not offer raises
    // "Cannot access field '%s' as type %s".
    virtual std::u16string AsString() const;
    virtual void SetAsString(const std::u16string& value);
    virtual std::string AsAnsiString() const;
    virtual void SetAsAnsiString(const std::string& value);
    virtual std::int32_t AsInteger() const;
    virtual void SetAsInteger(std::int32_t value);
    virtual double AsDateTime() const;
    virtual void SetAsDateTime(double value);
    virtual Variant AsVariant() const;
    virtual void SetAsVariant(const Variant& value);
    virtual void SetAsBoolean(bool value);
    virtual void SetAsFloat(double value);
    virtual void SetAsCurrency(double value);
    virtual void SetAsWideString(const std::u16string& value);
    virtual void SetAsLargeInt(std::int64_t value);

    // Assigns a tagged value; raises "Invalid value for field '%s'" for tags without a meaning.
    void AssignValue(const TVarRec& value);
    // Makes a data field null.
    void Clear() { SetData(nullptr); }
    bool IsNull() const { return !GetData(nullptr); }

    // The paths to and from the dataset. GetData answers whether the field has a value (buffer
    // may be null to ask only that). Without native, the value is converted between the
    // exchange form and the record form.
    bool GetData(void* buffer, bool native = true) const;
    void SetData(const void* buffer, bool native = true);

  protected:
    explicit TField(TFieldType dataType);
    [[noreturn]] void accessError(const char16_t* typeName) const;
    // The dataset's shared input/output buffer.
    unsigned char* ioBuffer() const;
    // Converts a value between the exchange form and the record form.
    virtual void convertToRecord(const void* exchange, void* record) const;
    virtual void convertFromRecord(const void* record, void* exchange) const;

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

    std::u16string AsString() const override;
    void SetAsString(const std::u16string& value) override;
    std::string AsAnsiString() const override;
    void SetAsAnsiString(const std::string& value) override;
    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t value) override;
    Variant AsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    void SetAsWideString(const std::u16string& value) override { SetAsString(value); }

  private:
    // The stored bytes, up to their NUL; nothing when the field is null.
    std::optional<std::string> storedBytes() const;

    bool FFixedChar = false;
    bool FTransliterate = true;
};

class TDateTimeField : public TField {
  public:
    explicit TDateTimeField(TFieldType dataType = ftDateTime) : TField(dataType) {}
    std::u16string ClassName() const override { return u"TDateTimeField"; }
    std::int32_t ioSize() const override { return 8; }

    std::u16string AsString() const override;
    void SetAsString(const std::u16string& value) override;
    double AsDateTime() const override;
    void SetAsDateTime(double value) override;
    Variant AsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    void SetAsFloat(double value) override { SetAsDateTime(value); }

  protected:
    void convertToRecord(const void* exchange, void* record) const override;
    void convertFromRecord(const void* record, void* exchange) const override;
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

    std::u16string AsString() const override;
    void SetAsString(const std::u16string& value) override;
    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t value) override;
    Variant AsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    void SetAsFloat(double value) override;
    void SetAsLargeInt(std::int64_t value) override;

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
