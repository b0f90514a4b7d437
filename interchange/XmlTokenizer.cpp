#include "interchange/XmlTokenizer.h"

#include "interchange/TextLines.h"
#include "platform/Unicode.h"

namespace {

bool isXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(char c) {
    return isXmlBlank(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\'';
}

// The character a reference's body stands for ("lt", "#38", "#x26"); false when the body is no
// reference at all.
bool resolveReference(std::string_view body, std::string* out) {
    if (body == "lt") {
        out->push_back('<');
    } else if (body == "gt") {
        out->push_back('>');
    } else if (body == "amp") {
        out->push_back('&');
    } else if (body == "quot") {
        out->push_back('"');
    } else if (body == "apos") {
        out->push_back('\'');
    } else if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        char32_t value = 0;
        for (char c : digits) {
            unsigned digit;
            if (c >= '0' && c <= '9') {
                digit = static_cast<unsigned>(c - '0');
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = static_cast<unsigned>(c - 'a' + 10);
            } else if (hex && c >= 'A' && c <= 'F') {
                digit = static_cast<unsigned>(c - 'A' + 10);
            } else {
                return false;
            }
            value = value * (hex ? 16 : 10) + digit;
            if (value > 0x10FFFF) value = 0x110000;  // stays out of range, never overflows
        }
        // appendUtf8 turns surrogates and values beyond U+10FFFF into U+FFFD.
        appendUtf8(*out, value == 0 ? char32_t{0xFFFD} : value);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string_view xmlLocalName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool XmlTokenizer::fail(std::size_t offset, std::string detail, PlaylistErrorKind kind) {
    FError = PlaylistError{kind, lineOfOffset(FText, offset), std::move(detail)};
    return false;
}

void XmlTokenizer::appendText(std::string_view raw, std::string* out) const {
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t amp = raw.find('&', pos);
        if (amp == std::string_view::npos) {
            out->append(raw.substr(pos));
            return;
        }
        out->append(raw.substr(pos, amp - pos));
        // A reference is short: look for its ";" among the next few characters only.
        const std::size_t semicolon = raw.substr(amp, 16).find(';');
        if (semicolon != std::string_view::npos &&
            resolveReference(raw.substr(amp + 1, semicolon - 1), out)) {
            pos = amp + semicolon + 1;
        } else {
            out->push_back('&');
            pos = amp + 1;
        }
    }
}

bool XmlTokenizer::skipPast(std::size_t opening, std::string_view terminator, const char* what) {
    const std::size_t end = FText.find(terminator, FPos + opening);
    if (end == std::string_view::npos) {
        return fail(FPos, std::string("the document ends inside ") + what);
    }
    FPos = end + terminator.size();
    return true;
}

bool XmlTokenizer::skipDocumentType() {
    const std::size_t start = FPos;
    std::size_t brackets = 0;
    char quote = '\0';
    for (std::size_t pos = FPos + 2; pos < FText.size(); ++pos) {
        const char c = FText[pos];
        if (quote != '\0') {
            if (c == quote) quote = '\0';
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']' && brackets > 0) {
            --brackets;
        } else if (c == '>' && brackets == 0) {
            FPos = pos + 1;
            return true;
        }
    }
    return fail(start, "the document ends inside a declaration");
}

bool XmlTokenizer::startTag(XmlEvent* event) {
    const std::size_t start = FPos;
    std::size_t pos = FPos + 1;
    while (pos < FText.size() && !endsName(FText[pos])) ++pos;
    const std::string_view name = FText.substr(start + 1, pos - start - 1);
    if (name.empty()) return fail(start, "a \"<\" that starts no tag");
    if (FRootSeen && FOpen.empty())
        return fail(start, "a second root element <" + std::string(name) + ">");
    bool selfClosing = false;
    for (;;) {
        while (pos < FText.size() && isXmlBlank(FText[pos])) ++pos;
        if (pos >= FText.size()) return fail(start, "the document ends inside a tag");
        if (FText[pos] == '>') {
            ++pos;
            break;
        }
        if (FText[pos] == '/') {
            if (pos + 1 >= FText.size() || FText[pos + 1] != '>') {
                return fail(pos, "a \"/\" inside the tag <" + std::string(name) + ">");
            }
            selfClosing = true;
            pos += 2;
            break;
        }
        const std::size_t nameStart = pos;
        while (pos < FText.size() && !endsName(FText[pos])) ++pos;
        if (pos == nameStart)
            return fail(pos, "a malformed attribute in <" + std::string(name) + ">");
        while (pos < FText.size() && isXmlBlank(FText[pos])) ++pos;
        if (pos >= FText.size() || FText[pos] != '=') {
            return fail(pos, "an attribute without a value in <" + std::string(name) + ">");
        }
        ++pos;
        while (pos < FText.size() && isXmlBlank(FText[pos])) ++pos;
        if (pos >= FText.size() || (FText[pos] != '"' && FText[pos] != '\'')) {
            return fail(pos, "an attribute value without quotes in <" + std::string(name) + ">");
        }
        const std::size_t close = FText.find(FText[pos], pos + 1);
        if (close == std::string_view::npos) return fail(pos, "an attribute value never closed");
        pos = close + 1;
    }
    if (FOpen.size() >= kMaxDepth) {
        return fail(start, "elements nested more than " + std::to_string(kMaxDepth) + " deep",
                    PlaylistErrorKind::TooDeep);
    }
    FOpen.push_back(name);
    FRootSeen = true;
    FPendingEnd = selfClosing;
    FPos = pos;
    event->kind = XmlEvent::Kind::StartElement;
    event->name = name;
    event->text.clear();
    return true;
}

bool XmlTokenizer::endTag(XmlEvent* event) {
    const std::size_t start = FPos;
    std::size_t pos = FPos + 2;
    while (pos < FText.size() && !endsName(FText[pos])) ++pos;
    const std::string_view name = FText.substr(start + 2, pos - start - 2);
    while (pos < FText.size() && isXmlBlank(FText[pos])) ++pos;
    if (pos >= FText.size() || FText[pos] != '>') {
        return fail(start, "a malformed end tag </" + std::string(name) + ">");
    }
    if (FOpen.empty())
        return fail(start, "the end tag </" + std::string(name) + "> closes nothing");
    if (FOpen.back() != name) {
        return fail(start, "the end tag </" + std::string(name) + "> does not match <" +
                               std::string(FOpen.back()) + ">");
    }
    FOpen.pop_back();
    FPos = pos + 1;
    event->kind = XmlEvent::Kind::EndElement;
    event->name = name;
    event->text.clear();
    return true;
}

bool XmlTokenizer::next(XmlEvent* event) {
    if (FError.failed()) return false;
    if (FPendingEnd) {
        FPendingEnd = false;
        event->kind = XmlEvent::Kind::EndElement;
        event->name = FOpen.back();
        event->text.clear();
        FOpen.pop_back();
        return true;
    }
    std::string text;
    for (;;) {
        if (FPos >= FText.size()) {
            if (!FOpen.empty()) {
                return fail(FPos, "the document ends before </" + std::string(FOpen.back()) + ">");
            }
            if (!FRootSeen) return fail(FPos, "no root element");
            event->kind = XmlEvent::Kind::EndOfDocument;
            event->name = {};
            event->text.clear();
            return true;
        }
        const std::string_view rest = FText.substr(FPos);
        if (rest[0] != '<') {
            std::size_t end = FText.find('<', FPos);
            if (end == std::string_view::npos) end = FText.size();
            // Text outside the root element is ignored.
            if (!FOpen.empty()) appendText(FText.substr(FPos, end - FPos), &text);
            FPos = end;
            continue;
        }
        if (rest.starts_with("<!--")) {
            if (!skipPast(4, "-->", "a comment")) return false;
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            if (FOpen.empty()) return fail(FPos, "a CDATA section outside the root element");
            const std::size_t end = FText.find("]]>", FPos + 9);
            if (end == std::string_view::npos) {
                return fail(FPos, "the document ends inside a CDATA section");
            }
            text.append(FText.substr(FPos + 9, end - FPos - 9));
            FPos = end + 3;
            continue;
        }
        if (rest.starts_with("<!")) {
            if (FRootSeen) return fail(FPos, "a declaration inside the document");
            if (!skipDocumentType()) return false;
            continue;
        }
        if (rest.starts_with("<?")) {
            if (!skipPast(2, "?>", "a processing instruction")) return false;
            continue;
        }
        if (!text.empty()) {
            event->kind = XmlEvent::Kind::Text;
            event->name = {};
            event->text = std::move(text);
            return true;
        }
        return rest.starts_with("</") ? endTag(event) : startTag(event);
    }
}
