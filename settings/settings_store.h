// Kovaset.ini at one path: loading it, saving it, and the words for a
// failure. The tray program and kovalin-headless both go through it.
#pragma once

#include <string>

#include "settings/file_system.h"
#include "settings/settings_file.h"
#include "settings/write_outcome.h"

// Whether a program may run without its settings file.
enum class SettingsNeed {
    Optional, // the settings folder's file: the defaults stand in for a missing or unreadable one
    Required, // a file named on the command line: it must be there and readable
};

// The settings a program starts with.
struct StartSettings {
    SettingsRecord settings;
    std::string failureLine; // for standard error, after the program's name and ": "; empty when
                             // there is nothing to say
    bool mayRun = true;      // false: a required file could not be read
};

class SettingsStore {
  public:
    // The file at `path`. An empty path names no file: nothing is read or
    // written (no folder could be told, and a relative name would reach
    // whatever folder is current).
    SettingsStore(FileSystem& files, std::string path);

    bool HasFile() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

    // The start-up policy of every program: the defaults, then what the
    // file has. No file (no folder could be told): the defaults, and a line
    // that says so. A missing file: the defaults, silently where it is
    // optional. A file that cannot be read: its line, and the defaults. A
    // required file that is missing or unreadable keeps the program from
    // running.
    StartSettings LoadAtStart(const SettingsRecord& defaults, SettingsNeed need);

    // Reads the lines that the file has into the record (ReadSettings).
    // Without a file: Missing. A file that is there but cannot be read is
    // remembered, so that Save never writes over it.
    LoadResult Load(SettingsRecord& settings);
    // Writes the record crash-safe (SaveCrashSafe), the file's folder made
    // first where it is missing. Without a file nothing is written, and that
    // is no failure: it was said at the start (LoadAtStart). A file that Load
    // could not read is left as it is while it is there (NotRead).
    WriteOutcome Save(const SettingsRecord& settings) const;

    // The line for standard error, after the program's name and ": ".
    std::string SaveFailureLine(const WriteOutcome& saved) const;
    // The message box's text when "終了" could not save: what failed, the
    // file and the reason, in Japanese.
    std::string SaveFailureMessage(const WriteOutcome& saved) const;

  private:
    FileSystem* m_files;
    std::string m_path;
    bool m_notRead = false; // Load found a file that it could not read
};
