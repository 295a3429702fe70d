// Each system's rules for Kovaset.ini: the settings without it and the
// folder it lives in. Plain rules over what the system tells, so that both
// systems' are tested on every system; platform/system_settings.h applies
// this system's.
#pragma once

#include <string>

#include "core/settings_record.h"
#include "settings/file_system.h"

// What the system says about the places the file may live.
struct SettingsPlaces {
    std::string executableFolder; // with its trailing separator; empty when unknown
    std::string configHome;       // $XDG_CONFIG_HOME; empty when unset
    std::string home;             // the user's home folder; empty when unknown
};

// Windows: the home program's defaults, and the file beside the executable,
// as it always was.
SettingsRecord WindowsDefaultSettings();
std::string WindowsSettingsFolder(const SettingsPlaces& places);

// POSIX: the executable's folder when a Kovaset.ini is there (a portable
// copy), otherwise $XDG_CONFIG_HOME/kovalin/, with ~/.config for an unset,
// empty or relative XDG_CONFIG_HOME. Empty when no folder can be told (no
// executable folder, or no home).
SettingsRecord PosixDefaultSettings();
std::string PosixSettingsFolder(const SettingsPlaces& places, FileSystem& files);
