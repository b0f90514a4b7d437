#pragma once
// A small, bounded XML tokenizer for playlists: it hands out element starts and ends and the
// text between them, and checks what makes a document well-formed enough to trust its
// structure: tags closed, end tags matching their starts, one root element, comments, CDATA
// sections, processing instructions and a document type declaration closed. It never reads past
// the text it is given, keeps only the names of the open elements, and refuses nesting deeper
// than kMaxDepth.
//
// Text has its entity and character references resolved: the five predefined entities and
// &#N; / &#xH;. A reference to no character (0, a surrogate, beyond U+10FFFF) becomes U+FFFD;
// an unknown entity or an "&" that starts no reference stays as written. CDATA sections are text
// as they stand. Attributes are checked and skipped: playlists keep their content in elements.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/PlaylistError.h"

struct XmlEvent {
    enum class Kind { StartElement, EndElement, Text, EndOfDocument };
    Kind kind = Kind::EndOfDocument;
    std::string_view name;  // StartElement, EndElement: the name as written, prefix included
    std::string text;       // Text
};

// The part of a name after its namespace prefix ("xspf:track" -> "track").
std::string_view xmlLocalName(std::string_view name);

class XmlTokenizer {
  public:
    static constexpr std::size_t kMaxDepth = 256;

    // The text must outlive the tokenizer and the names it hands out.
    explicit XmlTokenizer(std::string_view text) : FText(text) {}

    // The next event; false on a fault, described by error(). An element written "<a/>" gives
    // its start and, at the next call, its end.
    bool next(XmlEvent* event);
    const PlaylistError& error() const { return FError; }
    // Elements open at the moment (the one just started included).
    std::size_t depth() const { return FOpen.size(); }

  private:
    bool fail(std::size_t offset, std::string detail,
              PlaylistErrorKind kind = PlaylistErrorKind::XmlMalformed);
    bool startTag(XmlEvent* event);
    bool endTag(XmlEvent* event);
    // Skips from the current "<" past the terminator, looking for it after the opening's length.
    bool skipPast(std::size_t opening, std::string_view terminator, const char* what);
    bool skipDocumentType();
    void appendText(std::string_view raw, std::string* out) const;

    std::string_view FText;
    std::size_t FPos = 0;
    std::vector<std::string_view> FOpen;
    bool FRootSeen = false;
    bool FPendingEnd = false;  // the last start tag was "<a/>"
    PlaylistError FError;
};
