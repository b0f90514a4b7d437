// Field lookup and the dataset's side of reading and writing field values.

#include <algorithm>
#include <cstring>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldClasses.h"
#include "platform/CodePage.h"

TField* TClientDataSet::FindField(std::u16string_view name) const {
    return FFields.FindField(name);
}

TField* TClientDataSet::FieldByName(std::u16string_view name) const {
    TField* field = FindField(name);
    if (field == nullptr)
        DatabaseError(formatMessage(u"Field '%s' not found", {std::u16string(name)}), this);
    return field;
}

Variant TClientDataSet::GetFieldValue(std::u16string_view names) const {
    if (names.find(u';') == std::u16string_view::npos) return FieldByName(names)->AsVariant();
    // Several names separated by ";": an array of their values, in order.
    std::vector<Variant> values;
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t end = std::min(names.find(u';', start), names.size());
        const std::u16string_view name = names.substr(start, end - start);
        if (!name.empty()) values.push_back(FieldByName(name)->AsVariant());
        start = end + 1;
    }
    return Variant::Array(std::move(values));
}

void TClientDataSet::SetFields(const std::vector<TVarRec>& values) {
    if (values.size() > static_cast<std::size_t>(FFields.Count()))
        throw EDatabaseError(u"Argument out of range");
    for (std::size_t i = 0; i < values.size(); ++i)
        FFields[static_cast<int>(i)]->AssignValue(values[i]);
}

bool TClientDataSet::GetFieldData(const TField* field, void* buffer) const {
    const unsigned char* record = activeRecordBuffer();
    if (record == nullptr || field->FieldKind() != fkData) return false;
    std::uint8_t indicator = indNull;
    const DBResult rc = FDSCursor->readField(record, static_cast<std::uint32_t>(field->FieldNo()),
                                             buffer, &indicator);
    if (rc != DBIERR_NONE) const_cast<TClientDataSet*>(this)->check(rc);
    return indicator == indValue;
}

bool TClientDataSet::ReadTextsToEnd(const TField& field,
                                    const std::function<void(std::u16string&&)>& add) {
    if (FState != dsBrowse || field.DataSet() != this || field.FieldKind() != fkData ||
        dynamic_cast<const TStringField*>(&field) == nullptr)
        return false;
    if (FEOF || FRecordCount == 0) return true;  // a walk would read nothing
    UpdateCursorPos();
    struct Reading {
        std::size_t size;  // bytes a value holds at most, as the field reads it
        const std::function<void(std::u16string&&)>* add;
    } reading{static_cast<std::size_t>(std::max(field.Size(), 0)) + 1, &add};
    // As TStringField::AsString: the text up to its first zero byte, from the code page; a null
    // value reads as the empty text.
    const auto visit = [](const unsigned char* value, std::uint8_t indicator, void* context) {
        const auto& r = *static_cast<const Reading*>(context);
        if (indicator != indValue) {
            (*r.add)(std::u16string());
            return;
        }
        const auto* text = reinterpret_cast<const char*>(value);
        (*r.add)(ansiToUnicode(std::string_view(text, strnlen(text, r.size))));
    };
    check(FDSCursor->readFieldToLast(static_cast<std::uint32_t>(field.FieldNo()), visit, &reading));
    return true;
}

void TClientDataSet::storeFieldData(TField* field, const void* buffer) {
    switch (FState) {
        case dsEdit:
        case dsInsert:
        case dsSetKey:
        case dsCalcFields:
        case dsFilter:
        case dsNewValue:
        case dsInternalCalc:
            break;
        default:
            DatabaseError(u"Dataset not in edit or insert mode", this);
    }
    if (FState == dsSetKey)
        throw EDatabaseError(formatMessage(u"Field '%s' is not indexed and cannot be modified",
                                           {field->DisplayName()}));
    unsigned char* record = activeRecordBuffer();
    if (field->FieldKind() == fkData) {
        if (field->ReadOnly() && FState != dsFilter)
            throw EDatabaseError(
                formatMessage(u"Field '%s' cannot be modified", {field->DisplayName()}));
        const auto fieldNo = static_cast<std::uint32_t>(field->FieldNo());
        if (FState == dsEdit || FState == dsInsert)
            check(FDSCursor->checkFieldValue(fieldNo, buffer));
        if (record == nullptr) DatabaseError(u"Dataset not in edit or insert mode", this);
        check(FDSCursor->writeField(record, fieldNo, buffer));
    }
    if (FState != dsCalcFields && FState != dsFilter && FState != dsNewValue &&
        FState != dsInternalCalc)
        signalDataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}
