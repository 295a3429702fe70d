// This system's rules for Kovaset.ini (platform/settings_rules.h), over what
// the system tells now.
#pragma once

#include <string>

#include "core/settings_record.h"

// The settings without a file.
SettingsRecord DefaultSettings();

// The folder of Kovaset.ini, with its trailing separator; empty when no
// folder can be told. On POSIX it asks the executable's path,
// $XDG_CONFIG_HOME and the user's home ($HOME, else the user database).
std::string TheSettingsFolder();
