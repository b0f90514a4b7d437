#pragma once
// The temporary files of atomic saves: ".<target name>.tmp<pid>-<counter>-<random>" beside the
// target. A save that completes renames its temporary file over the target; one that fails
// removes it. Only a writer that was killed (or lost power) leaves one behind, and such a
// leftover is recognised by its name and a writer process that no longer runs.

#include <string>
#include <string_view>

// A fresh temporary name for `target` (a full path) in the target's folder, unique among the
// writers of this and other processes at the same moment. A long target name is shortened so
// the temporary name stays within the name limit.
std::string temporaryNameFor(const std::string& target);

// The writer's process id when `name` (a file name, no folder) is a temporary name of the
// target named `targetName` (or of any target when `targetName` is empty); 0 when it is not.
long temporaryFileWriter(std::string_view name, std::string_view targetName = {});

// Removes the temporary files of `target` left by writers that no longer run. Files of running
// processes, this one included, are left alone: they may be saves in progress. Failures are
// ignored; a leftover that cannot be removed now is tried again at the next save.
void removeLeftTemporaryFiles(const std::string& target);

// The same for every target in `folder`: the leftovers of all the folder's files.
void removeLeftTemporaryFilesIn(std::u16string_view folder);
