#include "interchange/XspfReader.h"

#include <string>

#include "interchange/TextLines.h"
#include "interchange/XmlTokenizer.h"

namespace {

// The values of the track being read, taken from its child elements.
struct TrackValues {
    std::string location, title, annotation, info;

    // The first non-blank value of an element counts; XSPF allows several locations, the first
    // being the one to try first.
    void set(std::string_view element, std::string text) {
        std::string* slot = element == "location"     ? &location
                            : element == "title"      ? &title
                            : element == "annotation" ? &annotation
                            : element == "info"       ? &info
                                                      : nullptr;
        if (slot && trimmedBytes(*slot).empty()) *slot = std::move(text);
    }

    void fill(StationEntry& e) const {
        e.address = utf8Text(location);
        e.name = utf8Text(trimmedBytes(title).empty() ? annotation : title);
        e.homepage = utf8Text(info);
    }
};

}  // namespace

PlaylistError readXspf(std::string_view text, PlaylistEntrySink& sink) {
    StationEntry entry;  // handed to the sink and refilled for the next track
    std::size_t count = 0;
    XmlTokenizer tokenizer(text);
    XmlEvent event;
    std::size_t depth = 0;           // elements open, the current one included
    std::size_t trackListDepth = 0;  // depth of the open trackList, 0 when none is open
    std::size_t trackDepth = 0;      // depth of the open track, 0 when none is open
    TrackValues track;
    std::string fieldText;  // text of the track's child element being read

    while (tokenizer.next(&event)) {
        switch (event.kind) {
            case XmlEvent::Kind::StartElement: {
                ++depth;
                const std::string_view name = xmlLocalName(event.name);
                if (depth == 1 && name != "playlist") {
                    return readError(PlaylistErrorKind::NotXspf, 0,
                                     "the root element is <" + std::string(event.name) + ">");
                }
                if (depth == 2 && name == "trackList") {
                    trackListDepth = depth;
                } else if (trackListDepth != 0 && trackDepth == 0 && depth == trackListDepth + 1 &&
                           name == "track") {
                    trackDepth = depth;
                    track = TrackValues{};
                } else if (trackDepth != 0 && depth == trackDepth + 1) {
                    fieldText.clear();
                }
                break;
            }
            case XmlEvent::Kind::Text:
                if (trackDepth != 0 && depth == trackDepth + 1) fieldText += event.text;
                break;
            case XmlEvent::Kind::EndElement: {
                const std::string_view name = xmlLocalName(event.name);
                if (trackDepth != 0 && depth == trackDepth + 1) {
                    track.set(name, std::move(fieldText));
                    fieldText.clear();
                } else if (depth == trackDepth) {
                    trackDepth = 0;
                    if (++count > kMaxPlaylistEntries) {
                        return readError(PlaylistErrorKind::TooManyEntries);
                    }
                    track.fill(entry);
                    sink.take(entry);
                } else if (depth == trackListDepth) {
                    trackListDepth = 0;
                }
                --depth;
                break;
            }
            case XmlEvent::Kind::EndOfDocument:
                return {};
        }
    }
    return tokenizer.error();
}

PlaylistReadResult readXspf(std::string_view text) {
    return collectEntries([text](PlaylistEntrySink& sink) { return readXspf(text, sink); });
}
