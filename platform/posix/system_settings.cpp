#include "platform/system_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/executable_dir.h"
#include "platform/settings_rules.h"
#include "platform/the_file_system.h"

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

SettingsPlaces ThePlaces() {
    SettingsPlaces places{ExecutableDirectory(), Variable("XDG_CONFIG_HOME"), Variable("HOME")};
    if (places.home.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user && user->pw_dir)
            places.home = user->pw_dir;
    }
    return places;
}

} // namespace

SettingsRecord DefaultSettings() {
    return PosixDefaultSettings();
}

std::string TheSettingsFolder() {
    return PosixSettingsFolder(ThePlaces(), TheFileSystem());
}
