#include "platform/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/executable_dir.h"
#include "settings/settings_file.h"

namespace {

bool IsAbsolute(const char* path) {
    return path && path[0] == '/';
}

} // namespace

std::string LocateSettingsFolder(const std::string& executableFolder, const char* configHome,
                                 const char* home) {
    struct stat beside;
    if (!executableFolder.empty() &&
        lstat((executableFolder + kSettingsFileName).c_str(), &beside) == 0)
        return executableFolder;
    // Relative values are ignored, as the XDG base directory rules say.
    if (IsAbsolute(configHome))
        return std::string(configHome) + "/kovalin/";
    if (IsAbsolute(home))
        return std::string(home) + "/.config/kovalin/";
    return {};
}

std::string SettingsFolder() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return LocateSettingsFolder(ExecutableDirectory(), std::getenv("XDG_CONFIG_HOME"), home);
}

bool MakeSettingsFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true; // the current folder, or the root
    const std::string folder = path.substr(0, slash);
    struct stat existing;
    if (stat(folder.c_str(), &existing) == 0)
        return S_ISDIR(existing.st_mode);
    // Its own folder first: ~/.config may be missing too.
    if (!MakeSettingsFolder(folder))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string SettingsFilePath() {
    const std::string folder = SettingsFolder();
    return folder.empty() ? folder : folder + kSettingsFileName;
}
