#include "dataset/ClientDataSet.h"

#include <algorithm>
#include <cstring>

#include "dataset/Exceptions.h"
#include "dataset/FieldDescriptors.h"
#include "engine/EngineFactory.h"
#include "packet/TypeWord.h"
#include "platform/Unicode.h"

namespace {
constexpr std::int32_t kRecInfoSize = 6;
constexpr int kKeyBuffers = 6;
constexpr std::uint32_t kAnsiCodePage = 936;

// Whether a table-level optional parameter is present and true.
bool tableFlag(IDSBase& table, const char* name) {
    std::uint32_t type = 0, length = 0;
    if (table.getOptionalParameter(0, name, &type, &length, nullptr) != DBIERR_NONE || length == 0)
        return false;
    std::vector<unsigned char> value(length);
    if (table.getOptionalParameter(0, name, &type, &length, value.data()) != DBIERR_NONE)
        return false;
    return std::any_of(value.begin(), value.end(), [](unsigned char b) { return b != 0; });
}
}  // namespace

TClientDataSet::TClientDataSet(std::u16string name, TComponent* owner)
    : TComponent(std::move(name), owner), FFieldDefs(this) {
    FFieldDefs.SetUpdateHandler([this] {
        if (FDSBase)
            descriptorsToFieldDefs(*FDSBase, FFieldDefs, &TClientDataSet::raiseEngineError);
    });
}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::raiseEngineError(IDSBase& table, DBResult code) {
    if (code == DBIERR_NONE) return;
    char text[2049] = {};
    std::u16string message;
    if (table.getErrorText(code, text, sizeof text) == DBIERR_NONE) {
        std::uint32_t utf8 = 0;
        // Without the property the text is read byte for byte, which suits the engine's ASCII.
        (void)table.getProperty(propUtf8ErrorText, &utf8);
        // The engine's texts are ASCII; a text that is not UTF-8 is decoded byte for byte.
        message = utf8 ? utf8ToUtf16(text) : std::u16string(text, text + std::strlen(text));
    }
    auto isBlank = [](char16_t c) { return c <= u' '; };
    while (!message.empty() && isBlank(message.back())) message.pop_back();
    auto first = std::find_if_not(message.begin(), message.end(), isBlank);
    message.erase(message.begin(), first);
    throw EDBClient(message, code, table.lastReadFailure());
}

void TClientDataSet::check(DBResult code) {
    if (code == DBIERR_NONE) return;
    if (FDSBase) raiseEngineError(*FDSBase, code);
    auto scratch = createDSBase();
    raiseEngineError(*scratch, code);
}

void TClientDataSet::createEngineTable() {
    auto table = createDSBase();
    raiseEngineError(*table, table->setProperty(propCodePage, kAnsiCodePage));
    raiseEngineError(*table, table->setProperty(propUtf8Metadata, 1));
    raiseEngineError(*table, table->setProperty(propUtf8ErrorText, 1));
    FDSBase = std::move(table);
}

void TClientDataSet::CreateDataSet() {
    if (Active()) DatabaseError(u"Cannot perform this operation on an open dataset", this);
    const std::vector<DSFLDDesc> descriptors = fieldDefsToDescriptors(FFieldDefs);
    if (descriptors.empty()) throw EDatabaseError(u"No fields defined.  Cannot create dataset");
    createEngineTable();
    try {
        const std::string name = utf16ToUtf8(Name());
        check(FDSBase->defineTable(static_cast<std::uint32_t>(descriptors.size()),
                                   descriptors.data(), name.c_str()));
        for (int i = 0; i < FFieldDefs.Count(); ++i) {
            const TFieldDef& def = FFieldDefs[i];
            const std::string full = utf16ToUtf8(def.Name());
            if (full.size() < 32) continue;
            const auto fieldNo = static_cast<std::uint32_t>(def.FieldNo());
            FDSBase->dropOptionalParameter(fieldNo, kFieldNameParameter);
            // zero-terminated UTF-8 text, kept for deltas too
            check(FDSBase->addOptionalParameter(
                fieldNo, kFieldNameParameter, kTypeWordString16 | kTypeInDelta,
                static_cast<std::uint32_t>(full.size() + 1), full.c_str()));
        }
    } catch (...) {
        FDSBase.reset();
        throw;
    }
    Open();
}

void TClientDataSet::Open() {
    if (Active()) return;
    runHook(BeforeOpen);
    try {
        attachTable();
        prepareCursor();
        openComplete();
    } catch (...) {
        FState = dsInactive;
        detachTable();
        throw;
    }
    FSavedPacket.reset();
    FSavePacketOnClose = true;
    FState = dsBrowse;
    runHook(AfterOpen);
    if (FRecordCount > 0) runHook(AfterScroll);
}

