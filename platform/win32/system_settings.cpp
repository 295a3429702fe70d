#include "platform/system_settings.h"

#include "platform/executable_dir.h"
#include "platform/settings_rules.h"

SettingsRecord DefaultSettings() {
    return WindowsDefaultSettings();
}

// Windows keeps the settings beside the executable: nothing else is asked.
std::string TheSettingsFolder() {
    return WindowsSettingsFolder({ExecutableDirectory(), {}, {}});
}
