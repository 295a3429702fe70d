// Where Kovaset.ini lives.
#pragma once

#include <string>

#include "settings/file_system.h"

// What the system says about the places the file may live.
struct SettingsPlaces {
    std::string executableFolder; // with its trailing separator; empty when unknown
    std::string configHome;       // $XDG_CONFIG_HOME; empty when unset
    std::string home;             // the user's home folder; empty when unknown
};

// The folder of Kovaset.ini, with its trailing separator. Windows: the
// executable's folder. Elsewhere: the executable's folder when a Kovaset.ini
// is there (a portable copy), otherwise $XDG_CONFIG_HOME/kovalin/, with
// ~/.config for an unset, empty or relative XDG_CONFIG_HOME. Empty when no
// folder can be told (no executable folder, or no home).
std::string LocateSettingsFolder(const SettingsPlaces& places, FileSystem& files);

// The settings file in `folder`; empty when the folder is.
std::string SettingsPathIn(const std::string& folder);
