// The file calls that the settings file is found and saved with. platform/
// implements them for each system (TheFileSystem()); the unit tests use a
// folder in memory. A call that fails gives the system's error as a
// WriteOutcome, its code mapped to a WriteFailure by the system's rules.
// Each call's promise is written here; an implementation says only how it
// keeps it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_name.h"
#include "settings/write_outcome.h"

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // What stands at a path, links followed.
    struct Entry {
        bool exists = false;
        bool isFolder = false;
        bool readOnly = false;    // no one may write it: no write permission bit, or the
                                  // read-only attribute
        unsigned permissions = 0; // its POSIX permission bits; 0 on Windows
    };
    virtual Entry Inspect(const std::string& path) = 0;
    // True when anything is at `path`; a link counts itself, wherever it leads.
    virtual bool Exists(const std::string& path) = 0;
    // Whether this process may write the file at `path`: the system's refusal, or success.
    virtual WriteOutcome MayWrite(const std::string& path) = 0;
    // The path of the file that `path` leads to through links; `path` itself where
    // there is none, or where the system does not follow them here.
    virtual std::string ResolveLinks(const std::string& path) = 0;
    struct Read {
        bool found = false; // false: nothing is at the path
        int error = 0;      // the C runtime's errno of a failure; 0 when read
        std::string bytes;  // the file's first bytes, at most the number asked for
    };
    // Reads the start of the file at `path`, links followed.
    virtual Read ReadStart(const std::string& path, std::size_t maxBytes) = 0;
    // Makes one folder that its owner alone may enter (0700). True when a folder
    // is there afterwards.
    virtual bool MakeFolder(const std::string& path) = 0;

    enum class Open {
        CreateNew, // a new file with `permissions`; fails where anything has the name
        Truncate,  // the file that is there, emptied first
    };
    struct Written {
        bool opened = false; // false: the file was not opened and nothing was written
        WriteOutcome outcome;
    };
    // Opens the file, writes every byte, flushes them to the disk and closes it.
    virtual Written WriteWhole(const std::string& path, Open how, unsigned permissions,
                               const std::string& bytes) = 0;
    // Moves the file `from` over `to` in one step, replacing what was there.
    virtual WriteOutcome Replace(const std::string& from, const std::string& to) = 0;
    // Makes the folder's names last through a crash (its own fsync on POSIX).
    virtual void SyncFolder(const std::string& folder) = 0;
    // Deletes a temporary file that a save made (never a folder); false when
    // nothing was deleted.
    virtual bool RemoveTemporaryFile(const std::string& path) = 0;
    // Names of the plain files (neither folders nor links) in `folder` (with its
    // trailing separator, empty for the current folder) that begin with `prefix`.
    virtual std::vector<std::string> ListFiles(const std::string& folder,
                                               const std::string& prefix) = 0;

    virtual std::uint64_t ProcessId() = 0;
    // True while the process may still be running: it is, or the system will not say.
    virtual bool ProcessIsAlive(std::uint64_t processId) = 0;

    // Lead bytes of the narrow encoding, so that a path is cut at a real
    // separator; null where the encoding needs no such care.
    virtual LeadByteTest LeadBytes() const { return nullptr; }
};
