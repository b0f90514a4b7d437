#include "packet/xml/XmlPacketReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "packet/AsciiCase.h"
#include "packet/StreamMode.h"
#include "packet/TypeWord.h"
#include "packet/xml/XmlAttributeNames.h"
#include "packet/xml/XmlScanner.h"

namespace {

constexpr std::size_t kMaxColumns = 0xFFFF;
constexpr std::size_t kMaxColumnName = 31;
constexpr std::uint32_t kStringType = 0x490001;
constexpr std::uint32_t kWideStringType = 0x4A0001;

bool isTag(const XmlToken& t, std::string_view name) {
    return t.kind == XmlToken::Kind::StartTag && equalsIgnoringAsciiCase(t.name, name);
}

bool isEndTag(const XmlToken& t, std::string_view name) {
    return t.kind == XmlToken::Kind::EndTag && equalsIgnoringAsciiCase(t.name, name);
}

const XmlRawAttribute* findAttribute(const XmlToken& t, std::string_view name) {
    for (const auto& a : t.attributes) {
        if (equalsIgnoringAsciiCase(a.name, name)) return &a;
    }
    return nullptr;
}

// The longest prefix of UTF-8 text of at most `max` bytes that does not split a character.
std::size_t utf8CutLength(std::string_view s, std::size_t max) {
    if (s.size() <= max) return s.size();
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return n;
}

// A varying value whose length its type's prefix cannot hold gets a wider prefix, so that the
// value can be written again.
std::uint32_t widenPrefix(std::uint32_t typeWord, std::size_t length) {
    if (!typeIsVarying(typeWord) || typeIsArray(typeWord)) return typeWord;
    std::uint32_t width = typeSize(typeWord);
    if (width < 2 && length > 0xFF) width = 2;
    if (width < 4 && length > 0xFFFF) width = 4;
    return (typeWord & ~kTypeSizeMask) | width;
}

}  // namespace

// One pass over one document.
class XmlPacketReader::Parser {
  public:
    Parser(XmlPacketReader& reader, std::string_view doc, std::size_t start)
        : R(reader), FDoc(doc), FScanner(doc, start) {}

    DBResult run(bool readMetadata) {
        DBResult rc = nextElement();
        if (rc != DBIERR_NONE) return rc;
        if (isTag(FToken, "DATAPACKET")) {
            if (FToken.empty) return fail(errPacketMismatch, "DATAPACKET is empty", tokenAt());
            rc = nextElement();
            if (rc != DBIERR_NONE) return rc;
        }
        if (isTag(FToken, "METADATA")) {
            if (readMetadata) {
                R.FHasMetadata = true;
                rc = metadata();
            } else {
                rc = skipElement();
            }
            if (rc != DBIERR_NONE) return rc;
            rc = nextElement();
            if (rc != DBIERR_NONE) return rc;
            if (!isTag(FToken, "ROWDATA")) return fail(errPacketMismatch, kNoRowData, tokenAt());
        } else if (!isTag(FToken, "ROWDATA")) {
            return fail(errPacketMismatch, kNoRowData, tokenAt());
        }
        if (readMetadata) indexColumns();
        return rows();
    }

  private:
    static constexpr const char* kNoRowData = "no ROWDATA element where it belongs";
    static constexpr const char* kNotClosed = "element is not closed";

    // Notes the failed check and where it failed, and answers `code`.
    DBResult fail(DBResult code, const char* check, std::size_t offset) {
        R.FFailure = {check, offset};
        return code;
    }
    // Where a piece of the document (a name, a value) begins.
    std::size_t at(std::string_view piece) const {
        return piece.data() == nullptr ? FDoc.size()
                                       : static_cast<std::size_t>(piece.data() - FDoc.data());
    }
    // Where the current token's name begins (the end of the document for its end).
    std::size_t tokenAt() const { return at(FToken.name); }
    // The scanner's next token; a syntax error carries the scanner's check.
    DBResult scan() {
        DBResult rc = FScanner.next(&FToken);
        if (rc != DBIERR_NONE) R.FFailure = FScanner.failure();
        return rc;
    }

