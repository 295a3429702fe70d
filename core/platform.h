// What the worker and the quota pass need of the operating system. The real
// platform lives in platform/; tests pass a fake folder and a fake clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/file_name.h"

struct DirEntry {
    std::string name;          // the entry's name, without its folder
    std::int64_t creationTime; // whole seconds, on the clock of Platform::Now
    std::uint64_t size;        // bytes; 0 for a directory
    bool isDirectory;
};

// A converter that was started. Destroying it releases the handle but never
// stops the converter.
class ConverterProcess {
  public:
    virtual ~ConverterProcess() = default;
    // Blocks without a time limit until the converter has exited.
    virtual void Wait() = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Visits every entry whose name matches the pattern, in the order the
    // system lists them. The pattern is a folder prefix (empty for the current
    // directory) followed by a mask such as "*.flv", matched without regard to
    // ASCII case. Files, directories and hidden entries all count; links are
    // not followed. A missing or unreadable folder yields nothing.
    virtual void FindEntries(const std::string& pattern,
                             const std::function<void(const DirEntry&)>& visit) = 0;

    // Deletes one file (never a directory); false when nothing was deleted.
    virtual bool RemoveFile(const std::string& path) = 0;

    // Current time in whole seconds.
    virtual std::int64_t Now() = 0;

    virtual void SleepMs(unsigned milliseconds) = 0;

    // Starts the command line with a hidden window and no shell. Null when the
    // converter could not be started.
    virtual std::unique_ptr<ConverterProcess> StartHidden(const std::string& commandLine) = 0;

    // Tells the first bytes of double-byte characters in the system's narrow
    // encoding, whose second bytes are never a "." or a separator; null where
    // the encoding needs no such care.
    virtual LeadByteTest LeadBytes() const { return nullptr; }
};

// The process's real platform, never destroyed.
Platform& ThePlatform();
