#pragma once
// Reads XSPF playlists (UTF-8 text as decodePlaylistText gives it):
//
//   <playlist version="1" xmlns="http://xspf.org/ns/0/">
//     <trackList>
//       <track>
//         <location>http://example.org/stream</location>   the address (the first one given)
//         <title>Example</title>                           the name
//         <annotation>...</annotation>                     the name when there is no title
//         <info>http://example.org/</info>                 the homepage
//       </track>
//
// Elements are matched by their local name, so the namespace may be declared, left out or
// given a prefix. Other elements (extension, meta, image, ...) are passed over. A document
// that is not well-formed, or whose root is not "playlist", is refused.

#include <string_view>

#include "interchange/PlaylistReadResult.h"

PlaylistError readXspf(std::string_view utf8Text, PlaylistEntrySink& sink);
PlaylistReadResult readXspf(std::string_view utf8Text);