    // The next start or end tag; text between elements is passed over.
    DBResult nextElement() {
        for (;;) {
            DBResult rc = scan();
            if (rc != DBIERR_NONE) return rc;
            if (FToken.kind != XmlToken::Kind::Text) return DBIERR_NONE;
        }
    }

    // Passes over the element whose start tag is the current token, children included.
    DBResult skipElement() {
        if (FToken.empty) return DBIERR_NONE;
        const std::size_t depth = FScanner.depth();
        for (;;) {
            DBResult rc = scan();
            if (rc != DBIERR_NONE) return rc;
            if (FToken.kind == XmlToken::Kind::EndOfInput)
                return fail(errPacketMismatch, kNotClosed, FDoc.size());
            if (FToken.kind == XmlToken::Kind::EndTag && FScanner.depth() < depth) {
                return DBIERR_NONE;
            }
        }
    }

    std::string utf8Text(std::string_view raw) const {
        return decodeXmlText(raw, R.FSettings.utf8Document, XmlTextForm::Utf8);
    }

    // An attribute typed by the attribute table; a text that is no value of its type is passed
    // over. A "string" value is UTF-8 and ends with a 0 byte, as the engine writes its own (an
    // empty text is that byte alone), so that it is written again with the same bytes.
    DBResult addAttribute(std::vector<XmlPacketAttribute>& list, std::string name,
                          std::uint32_t typeWord, std::string_view raw) {
        XmlPacketAttribute a;
        bool isNull = false;
        DBResult rc =
            parseXmlValue(raw, typeWord & ~kTypeInDelta, metadataTextSettings(R.FSettings),
                          XmlBcdShape{}, &a.value, &isNull);
        if (rc != DBIERR_NONE) return fail(rc, "attribute value is no value of its type", at(raw));
        if (isNull) return DBIERR_NONE;
        if (typeClass(typeWord) == clsZString && typeIsVarying(typeWord) &&
            !typeIsArray(typeWord)) {
            a.value.push_back(0);
        }
        a.name = std::move(name);
        a.typeWord = widenPrefix(typeWord, a.value.size());
        list.push_back(std::move(a));
        return DBIERR_NONE;
    }

    DBResult elementAttribute(std::vector<XmlPacketAttribute>& list, const XmlRawAttribute& raw) {
        std::string name = utf8Text(raw.name);
        const std::uint32_t type = xmlAttributeReadType(name);
        return addAttribute(list, std::move(name), type, raw.value);
    }

    DBResult paramElement(std::vector<XmlPacketAttribute>& list) {
        const XmlRawAttribute* name = findAttribute(FToken, "Name");
        const XmlRawAttribute* value = findAttribute(FToken, "Value");
        if (name == nullptr || value == nullptr)
            return fail(errPacketMismatch, "PARAM without Name or Value", tokenAt());
        std::uint32_t type = R.FSettings.codePageConverter ? kWideStringType : kStringType;
        if (const XmlRawAttribute* t = findAttribute(FToken, "Type")) {
            type = typeWordFromXmlName(utf8Text(t->value));
            if (type == 0 || typeClass(type) == clsNested)
                return fail(errInvalidFieldType, "PARAM type names no type", at(t->value));
        }
        if (findAttribute(FToken, "Roundtrip") != nullptr) type |= kTypeInDelta;
        const std::string_view rawValue = value->value;
        DBResult rc = addAttribute(list, utf8Text(name->value), type, rawValue);
        if (rc != DBIERR_NONE) return rc;
        return skipElement();
    }

    // The PARAMS element: its attributes and PARAM children are the table's.
    DBResult params() {
        for (const auto& a : FToken.attributes) {
            DBResult rc = elementAttribute(R.FTableAttributes, a);
            if (rc != DBIERR_NONE) return rc;
        }
        return children("PARAMS", [&]() {
            if (isTag(FToken, "PARAM")) return paramElement(R.FTableAttributes);
            return skipElement();
        });
    }

