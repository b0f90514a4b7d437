#include "packet/xml/XmlPacketWriter.h"

#include <cstring>
#include <memory>

#include "packet/AsciiCase.h"
#include "packet/FieldConverters.h"
#include "packet/PacketHeader.h"
#include "packet/StreamMode.h"
#include "packet/TypeWord.h"
#include "packet/xml/XmlAttributeNames.h"
#include "packet/xml/XmlValueText.h"
#include "platform/CodePage.h"

namespace {

constexpr std::size_t kMaxColumnName = 31;
constexpr std::size_t kMaxAttributeName = 255;

bool isNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
    return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Decodes one UTF-8 character at `pos`; an ill-formed sequence is one byte of U+FFFD.
char32_t nextCodePoint(std::string_view s, std::size_t* pos) {
    const auto b = static_cast<unsigned char>(s[*pos]);
    std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (b >= 0x80 && extra == 0) {
        ++*pos;
        return 0xFFFD;
    }
    if (extra != 0 && !isWellFormedUtf8(s.substr(*pos, extra + 1))) {
        ++*pos;
        return 0xFFFD;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        c = (c << 6) | (static_cast<unsigned char>(s[*pos + k]) & 0x3F);
    }
    *pos += extra + 1;
    return c;
}

bool isRenamedCharacter(char32_t c) {
    switch (c) {
        case ' ':
        case '!':
        case '#':
        case '$':
        case '%':
        case '(':
        case ')':
        case '*':
        case '?':
            return true;
        default:
            return false;
    }
}

void appendAttribute(std::string& out, std::string_view name, std::string_view escapedValue) {
    out.push_back(' ');
    out += name;
    out += "=\"";
    out += escapedValue;
    out.push_back('"');
}

// True when `name` can stand as an attribute name as it is (the known names are ASCII).
bool isPlainName(std::string_view name) {
    if (name.empty() || !isNameStart(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80 || !isNameChar(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

}  // namespace

DBResult XmlPacketWriter::setXmlMode(std::uint32_t mode) {
    FMode = mode;
    return DBIERR_NONE;
}

void XmlPacketWriter::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FUtf8Table = utf8;
    FConverter = codePage != 0;
}

DBResult XmlPacketWriter::start(std::uint32_t version, std::uint32_t columnCount, bool metadata) {
    if (version > kMaxPacketVersion) return errPacketMismatch;
    if (columnCount > 0xFFFF) return errInvalidParameter;
    FSettings.utf8Document = (FMode & kXmlModeUtf8) != 0;
    FSettings.utf8Table = FUtf8Table;
    FSettings.codePageConverter = FConverter;
    FInitialized = true;
    FMetadata = metadata;
    FDeclared = columnCount;
    FColumns.clear();
    FWrittenNames.clear();
    FFieldOpen = false;
    FField = OpenElement{};
    FTableAttrs = false;
    FParams = OpenElement{};
    FRowsStarted = false;
    FSlot = 0;
    FRowCount = 0;
    FBody = "<DATAPACKET Version=\"2.0\">";
    if (metadata) FBody += "<METADATA><FIELDS>";
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::initPacket(std::uint32_t version, std::uint32_t columnCount) {
    return start(version, columnCount, (FMode & kXmlModeMetadata) != 0);
}

DBResult XmlPacketWriter::initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                                const PacketColumnDesc* columns) {
    if (count != 0 && columns == nullptr) return errInvalidParameter;
    const std::vector<PacketColumnDesc> list(columns, columns + count);
    DBResult rc = start(version, count, false);
    for (std::size_t i = 0; rc == DBIERR_NONE && i < list.size(); ++i) {
        rc = registerColumn(list[i]);
    }
    if (rc != DBIERR_NONE) FInitialized = false;
    return rc;
}

DBResult XmlPacketWriter::resetPacket() {
    if (FColumns.empty()) return errNotApplicable;
    std::vector<PacketColumnDesc> columns;
    for (const auto& c : FColumns) columns.push_back(c.desc);
    return initPacketWithColumns(kMaxPacketVersion, static_cast<std::uint32_t>(columns.size()),
                                 columns.data());
}

std::string XmlPacketWriter::writtenColumnName(std::string_view name, std::size_t index,
                                               bool* changed) const {
    *changed = false;
    std::string written;
    bool carried = true;
    if (!FSettings.utf8Document) {
        for (char ch : name) {
            const auto b = static_cast<unsigned char>(ch);
            if (FSettings.codePageConverter ? b >= 0x80 : isAnsiLeadByte(b)) carried = false;
        }
    }
    if (!carried) {
        written = "xF" + std::to_string(index);
    } else {
        std::size_t pos = 0;
        while (pos < name.size()) {
            const std::size_t begin = pos;
            const char32_t c = nextCodePoint(name, &pos);
            const bool first = begin == 0;
            if (isRenamedCharacter(c) || !isNameChar(c) || c == 0xFFFD) {
                written.push_back('_');
                continue;
            }
            if (first && !isNameStart(c)) written.push_back('_');
            written.append(name.substr(begin, pos - begin));
        }
    }
    // Row attributes must not repeat, and "RowState" belongs to the row.
    if (FWrittenNames.count(written) != 0 || written == "RowState") {
        written = "xF" + std::to_string(index);
        while (FWrittenNames.count(written) != 0) written.push_back('_');
    }
    *changed = written != name;
    return written;
}

DBResult XmlPacketWriter::registerColumn(const PacketColumnDesc& column) {
    const std::size_t nameLength = strnlen(column.szName, kMaxColumnName);
    const std::string_view name(column.szName, nameLength);
    if (name == "RowState") return errNotApplicable;
    if (FTableAttrs || FRowsStarted || FColumns.size() >= FDeclared) return errNotApplicable;
    const std::uint32_t typeWord = column.iTypeWord;
    if (typeClass(typeWord) > 36) return errNotApplicable;
    const char* typeName = nullptr;
    DBResult rc = xmlTypeNameForWrite(typeWord, &typeName);
    if (rc != DBIERR_NONE) return rc;
    if (typeClass(typeWord) == clsNested) return errXmlFieldType;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(typeWord, &conv) != DBIERR_NONE) return errInvalidFieldType;
    if (nameLength == 0) return errFieldNameNull;

    Column c{column, {}, typeWord};
    std::memset(c.desc.szName + nameLength, 0, sizeof(c.desc.szName) - nameLength);
    bool changed = false;
    c.writtenName = writtenColumnName(name, FColumns.size(), &changed);
    FWrittenNames.insert(c.writtenName);

    if (FMetadata) {
        closeField();
        OpenElement field;
        std::string text;
        if (changed) {
            appendXmlText(text, name, XmlTextForm::Utf8, FSettings);
            appendAttribute(field.attributes, "fieldname", text);
            text.clear();
        }
        appendXmlText(text, c.writtenName, XmlTextForm::Utf8, FSettings);
        appendAttribute(field.attributes, "attrname", text);
        appendAttribute(field.attributes, "fieldtype", typeName);
        field.names = {"fieldname", "attrname", "fieldtype"};
        const struct {
            std::uint16_t bit;
            const char* name;
        } kFlags[] = {{2, "readonly"}, {4, "required"}, {1, "hidden"}, {8, "linkfield"}};
        for (const auto& flag : kFlags) {
            if ((column.iFieldAttrs & flag.bit) != 0) {
                appendAttribute(field.attributes, flag.name, "true");
                field.names.insert(flag.name);
            }
        }
        if (typeClass(typeWord) == clsBytes && !typeIsVarying(typeWord)) {
            appendAttribute(field.attributes, "WIDTH", std::to_string(typeSize(typeWord)));
            field.names.insert("WIDTH");
        }
        FField = std::move(field);
        FFieldOpen = true;
    }
    FColumns.push_back(std::move(c));
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::addColumnDesc(const PacketColumnDesc& column) {
    if (!FInitialized || !FMetadata) return errNotApplicable;
    return registerColumn(column);
}

void XmlPacketWriter::closeField() {
    if (!FFieldOpen) return;
    FBody += "<FIELD";
    FBody += FField.attributes;
    if (FField.params.empty()) {
        FBody += "/>";
    } else {
        FBody += ">";
        FBody += FField.params;
        FBody += "</FIELD>";
    }
    FFieldOpen = false;
    FField = OpenElement{};
}

DBResult XmlPacketWriter::addAttribute(std::uint32_t level, const char* name,
                                       std::uint32_t typeWord, std::uint32_t length,
                                       const void* value) {
    if (!FInitialized || !FMetadata || FRowsStarted) return errNotApplicable;
    if (level != attrColumn && level != attrTable) return errInvalidParameter;
    if (value == nullptr) return DBIERR_NONE;  // the closing call of an attribute list
    const std::uint32_t word = typeWord & ~kTypeInDelta;
    const char* typeName = nullptr;
    DBResult rc = xmlTypeNameForWrite(word, &typeName);
    if (rc != DBIERR_NONE) return rc;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(word, &conv) != DBIERR_NONE) return errInvalidFieldType;
    const std::size_t nameLength = name ? strnlen(name, kMaxAttributeName + 1) : 0;
    if (nameLength > kMaxAttributeName) return errInvalidParameter;
    const std::string_view attrName(name ? name : "", nameLength);

    const auto* bytes = static_cast<const unsigned char*>(value);
    std::size_t valueLength = length;
    if (conv->isVarying()) {
        // The caller's buffer begins with the value's length prefix.
        if (valueLength < conv->size()) return errInvalidParameter;
        bytes += conv->size();
        valueLength -= conv->size();
    }
    std::string text;
    rc = appendXmlValue(text, word, bytes, valueLength, metadataTextSettings(FSettings));
    if (rc != DBIERR_NONE) return rc;

    if (level == attrColumn) {
        if (!FFieldOpen || FTableAttrs) return errNotApplicable;
    } else if (!FTableAttrs) {
        closeField();
        FTableAttrs = true;
    }
    if (equalsIgnoringAsciiCase(attrName, "FIELDPROPS")) return DBIERR_NONE;
    OpenElement& element = level == attrColumn ? FField : FParams;
    const std::string key(attrName);
    if (isXmlKnownAttribute(attrName) && isPlainName(attrName) && element.names.count(key) == 0) {
        appendAttribute(element.attributes, attrName, text);
        element.names.insert(key);
        return DBIERR_NONE;
    }
    std::string param = "<PARAM";
    std::string escapedName;
    appendXmlText(escapedName, attrName, XmlTextForm::Utf8, FSettings);
    appendAttribute(param, "Name", escapedName);
    appendAttribute(param, "Value", text);
    if (std::strcmp(typeName, "string") != 0) appendAttribute(param, "Type", typeName);
    if ((typeWord & kTypeInDelta) != 0) appendAttribute(param, "Roundtrip", "True");
    param += "/>";
    element.params += param;
    return DBIERR_NONE;
}

std::string XmlPacketWriter::metadataClosing() const {
    std::string out;
    if (FFieldOpen) {
        out += "<FIELD";
        out += FField.attributes;
        if (FField.params.empty()) {
            out += "/>";
        } else {
            out += ">" + FField.params + "</FIELD>";
        }
    }
    out += "</FIELDS><PARAMS";
    out += FParams.attributes;
    out += "/>";
    out += FParams.params;
    out += "</METADATA>";
    return out;
}

void XmlPacketWriter::beginRows() {
    if (FRowsStarted) return;
    if (FMetadata) {
        FBody += metadataClosing();
        FFieldOpen = false;
        FTableAttrs = true;
    }
    FBody += "<ROWDATA>";
    FRowsStarted = true;
    FSlot = 0;
}

DBResult XmlPacketWriter::putField(std::uint32_t kind, std::int32_t length, const void* data) {
    if (!FInitialized) return errNotApplicable;
    beginRows();
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (FSlot == 0) {
        if (kind != putValue || bytes == nullptr) return errInvalidParameter;
        if (FRowCount == 0xFFFFFFFF) return errNotApplicable;
        FBody += "<ROW";
        if (bytes[0] != 0) appendAttribute(FBody, "RowState", std::to_string(bytes[0]));
    } else {
        const Column& column = FColumns[FSlot - 1];
        if (kind == putValue && bytes != nullptr) {
            std::unique_ptr<FLDConv> conv;
            if (makeConverter(column.typeWord, &conv) != DBIERR_NONE) return errRowSetup;
            std::size_t valueLength;
            if (conv->isVarying()) {
                if (length < 0) {
                    // A BLOB whose content was not fetched cannot be written out as text.
                    return conv->size() == 4 ? errXmlDelayedFetch : errInvalidParameter;
                }
                valueLength = static_cast<std::size_t>(length);
            } else {
                valueLength =
                    static_cast<std::size_t>(std::max<std::int64_t>(conv->valueFixedSize(), 0));
            }
            std::string text;
            DBResult rc = appendXmlValue(text, column.typeWord, bytes, valueLength, FSettings);
            if (rc != DBIERR_NONE) return rc;
            appendAttribute(FBody, column.writtenName, text);
        } else if (kind != putNull && kind != putUnchanged && kind != putValue) {
            return errInvalidParameter;
        }
    }
    if (FSlot < FColumns.size()) {
        ++FSlot;
        return DBIERR_NONE;
    }
    FBody += "/>";
    FSlot = 0;
    ++FRowCount;
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::endNestedRows() {
    return errNotApplicable;
}

std::string XmlPacketWriter::prolog() const {
    return FSettings.utf8Document
               ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
               : "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
}

std::string XmlPacketWriter::closing() const {
    std::string out;
    if (!FRowsStarted) {
        if (FMetadata) out += metadataClosing();
        out += "<ROWDATA>";
    }
    out += "</ROWDATA></DATAPACKET>";
    return out;
}

DBResult XmlPacketWriter::getPacketLength(std::size_t* length) {
    if (length == nullptr) return errInvalidParameter;
    if (!FInitialized) return errNotApplicable;
    *length = prolog().size() + FBody.size() + closing().size();
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::getPacket(std::vector<unsigned char>* packet) {
    if (packet == nullptr) return errInvalidParameter;
    if (!FInitialized || FSlot != 0) return errNotApplicable;
    const std::string head = prolog();
    const std::string tail = closing();
    packet->clear();
    packet->reserve(head.size() + FBody.size() + tail.size());
    packet->insert(packet->end(), head.begin(), head.end());
    packet->insert(packet->end(), FBody.begin(), FBody.end());
    packet->insert(packet->end(), tail.begin(), tail.end());
    FBody.clear();
    FBody.shrink_to_fit();
    FInitialized = false;
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::getColumnCount(std::uint32_t* count) {
    if (count == nullptr) return errInvalidParameter;
    *count = static_cast<std::uint32_t>(FColumns.size());
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::getColumnDescs(PacketColumnDesc* columns) {
    if (columns == nullptr) return errInvalidParameter;
    for (std::size_t i = 0; i < FColumns.size(); ++i) columns[i] = FColumns[i].desc;
    return DBIERR_NONE;
}

DBResult XmlPacketWriter::getErrorText(DBResult code, char* text, std::size_t capacity) {
    return copyEngineMessage(code, text, capacity);
}
