#pragma once
// Field definitions: the columns a dataset is created with, and the columns read back from its
// engine table at every opening.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/DBTypes.h"

class TComponent;
class TFieldDefs;

// Hash of a name for lookups: computed on the upper-cased UTF-16 code units,
// hash := c XOR (hash rotated left by 5).
std::uint32_t nameHash(std::u16string_view name);

class TFieldDef {
  public:
    explicit TFieldDef(TFieldDefs* collection);
    ~TFieldDef();

    const std::u16string& Name() const { return FName; }
    // Raises "Duplicate name '%s' in %s" when another definition of the collection has the name.
    void SetName(const std::u16string& name);
    std::uint32_t NameHashValue() const { return FNameHashValue; }

    TFieldType DataType() const { return FDataType; }
    // Sets the type, resets the precision and applies the type's default size.
    void SetDataType(TFieldType type);
    std::int32_t Size() const { return FSize; }
    // Sets the size; the field class of the type checks it ("Invalid field size").
    void SetSize(std::int32_t size);
    std::int32_t Precision() const { return FPrecision; }
    void SetPrecision(std::int32_t precision) { FPrecision = precision; }
    TFieldAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TFieldAttributes attributes) { FAttributes = attributes; }
    bool Required() const { return (FAttributes & faRequired) != 0; }
    void SetRequired(bool required);
    bool InternalCalcField() const { return FInternalCalcField; }
    void SetInternalCalcField(bool value) { FInternalCalcField = value; }

    // FFieldNo when above 0, else the item's index + 1.
    std::int32_t FieldNo() const;
    void SetFieldNo(std::int32_t fieldNo) { FFieldNo = fieldNo; }
    std::int32_t Index() const;

    bool HasChildDefs() const { return FChildDefs && FChildDefsCount() > 0; }
    TFieldDefs& ChildDefs();
    TFieldDefs* Collection() const { return FCollection; }

  private:
    std::size_t FChildDefsCount() const;

    TFieldDefs* FCollection;
    std::u16string FName;
    std::uint32_t FNameHashValue = 0;
    TFieldType FDataType = ftUnknown;
    std::int32_t FSize = 0;
    std::int32_t FPrecision = 0;
    TFieldAttributes FAttributes = 0;
    std::int32_t FFieldNo = 0;
    bool FInternalCalcField = false;
    std::unique_ptr<TFieldDefs> FChildDefs;
};

class TFieldDefs {
  public:
    // dataSet: the component whose name prefixes messages; parentDef: set for child collections.
    explicit TFieldDefs(const TComponent* dataSet, TFieldDef* parentDef = nullptr);
    ~TFieldDefs();
    TFieldDefs(const TFieldDefs&) = delete;
    TFieldDefs& operator=(const TFieldDefs&) = delete;

    // Appends one definition; on failure the collection is left as it was.
    TFieldDef& Add(const std::u16string& name, TFieldType dataType, std::int32_t size = 0,
                   bool required = false);
    // Appends a definition without checks (used when reading definitions back).
    TFieldDef& AddFieldDef();
    // The definition of that name; raises "Field '%s' not found" with the dataset's prefix.
    TFieldDef& Find(const std::u16string& name) const;
    // Index of the definition of that name, or -1.
    int IndexOf(std::u16string_view name) const;
    void Clear();

    int Count() const { return static_cast<int>(FItems.size()); }
    TFieldDef& operator[](int index) const { return *FItems.at(index); }
    int indexOfItem(const TFieldDef* def) const;

    // Whether the collection reflects the open engine table; Update brings it up to date.
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool updated) { FUpdated = updated; }
    void SetUpdateHandler(std::function<void()> handler) { FUpdateHandler = std::move(handler); }
    void Update();

    const TComponent* DataSet() const { return FDataSet; }
    TFieldDef* ParentDef() const { return FParentDef; }
    static std::u16string ClassName() { return u"TFieldDefs"; }

  private:
    const TComponent* FDataSet;
    TFieldDef* FParentDef;
    std::vector<std::unique_ptr<TFieldDef>> FItems;
    bool FUpdated = false;
    std::function<void()> FUpdateHandler;
};
