#include "platform/settings_location.h"

#include "platform/executable_dir.h"
#include "settings/settings_file.h"

// Windows keeps the settings beside Kovalin.exe, as it always did.
std::string LocateSettingsFolder(const std::string& executableFolder, const char*, const char*) {
    return executableFolder;
}

std::string SettingsFolder() {
    return ExecutableDirectory();
}

bool MakeSettingsFolder(const std::string&) {
    return true; // the executable's folder exists
}

std::string SettingsFilePath() {
    const std::string folder = SettingsFolder();
    return folder.empty() ? folder : folder + kSettingsFileName;
}
