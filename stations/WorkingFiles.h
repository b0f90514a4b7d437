#pragma once
// The files of the station list editor in the user's application-data folder. Each path is
// worked out anew on every call, never cached.

#include <string>

// The working file: the station table between changes.
std::u16string workingFilePath();

// The settings file: the output folder and the open-folder option.
std::u16string settingsFilePath();
