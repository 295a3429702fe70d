#include "settings/settings_location.h"

#include "settings/settings_file.h"

#ifdef _WIN32
// Windows keeps the settings beside Kovalin.exe, as it always did.
std::string LocateSettingsFolder(const SettingsPlaces& places, FileSystem&) {
    return places.executableFolder;
}
#else
namespace {

// Relative values are ignored, as the XDG base directory rules say.
bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

} // namespace

std::string LocateSettingsFolder(const SettingsPlaces& places, FileSystem& files) {
    if (!places.executableFolder.empty() && files.Exists(SettingsPathIn(places.executableFolder)))
        return places.executableFolder;
    if (IsAbsolute(places.configHome))
        return places.configHome + "/kovalin/";
    if (IsAbsolute(places.home))
        return places.home + "/.config/kovalin/";
    return {};
}
#endif

std::string SettingsPathIn(const std::string& folder) {
    return folder.empty() ? folder : folder + kSettingsFileName;
}
