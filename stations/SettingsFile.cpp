#include "stations/SettingsFile.h"

#include "platform/ProfileFile.h"

EIniFileException::EIniFileException(const std::u16string& fileName)
    : Exception(formatMessage(u"Unable to write to %s", {fileName})) {}

OutputSettings readOutputSettings(const std::u16string& fileName, const OutputSettings& current) {
    ProfileFile settings(fileName);
    OutputSettings read;
    read.outputFolder =
        settings.readString(kSettingsSection, kOutputFolderKey, current.outputFolder);
    read.openFolder = settings.readBool(kSettingsSection, kOpenFolderKey, current.openFolder);
    // Releasing the settings object asks the platform to flush what it cached; nothing depends
    // on the outcome.
    (void)settings.updateFile();
    return read;
}

void writeOutputSettings(const std::u16string& fileName, const OutputSettings& settings) {
    ProfileFile file(fileName);
    if (!file.writeString(kSettingsSection, kOutputFolderKey, settings.outputFolder))
        throw EIniFileException(fileName);
    if (!file.writeBool(kSettingsSection, kOpenFolderKey, settings.openFolder))
        throw EIniFileException(fileName);
    (void)file.updateFile();
}
