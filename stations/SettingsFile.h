#pragma once
// The settings file "option.dat": section "info" with the output folder ("road") and the
// open-folder option ("open"). Each pass creates its own settings object for the file's path.

#include <string>
#include <string_view>

#include "dataset/Exceptions.h"

inline constexpr std::u16string_view kSettingsSection = u"info";
inline constexpr std::u16string_view kOutputFolderKey = u"road";
inline constexpr std::u16string_view kOpenFolderKey = u"open";

// A value the platform refused to write: "Unable to write to %s" with the file's path.
class EIniFileException : public Exception {
  public:
    explicit EIniFileException(const std::u16string& fileName);
};

struct OutputSettings {
    std::u16string outputFolder;
    bool openFolder = false;
};

// Reads both values; a missing file, section or key, or a flag that is no integer, leaves the
// corresponding value of `current` as it is.
OutputSettings readOutputSettings(const std::u16string& fileName, const OutputSettings& current);

// Writes "road", then "open" ("1" or "0"); raises EIniFileException at the first refused write,
// so "open" is not attempted when "road" fails.
void writeOutputSettings(const std::u16string& fileName, const OutputSettings& settings);