    // Runs `child` for every start tag inside the current element, up to its end tag.
    template <typename Child>
    DBResult children(std::string_view name, Child child) {
        if (FToken.empty) return DBIERR_NONE;
        for (;;) {
            DBResult rc = nextElement();
            if (rc != DBIERR_NONE) return rc;
            if (FToken.kind == XmlToken::Kind::EndOfInput)
                return fail(errPacketMismatch, kNotClosed, FDoc.size());
            if (FToken.kind == XmlToken::Kind::EndTag) {
                if (isEndTag(FToken, name)) return DBIERR_NONE;
                return fail(errPacketMismatch, "end tag closes another element", tokenAt());
            }
            rc = child();
            if (rc != DBIERR_NONE) return rc;
        }
    }

    DBResult field() {
        if (R.FColumns.size() >= kMaxColumns)
            return fail(errPacketMismatch, "more than 65535 columns", tokenAt());
        XmlPacketColumn column;
        const XmlRawAttribute* attrName = findAttribute(FToken, "attrname");
        if (attrName == nullptr) attrName = findAttribute(FToken, "tagname");
        const XmlRawAttribute* fieldName = findAttribute(FToken, "fieldname");
        if (attrName == nullptr && fieldName == nullptr)
            return fail(errPacketMismatch, "FIELD without a name", tokenAt());
        const XmlRawAttribute* fieldType = findAttribute(FToken, "fieldtype");
        if (fieldType == nullptr)
            return fail(errInvalidFieldType, "FIELD without a fieldtype", tokenAt());
        const std::uint32_t typeWord = typeWordFromXmlName(utf8Text(fieldType->value));
        if (typeWord == 0 || typeClass(typeWord) == clsNested)
            return fail(errInvalidFieldType, "FIELD type names no type", at(fieldType->value));

        const std::string name = utf8Text(fieldName ? fieldName->value : attrName->value);
        const std::size_t nameLength = utf8CutLength(name, kMaxColumnName);
        if (nameLength == 0) return fail(errPacketMismatch, "FIELD name is empty", tokenAt());
        std::memcpy(column.desc.szName, name.data(), nameLength);
        column.desc.iTypeWord = typeWord;
        // The ROW attribute carries the name as written, in the document's own encoding.
        if (attrName != nullptr) {
            column.rowName =
                decodeXmlText(attrName->value, R.FSettings.utf8Document,
                              R.FSettings.utf8Document ? XmlTextForm::Utf8 : XmlTextForm::CodePage);
        }

        const struct {
            const char* name;
            std::uint16_t bit;
        } kFlags[] = {{"readonly", 2}, {"hidden", 1}, {"required", 4}, {"linkfield", 8}};
        for (const auto& a : FToken.attributes) {
            bool special = false;
            for (const auto& flag : kFlags) {
                if (equalsIgnoringAsciiCase(a.name, flag.name)) {
                    special = true;
                    if (equalsIgnoringAsciiCase(utf8Text(a.value), "true")) {
                        column.desc.iFieldAttrs |= flag.bit;
                    }
                }
            }
            for (const char* n : {"attrname", "tagname", "fieldname", "fieldtype"}) {
                special = special || equalsIgnoringAsciiCase(a.name, n);
            }
            if (special) continue;
            DBResult rc = elementAttribute(column.attributes, a);
            if (rc != DBIERR_NONE) return rc;
        }
        DBResult rc = children("FIELD", [&]() {
            if (isTag(FToken, "PARAM")) return paramElement(column.attributes);
            return skipElement();
        });
        if (rc != DBIERR_NONE) return rc;
        // A BCD column's values are read with its precision and scale.
        for (const auto& a : column.attributes) {
            if (a.value.size() < 2 || typeIsArray(a.typeWord)) continue;
            const int v = a.value[0] | (a.value[1] << 8);
            if (equalsIgnoringAsciiCase(a.name, "WIDTH") && v > 0) column.bcd.precision = v;
            if (equalsIgnoringAsciiCase(a.name, "DECIMALS")) column.bcd.scale = v;
        }
        R.FColumns.push_back(std::move(column));
        return DBIERR_NONE;
    }

