// Kovaset.ini at one path: loading it, saving it, and the words for a
// failure. The tray program and kovalin-headless both go through it.
#pragma once

#include <string>

#include "settings/file_system.h"
#include "settings/settings_file.h"
#include "settings/write_outcome.h"

class SettingsStore {
  public:
    // The file at `path`. An empty path names no file: nothing is read or
    // written (no folder could be told, and a relative name would reach
    // whatever folder is current).
    SettingsStore(FileSystem& files, std::string path);

    bool HasFile() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

    // Reads the lines that the file has into the record (ReadSettings).
    // Without a file: Missing. A file that is there but cannot be read is
    // remembered, so that Save never writes over it.
    LoadResult Load(SettingsRecord& settings);
    // Writes the record crash-safe (SaveCrashSafe), the file's folder made
    // first where it is missing. Without a file nothing is written, and that
    // is no failure: it was said at the start (NoFileLine). A file that Load
    // could not read is left as it is while it is there (NotRead).
    WriteOutcome Save(const SettingsRecord& settings) const;

    // The lines for standard error, after the program's name and ": ".
    static std::string NoFileLine();
    std::string LoadFailureLine(const LoadResult& read, bool defaultsUsed) const;
    std::string SaveFailureLine(const WriteOutcome& saved) const;
    // The message box's text when "終了" could not save: what failed, the
    // file and the reason, in Japanese.
    std::string SaveFailureMessage(const WriteOutcome& saved) const;

  private:
    FileSystem* m_files;
    std::string m_path;
    bool m_notRead = false; // Load found a file that it could not read
};
