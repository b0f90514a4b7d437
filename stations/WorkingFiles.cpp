#include "stations/WorkingFiles.h"

#include "platform/AppPaths.h"

std::u16string workingFilePath() {
    return composePath(AppDataFolder(), u"temp.cds");
}

std::u16string settingsFilePath() {
    return composePath(AppDataFolder(), u"option.dat");
}