    DBResult metadata() {
        bool columnsEnded = false;
        auto fieldOrSkip = [&]() {
            if (columnsEnded) return skipElement();
            return field();
        };
        return children("METADATA", [&]() -> DBResult {
            if (isTag(FToken, "FIELDS")) {
                DBResult rc = children("FIELDS", [&]() -> DBResult {
                    if (isTag(FToken, "FIELD")) return fieldOrSkip();
                    if (isTag(FToken, "PARAMS")) {
                        columnsEnded = true;
                        return params();
                    }
                    return skipElement();
                });
                columnsEnded = true;
                return rc;
            }
            if (isTag(FToken, "FIELD")) return fieldOrSkip();
            if (isTag(FToken, "PARAMS")) {
                columnsEnded = true;
                return params();
            }
            if (isTag(FToken, "PARAM")) return paramElement(R.FTableAttributes);
            return skipElement();
        });
    }

    void indexColumns() {
        R.FColumnByRowName.clear();
        for (std::size_t i = 0; i < R.FColumns.size(); ++i) {
            const std::string& key = R.FColumns[i].rowName;
            if (!key.empty()) R.FColumnByRowName.emplace(key, static_cast<std::uint32_t>(i));
        }
    }

    DBResult storeValue(std::uint32_t column, std::string_view raw) {
        const XmlPacketColumn& c = R.FColumns[column];
        bool isNull = false;
        DBResult rc = parseXmlValue(raw, c.desc.iTypeWord, R.FSettings, c.bcd, &FScratch, &isNull);
        if (rc != DBIERR_NONE)
            return fail(rc, "row value is no value of its column's type", at(raw));
        if (FScratch.size() > std::numeric_limits<std::uint32_t>::max())
            return fail(errPacketMismatch, "row value is too long", at(raw));
        StoredValue v{R.FValueBytes.size(), static_cast<std::uint32_t>(FScratch.size()), column,
                      static_cast<std::uint8_t>(isNull ? 1 : 0)};
        R.FValueBytes.insert(R.FValueBytes.end(), FScratch.begin(), FScratch.end());
        R.FValues.push_back(v);
        return DBIERR_NONE;
    }

    std::uint32_t columnOf(std::string_view rawName) const {
        const auto it = R.FColumnByRowName.find(rawName);
        return it == R.FColumnByRowName.end() ? kNoColumn : it->second;
    }

    DBResult row() {
        Row r{0, R.FValues.size(), 0};
        for (const auto& a : FToken.attributes) {
            if (a.name == "RowState") {
                const std::string text = utf8Text(a.value);
                unsigned status = 0;
                const auto [end, ec] =
                    std::from_chars(text.data(), text.data() + text.size(), status);
                if (ec != std::errc{} || end != text.data() + text.size() || status > 0xFF) {
                    return fail(errPacketMismatch, "RowState is no number from 0 to 255",
                                at(a.value));
                }
                r.status = static_cast<std::uint8_t>(status);
                continue;
            }
            const std::uint32_t column = columnOf(a.name);
            if (column == kNoColumn) continue;
            DBResult rc = storeValue(column, a.value);
            if (rc != DBIERR_NONE) return rc;
        }
        // A value may also stand as the text of a child element named like its column.
        const std::string rowName(FToken.name);
        DBResult rc = children(rowName, [&]() -> DBResult {
            const std::uint32_t column = columnOf(FToken.name);
            if (column == kNoColumn || FToken.empty) return skipElement();
            const std::size_t depth = FScanner.depth();
            std::string_view text;
            for (;;) {
                DBResult r2 = scan();
                if (r2 != DBIERR_NONE) return r2;
                if (FToken.kind == XmlToken::Kind::EndOfInput)
                    return fail(errPacketMismatch, kNotClosed, FDoc.size());
                if (FToken.kind == XmlToken::Kind::Text && FScanner.depth() == depth &&
                    text.empty()) {
                    text = FToken.text;
                }
                if (FToken.kind == XmlToken::Kind::EndTag && FScanner.depth() < depth) break;
            }
            return storeValue(column, text);
        });
        if (rc != DBIERR_NONE) return rc;
        // One value per column, the first given; kept in column order for lookup.
        auto begin = R.FValues.begin() + static_cast<std::ptrdiff_t>(r.first);
        std::stable_sort(begin, R.FValues.end(), [](const StoredValue& a, const StoredValue& b) {
            return a.column < b.column;
        });
        R.FValues.erase(std::unique(begin, R.FValues.end(),
                                    [](const StoredValue& a, const StoredValue& b) {
                                        return a.column == b.column;
                                    }),
                        R.FValues.end());
        r.count = R.FValues.size() - r.first;
        R.FRows.push_back(r);
        return DBIERR_NONE;
    }

