// The places the settings file may live, as the system tells them
// (settings/settings_location.h holds the rule).
#pragma once

#include "settings/settings_location.h"

// The executable's folder, and on POSIX $XDG_CONFIG_HOME and the user's home
// ($HOME, else the home of the user database), as they are now.
SettingsPlaces TheSettingsPlaces();
