#include "dataset/FieldDefs.h"

#include <bit>

#include "dataset/Component.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldClasses.h"
#include "platform/Unicode.h"

std::uint32_t nameHash(std::u16string_view name) {
    std::uint32_t hash = 0;
    for (char16_t c : upperCase(name)) hash = static_cast<std::uint32_t>(c) ^ std::rotl(hash, 5);
    return hash;
}

namespace {
std::int32_t defaultSize(TFieldType type) {
    switch (type) {
        case ftString:
        case ftFixedChar:
        case ftOraInterval:
            return 20;
        case ftBCD:
        case ftFMTBcd:
            return 4;
        case ftBytes:
        case ftVarBytes:
            return 16;
        case ftArray:
            return 10;
        case ftFixedWideChar:
            return 40;
        default:
            return 0;
    }
}
}  // namespace

TFieldDef::TFieldDef(TFieldDefs* collection) : FCollection(collection) {}
TFieldDef::~TFieldDef() = default;

void TFieldDef::SetName(const std::u16string& name) {
    if (!name.empty() && !sameTextIgnoringCase(name, FName) && FCollection != nullptr) {
        int found = FCollection->IndexOf(name);
        if (found >= 0 && &(*FCollection)[found] != this)
            throw EDatabaseError(
                formatMessage(u"Duplicate name '%s' in %s", {name, TFieldDefs::ClassName()}));
    }
    FName = name;
    FNameHashValue = nameHash(name);
}

void TFieldDef::SetDataType(TFieldType type) {
    FDataType = type;
    FPrecision = 0;
    FSize = defaultSize(type);
}

void TFieldDef::SetSize(std::int32_t size) {
    FSize = size;
    if (size != 0 && fieldClassExists(FDataType)) checkFieldSize(FDataType, size);
}

void TFieldDef::SetRequired(bool required) {
    if (required)
        FAttributes |= faRequired;
    else
        FAttributes &= static_cast<TFieldAttributes>(~faRequired);
}

std::int32_t TFieldDef::FieldNo() const {
    return FFieldNo > 0 ? FFieldNo : Index() + 1;
}

std::int32_t TFieldDef::Index() const {
    return FCollection ? FCollection->indexOfItem(this) : -1;
}

TFieldDefs& TFieldDef::ChildDefs() {
    if (!FChildDefs)
        FChildDefs =
            std::make_unique<TFieldDefs>(FCollection ? FCollection->DataSet() : nullptr, this);
    return *FChildDefs;
}

std::size_t TFieldDef::FChildDefsCount() const {
    return static_cast<std::size_t>(FChildDefs->Count());
}

TFieldDefs::TFieldDefs(const TComponent* dataSet, TFieldDef* parentDef)
    : FDataSet(dataSet), FParentDef(parentDef) {}
TFieldDefs::~TFieldDefs() = default;

TFieldDef& TFieldDefs::AddFieldDef() {
    FItems.push_back(std::make_unique<TFieldDef>(this));
    FUpdated = false;
    return *FItems.back();
}

TFieldDef& TFieldDefs::Add(const std::u16string& name, TFieldType dataType, std::int32_t size,
                           bool required) {
    if (name.empty()) DatabaseError(u"Field name missing", FDataSet);
    FItems.push_back(std::make_unique<TFieldDef>(this));
    TFieldDef& def = *FItems.back();
    try {
        def.SetName(name);
        def.SetDataType(dataType);
        def.SetSize(size);
        def.SetRequired(required);
    } catch (...) {
        FItems.pop_back();
        throw;
    }
    FUpdated = false;
    return def;
}

TFieldDef& TFieldDefs::Find(const std::u16string& name) const {
    int index = IndexOf(name);
    if (index < 0) DatabaseError(formatMessage(u"Field '%s' not found", {name}), FDataSet);
    return *FItems[index];
}

int TFieldDefs::IndexOf(std::u16string_view name) const {
    if (FItems.empty()) return -1;
    const std::uint32_t hash = nameHash(name);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i]->NameHashValue() == hash && sameTextIgnoringCase(FItems[i]->Name(), name))
            return static_cast<int>(i);
    }
    return -1;
}

void TFieldDefs::Clear() {
    FItems.clear();
    FUpdated = false;
}

int TFieldDefs::indexOfItem(const TFieldDef* def) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == def) return static_cast<int>(i);
    return -1;
}

void TFieldDefs::Update() {
    if (FUpdated) return;
    if (FUpdateHandler) FUpdateHandler();
    FUpdated = true;
}
