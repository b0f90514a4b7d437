#pragma once
// Text of the XML datapacket: escaping, character references and the conversions between the
// table's text encoding and the document's.
//
// A document is either UTF-8 (mode bit 3) or in the table's code page (936). Text reaches it from
// three sources: narrow values of the table (the table's code page, or UTF-8 for a UTF-8 table),
// names (always UTF-8) and wide values ("string.uni", UTF-16LE). Every character that has a
// meaning in markup, and every control character, is written as a reference, so any text can be
// carried in an attribute value:
//
//   tab &#009;  line feed &#010;  carriage return &#013;  other controls &#0NN;
//   "  &quot;   &  &amp;   '  &apos;   <  &lt;   >  &gt;   \  &#092;
//
// In a code-page document the scan steps over double-byte characters, so a trail byte that looks
// like "\" stays what it is.

#include <cstddef>
#include <string>
#include <string_view>

// How text is carried: the document's encoding, the table's narrow-text encoding, and whether
// the table has a code-page converter (without one, non-ASCII characters of UTF-8 text become
// references in a code-page document).
struct XmlTextSettings {
    bool utf8Document = false;
    bool utf8Table = false;
    bool codePageConverter = true;
};

// Where text comes from (writing) or goes to (reading).
enum class XmlTextForm {
    CodePage,  // bytes of code page 936
    Utf8,
    Utf16LE,
};

// The form of the table's narrow values.
inline XmlTextForm narrowForm(const XmlTextSettings& s) {
    return s.utf8Table ? XmlTextForm::Utf8 : XmlTextForm::CodePage;
}

// The settings for metadata text: the values of "string" attributes are UTF-8, like names,
// whatever the table's narrow values are.
inline XmlTextSettings metadataTextSettings(XmlTextSettings s) {
    s.utf8Table = true;
    return s;
}

// Appends `text`, held in `from`, to a document as escaped attribute-value text.
void appendXmlText(std::string& out, std::string_view text, XmlTextForm from,
                   const XmlTextSettings& settings);

// Appends a decimal character reference "&#N;".
void appendCharReference(std::string& out, char32_t codePoint);

// Decodes an attribute value as it stands in a document (references unresolved, in the
// document's encoding) into text of the form `to`. Resolves "&#N;", "&#xH;", "&amp;", "&apos;",
// "&gt;", "&lt;" and "&quot;"; an "&" that starts none of them is kept as it is. A reference to a
// code point that is no character (a surrogate, above U+10FFFF) gives U+FFFD.
std::string decodeXmlText(std::string_view raw, bool utf8Document, XmlTextForm to);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isWellFormedUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point.
void appendUtf8CodePoint(std::string& out, char32_t codePoint);
