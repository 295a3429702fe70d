#include "platform/settings_rules.h"

#include "settings/settings_file.h"

namespace {

// Relative values are ignored, as the XDG base directory rules say.
bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

} // namespace

SettingsRecord WindowsDefaultSettings() {
    return {"c:\\var\\www\\tmp", "c:\\var\\getmorv.bat", 0};
}

std::string WindowsSettingsFolder(const SettingsPlaces& places) {
    return places.executableFolder;
}

SettingsRecord PosixDefaultSettings() {
    return {"/var/www/tmp", "/var/getmorv.sh", 0};
}

std::string PosixSettingsFolder(const SettingsPlaces& places, FileSystem& files) {
    if (!places.executableFolder.empty() && files.Exists(SettingsPathIn(places.executableFolder)))
        return places.executableFolder;
    if (IsAbsolute(places.configHome))
        return places.configHome + "/kovalin/";
    if (IsAbsolute(places.home))
        return places.home + "/.config/kovalin/";
    return {};
}
