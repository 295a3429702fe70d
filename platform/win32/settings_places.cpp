#include "platform/settings_places.h"

#include "platform/executable_dir.h"

// Windows keeps the settings beside the executable: nothing else is asked.
SettingsPlaces TheSettingsPlaces() {
    return {ExecutableDirectory(), {}, {}};
}
