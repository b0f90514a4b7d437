#pragma once
// Whole-file reading, moving without replacing, deleting. Paths are UTF-16 text, handed to the
// system as UTF-8. Every call opens and closes its files itself.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/FileResult.h"

// Reads the whole file into `bytes` (replacing its content; emptied on failure). A folder
// fails with "Is a directory".
FileResult readWholeFile(std::u16string_view path, std::vector<std::uint8_t>& bytes);

// Moves a file or folder to `target`, never replacing an existing target ("File exists").
// Within one file system this is an atomic rename. Across file systems a regular file is
// copied (see moveFileByCopy); a folder cannot move across file systems.
FileResult moveFile(std::u16string_view source, std::u16string_view target);

// The cross-file-system part of moveFile: creates `target` exclusively, copies the bytes and
// permissions, syncs and closes it, and only then deletes `source`. On any failure the partial
// target is removed; when the source cannot be deleted the copy is removed too, so that the
// file ends up in exactly one place.
FileResult moveFileByCopy(std::u16string_view source, std::u16string_view target);

// Moves a file to `target`, replacing a file already there, atomically: until the new file is
// complete the old one stays as it was, and then the name points at the new one in one step.
// Within one file system this is a rename over the target. Across file systems see
// moveFileReplacingByCopy. A target without write permission is refused ("Permission denied"),
// as every writer of the user's files refuses it; a folder is never replaced.
FileResult moveFileReplacing(std::u16string_view source, std::u16string_view target);

// The cross-file-system part of moveFileReplacing: the bytes go through an AtomicFileWriter (a
// temporary file in the target's folder, flushed, renamed over the target), and only then is
// `source` deleted. On a failure before the rename the target and the source are untouched. A
// source that cannot be deleted afterwards is left beside the complete target: the move has
// happened, and the answer is success.
FileResult moveFileReplacingByCopy(std::u16string_view source, std::u16string_view target);

// Deletes a file (not a folder).
FileResult deleteFile(std::u16string_view path);

// True when something other than a folder exists at `path`.
bool fileExists(std::u16string_view path);
