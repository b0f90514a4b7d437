#pragma once
// A small lenient scanner for the XML datapacket dialect. It hands out start tags (with their
// attributes), end tags and text, and checks only what the packet needs:
//
//   - bytes 0x01 to 0x20 between tokens are blanks;
//   - processing instructions "<?" ... "?>" and comments "<!" ... "-->" are skipped;
//   - an attribute is a name, "=" and a value in double (or single) quotes that runs to the next
//     such quote; blanks inside the name are dropped;
//   - elements nest at most 63 deep; an end tag must match its start tag; a tag must be closed
//     by ">" (or "/>").
//
// Every violation answers errPacketMismatch. The scanner works on the bytes it is given, never
// reads past them and keeps only the names of the open elements.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "packet/DBResult.h"
#include "packet/ReadFailure.h"

struct XmlRawAttribute {
    std::string name;        // blanks dropped
    std::string_view value;  // as it stands, references unresolved
};

struct XmlToken {
    enum class Kind { StartTag, EndTag, Text, EndOfInput };
    Kind kind = Kind::EndOfInput;
    std::string_view name;  // StartTag, EndTag
    bool empty = false;     // StartTag closed by "/>": no end tag follows
    std::vector<XmlRawAttribute> attributes;
    std::string_view text;  // Text: the bytes between two tags, not all blanks
};

// Where the document's body starts and which encoding it asks for.
struct XmlProlog {
    std::size_t bodyStart = 0;
    bool utf8 = false;  // a byte-order mark, or encoding="UTF-8" and the input well-formed UTF-8
};

// Reads the byte-order mark and the optional prolog ("<?" ... "?>"). Fails with
// errPacketMismatch when the first non-blank character is not "<" or the prolog is not closed;
// `failure`, when given, then says which and where.
DBResult readXmlProlog(std::string_view document, XmlProlog* prolog,
                       ReadFailure* failure = nullptr);

class XmlScanner {
  public:
    static constexpr std::size_t kMaxDepth = 63;

    // `document` stays owned by the caller and must outlive the scanner and its tokens.
    XmlScanner(std::string_view document, std::size_t start) : FDoc(document), FPos(start) {}

    // The next token. At the end of the input: EndOfInput (whatever is still open).
    DBResult next(XmlToken* token);

    // Number of open elements.
    std::size_t depth() const { return FOpen.size(); }

    // After next() failed: the check and the byte offset in the document.
    const ReadFailure& failure() const { return FFailure; }

  private:
    DBResult startTag(XmlToken* token);
    DBResult endTag(XmlToken* token);
    DBResult skipPast(std::string_view terminator);
    DBResult fail(const char* check, std::size_t offset) {
        FFailure = {check, offset};
        return errPacketMismatch;
    }

    std::string_view FDoc;
    std::size_t FPos;
    std::vector<std::string_view> FOpen;
    ReadFailure FFailure;
};
