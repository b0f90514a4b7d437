#pragma once
// The per-user application-data folder and path composition.

#include <string>
#include <string_view>

// The application-data folder: $XDG_DATA_HOME/rovena when XDG_DATA_HOME holds an absolute path,
// else $HOME/.local/share/rovena when HOME holds an absolute path. The folder and any missing
// parents are created (owner-only access). The empty text when neither variable can be used or
// the folder cannot be created. Worked out anew on every call.
std::u16string AppDataFolder();
// The same folder as UTF-8 bytes.
std::string appDataFolderUtf8();

// "folder/name": the folder's text, a "/", the name. An empty folder gives "/name", a file in
// the root folder, as the program's paths have always been composed.
std::u16string composePath(std::u16string_view folder, std::u16string_view name);

// The full path of a file name for messages: a relative name is taken from the current folder,
// and "." and ".." steps and repeated separators are resolved by text alone. Empty stays empty.
std::u16string expandFileName(std::u16string_view name);
