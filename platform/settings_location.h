// Where the settings file lives.
#pragma once

#include <string>

// The folder of Kovaset.ini, with its trailing separator. Windows: the
// executable's folder. Elsewhere: the executable's folder when a Kovaset.ini
// is there (a portable copy), otherwise $XDG_CONFIG_HOME/kovalin/, with
// ~/.config for an unset, empty or relative XDG_CONFIG_HOME. Empty when no
// folder can be told (no executable path, or no home).
std::string SettingsFolder();

// SettingsFolder() + "Kovaset.ini"; empty when the folder is.
std::string SettingsFilePath();

// The same lookup for a given executable folder, XDG_CONFIG_HOME and HOME
// (null when unset).
std::string LocateSettingsFolder(const std::string& executableFolder, const char* configHome,
                                 const char* home);

// Makes the folder of `path` where it is missing, each new folder readable
// by its owner alone (0700). True when the folder exists afterwards.
bool MakeSettingsFolder(const std::string& path);