    DBResult rows() {
        return children("ROWDATA", [&]() -> DBResult {
            if (FToken.name.substr(0, 3) != "ROW")
                return fail(errPacketMismatch, "ROWDATA holds an element that is no ROW",
                            tokenAt());
            return row();
        });
    }

    static constexpr std::uint32_t kNoColumn = 0xFFFFFFFF;
    XmlPacketReader& R;
    std::string_view FDoc;
    XmlScanner FScanner;
    XmlToken FToken;
    std::vector<unsigned char> FScratch;
};

void XmlPacketReader::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FUtf8Table = utf8;
    FConverter = codePage != 0;
}

DBResult XmlPacketReader::read(std::span<const unsigned char> document, bool metadata) {
    const std::string_view doc(reinterpret_cast<const char*>(document.data()), document.size());
    XmlProlog prolog;
    DBResult rc = readXmlProlog(doc, &prolog, &FFailure);
    if (rc == DBIERR_NONE) {
        FSettings.utf8Document = prolog.utf8;
        FSettings.utf8Table = FUtf8Table;
        FSettings.codePageConverter = FConverter;
        FMode = prolog.utf8 ? kStreamModeXmlUtf8 : kStreamModeXml;
        Parser parser(*this, doc, prolog.bodyStart);
        rc = parser.run(metadata);
    }
    return rc;
}

DBResult XmlPacketReader::openPacket(std::span<const unsigned char> document) {
    FFailure = {};
    FHasMetadata = false;
    FColumns.clear();
    FTableAttributes.clear();
    FColumnByRowName.clear();
    FRows.clear();
    FValues.clear();
    FValueBytes.clear();
    DBResult rc = read(document, true);
    if (rc != DBIERR_NONE) {
        FHasMetadata = false;
        FColumns.clear();
        FTableAttributes.clear();
        FColumnByRowName.clear();
        FRows.clear();
        FValues.clear();
        FValueBytes.clear();
        FMode = 0;
    }
    return rc;
}

DBResult XmlPacketReader::attachRows(std::span<const unsigned char> document) {
    FFailure = {};
    FRows.clear();
    FValues.clear();
    FValueBytes.clear();
    DBResult rc = read(document, false);
    if (rc != DBIERR_NONE) {
        FRows.clear();
        FValues.clear();
        FValueBytes.clear();
    }
    return rc;
}

XmlFieldValue XmlPacketReader::fieldValue(std::size_t row, std::size_t column) const {
    const Row& r = FRows[row];
    const auto begin = FValues.begin() + static_cast<std::ptrdiff_t>(r.first);
    const auto end = begin + static_cast<std::ptrdiff_t>(r.count);
    const auto it = std::lower_bound(
        begin, end, column, [](const StoredValue& v, std::size_t c) { return v.column < c; });
    XmlFieldValue out;
    if (it == end || it->column != column) return out;  // left out: not changed
    out.indicator = it->indicator;
    out.bytes = std::span<const unsigned char>(FValueBytes.data() + it->offset, it->length);
    return out;
}
