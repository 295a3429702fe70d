#include "platform/settings_places.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/executable_dir.h"

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

SettingsPlaces TheSettingsPlaces() {
    SettingsPlaces places{ExecutableDirectory(), Variable("XDG_CONFIG_HOME"), Variable("HOME")};
    if (places.home.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user && user->pw_dir)
            places.home = user->pw_dir;
    }
    return places;
}