void TClientDataSet::attachTable() {
    FProviderEOF = true;
    FSavePacketOnClose = false;
    if (FDSBase) return;  // right after CreateDataSet: the table is used unchanged
    if (!FSavedPacket) DatabaseError(u"Missing data provider or data packet", this);
    createEngineTable();
    raiseEngineError(*FDSBase, FDSBase->appendPacket(FSavedPacket, true));
}

void TClientDataSet::prepareCursor() {
    auto cursor = createDSCursor();
    check(cursor->openOnTable(FDSBase));
    FDSCursor = cursor;

    FDisableEdits = tableFlag(*FDSBase, "DISABLE_EDITS");
    FDisableInserts = tableFlag(*FDSBase, "DISABLE_INSERTS");
    FDisableDeletes = tableFlag(*FDSBase, "DISABLE_DELETES");
    FNoResetCall = tableFlag(*FDSBase, "NO_RESET_CALL");

    DSTableInfo info;
    check(FDSCursor->getCursorInfo(&info));
    FRecordSize = static_cast<std::int32_t>(info.iRecBufSize);
    FBookmarkSize = static_cast<std::int32_t>(info.iBookMarkSize);
    FCanModify = info.bReadOnly == 0;

    FFieldDefs.SetUpdated(false);
    FFieldDefs.Update();

    createFields();
    bindFields();

    FKeyBuffers.assign(kKeyBuffers, std::vector<unsigned char>(FRecordSize + 8, 0));
    check(FDSCursor->moveBeforeFirst());
    computeRecordBufferLayout();
}

void TClientDataSet::createFields() {
    FFields.Clear();
    for (int i = 0; i < FFieldDefs.Count(); ++i) {
        const TFieldDef& def = FFieldDefs[i];
        if (def.DataType() == ftUnknown || (def.Attributes() & faHiddenCol)) continue;
        auto field = createField(def.DataType(), def.Name());
        field->SetDataSet(this);
        field->SetSize(def.Size());
        field->SetRequired(def.Required());
        field->SetReadOnly((def.Attributes() & faReadonly) != 0);
        if (def.InternalCalcField()) field->SetFieldKind(fkInternalCalc);
        if (auto* s = dynamic_cast<TStringField*>(field.get()))
            s->SetFixedChar((def.Attributes() & faFixed) != 0 || def.DataType() == ftFixedChar);
        FFields.Add(std::move(field));
    }
}

void TClientDataSet::bindFields() {
    std::size_t ioSize = 0;
    for (int i = 0; i < FFields.Count(); ++i) {
        TField* field = FFields[i];
        if (field->FieldKind() != fkData) continue;
        const int index = FFieldDefs.IndexOf(field->FieldName());
        if (index < 0)
            DatabaseError(formatMessage(u"Field '%s' not found", {field->FieldName()}), this);
        const TFieldDef& def = FFieldDefs[index];
        // The definition holds the engine's number of its field, which runs ahead of the
        // definition's position once a link field has been passed over.
        field->SetFieldNo(def.FieldNo() > 0 ? def.FieldNo() : index + FFieldNoOfs);
        if (def.DataType() != field->DataType())
            DatabaseError(formatMessage(u"Type mismatch for field '%s', expecting: %s actual: %s",
                                        {field->DisplayName(), fieldTypeName(field->DataType()),
                                         fieldTypeName(def.DataType())}),
                          this);
        ioSize = std::max(ioSize, static_cast<std::size_t>(std::max(field->ioSize(), 0)));
    }
    FIOBuffer.assign(ioSize, 0);
    FConvertBuffer.assign(ioSize, 0);
}

void TClientDataSet::computeRecordBufferLayout() {
    FCalcFieldsSize = 0;
    FRecInfoOfs = FRecordSize + FCalcFieldsSize;
    FBookmarkOfs = FRecInfoOfs + kRecInfoSize;
    FAggGrpIndOfs = FBookmarkOfs + FBookmarkSize;
    FAggFieldsOfs = FAggGrpIndOfs;
    FRecBufSize = FAggFieldsOfs;
}

void TClientDataSet::openComplete() {
    FInternalOpenComplete = true;
    FBuffers.assign(FBufferCount + 1, std::vector<unsigned char>(FRecBufSize, 0));
    clearWindow();
    fillWindowForward();
    FBOF = true;
    FEOF = FRecordCount == 0;
}
