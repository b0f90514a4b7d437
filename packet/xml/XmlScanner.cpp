#include "packet/xml/XmlScanner.h"

#include "packet/AsciiCase.h"
#include "packet/xml/XmlText.h"

namespace {

bool isBlank(char c) {
    return c >= 0x01 && c <= 0x20;
}

// Characters that end an element name.
bool endsName(char c) {
    return isBlank(c) || c == '>' || c == '/' || c == '\0';
}

std::string_view encodingOf(std::string_view prolog) {
    const std::size_t key = prolog.find("encoding");
    if (key == std::string_view::npos) return {};
    std::size_t p = key + 8;
    while (p < prolog.size() && isBlank(prolog[p])) ++p;
    if (p >= prolog.size() || prolog[p] != '=') return {};
    ++p;
    while (p < prolog.size() && isBlank(prolog[p])) ++p;
    if (p >= prolog.size() || (prolog[p] != '"' && prolog[p] != '\'')) return {};
    const char quote = prolog[p++];
    const std::size_t end = prolog.find(quote, p);
    if (end == std::string_view::npos) return {};
    return prolog.substr(p, end - p);
}

}  // namespace

DBResult readXmlProlog(std::string_view doc, XmlProlog* prolog, ReadFailure* failure) {
    auto fail = [failure](const char* check, std::size_t offset) {
        if (failure != nullptr) *failure = {check, offset};
        return errPacketMismatch;
    };
    *prolog = XmlProlog{};
    std::size_t p = 0;
    bool bom = false;
    if (doc.substr(0, 3) == "\xEF\xBB\xBF") {
        bom = true;
        p = 3;
    }
    while (p < doc.size() && isBlank(doc[p])) ++p;
    if (p >= doc.size() || doc[p] != '<')
        return fail("bad magic number: neither a binary nor an XML datapacket", p);
    bool declaresUtf8 = false;
    if (doc.substr(p, 2) == "<?") {
        const std::size_t end = doc.find("?>", p + 2);
        if (end == std::string_view::npos) return fail("XML prolog is not closed", p);
        declaresUtf8 = equalsIgnoringAsciiCase(encodingOf(doc.substr(p, end - p)), "UTF-8");
        p = end + 2;
    }
    prolog->bodyStart = p;
    prolog->utf8 = bom || (declaresUtf8 && isWellFormedUtf8(doc));
    return DBIERR_NONE;
}

DBResult XmlScanner::skipPast(std::string_view terminator) {
    const std::size_t end = FDoc.find(terminator, FPos);
    if (end == std::string_view::npos)
        return fail("comment or processing instruction is not closed", FPos - 2);
    FPos = end + terminator.size();
    return DBIERR_NONE;
}

DBResult XmlScanner::next(XmlToken* token) {
    token->attributes.clear();
    token->name = {};
    token->text = {};
    token->empty = false;
    for (;;) {
        while (FPos < FDoc.size() && isBlank(FDoc[FPos])) ++FPos;
        if (FPos >= FDoc.size()) {
            token->kind = XmlToken::Kind::EndOfInput;
            return DBIERR_NONE;
        }
        if (FDoc[FPos] != '<') {
            std::size_t end = FDoc.find('<', FPos);
            if (end == std::string_view::npos) end = FDoc.size();
            token->kind = XmlToken::Kind::Text;
            token->text = FDoc.substr(FPos, end - FPos);
            FPos = end;
            return DBIERR_NONE;
        }
        const std::string_view rest = FDoc.substr(FPos);
        if (rest.substr(0, 2) == "<?") {
            FPos += 2;
            DBResult rc = skipPast("?>");
            if (rc != DBIERR_NONE) return rc;
            continue;
        }
        if (rest.substr(0, 2) == "<!") {
            FPos += 2;
            DBResult rc = skipPast("-->");
            if (rc != DBIERR_NONE) return rc;
            continue;
        }
        if (rest.substr(0, 2) == "</") return endTag(token);
        return startTag(token);
    }
}

DBResult XmlScanner::endTag(XmlToken* token) {
    std::size_t p = FPos + 2;
    const std::size_t nameStart = p;
    while (p < FDoc.size() && !endsName(FDoc[p])) ++p;
    const std::string_view name = FDoc.substr(nameStart, p - nameStart);
    while (p < FDoc.size() && isBlank(FDoc[p])) ++p;
    if (p >= FDoc.size() || FDoc[p] != '>') return fail("end tag is not closed", FPos);
    if (FOpen.empty() || FOpen.back() != name)
        return fail("end tag does not match its start tag", FPos);
    FOpen.pop_back();
    FPos = p + 1;
    token->kind = XmlToken::Kind::EndTag;
    token->name = name;
    return DBIERR_NONE;
}

DBResult XmlScanner::startTag(XmlToken* token) {
    std::size_t p = FPos + 1;
    const std::size_t nameStart = p;
    while (p < FDoc.size() && !endsName(FDoc[p])) ++p;
    if (p == nameStart) return fail("start tag has no name", FPos);
    if (FOpen.size() >= kMaxDepth) return fail("elements nest too deep", FPos);
    token->kind = XmlToken::Kind::StartTag;
    token->name = FDoc.substr(nameStart, p - nameStart);
    for (;;) {
        while (p < FDoc.size() && isBlank(FDoc[p])) ++p;
        if (p >= FDoc.size()) return fail("start tag runs past the end", FPos);
        if (FDoc[p] == '>') {
            FOpen.push_back(token->name);
            FPos = p + 1;
            return DBIERR_NONE;
        }
        if (FDoc[p] == '/') {
            if (p + 1 >= FDoc.size() || FDoc[p + 1] != '>')
                return fail("'/' in a start tag is not followed by '>'", p);
            token->empty = true;
            FPos = p + 2;
            return DBIERR_NONE;
        }
        // An attribute: its name runs to "=", blanks inside it dropped.
        XmlRawAttribute attribute;
        while (p < FDoc.size() && FDoc[p] != '=') {
            const char c = FDoc[p];
            if (c == '>' || c == '/' || c == '"' || c == '\'' || c == '<')
                return fail("attribute has no '='", p);
            if (!isBlank(c)) attribute.name.push_back(c);
            ++p;
        }
        if (p >= FDoc.size()) return fail("start tag runs past the end", FPos);
        ++p;  // "="
        while (p < FDoc.size() && isBlank(FDoc[p])) ++p;
        if (p >= FDoc.size() || (FDoc[p] != '"' && FDoc[p] != '\''))
            return fail("attribute value is not quoted", p);
        const char quote = FDoc[p++];
        const std::size_t end = FDoc.find(quote, p);
        if (end == std::string_view::npos) return fail("attribute value is not closed", p - 1);
        attribute.value = FDoc.substr(p, end - p);
        token->attributes.push_back(std::move(attribute));
        p = end + 1;
    }
}
