// What CWatchDlg needs of the process around it, so that tests can supply
// their own shared state, settings folder and defaults, and worker.
#pragma once

#include <functional>
#include <string>

#include "core/file_name.h"
#include "core/severity.h"
#include "core/settings_record.h"
#include "settings/file_system.h"

struct SharedState;

struct WatchDlgEnvironment {
    SharedState* state = nullptr;
    // Folder of the settings file with its trailing separator: the
    // executable's, or on Linux the user's configuration folder; empty when
    // no folder can be told.
    std::function<std::string()> settingsFolder;
    // The settings without a file: the system's defaults.
    SettingsRecord defaultSettings;
    // The file calls that the settings file is saved with.
    FileSystem* files = nullptr;
    // Starts the conversion worker over `state`; false when it could not.
    std::function<bool()> startWorker;
    // Lead bytes of the text encoding; null for UTF-8.
    LeadByteTest isLeadByte = nullptr;
    // Says one line (given without its line end and the program's name)
    // where a user or a log sees what the program says without a window.
    std::function<void(Severity, const std::string&)> reportLine;
};
