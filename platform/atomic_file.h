// Replacing a small file whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Why a file could not be written.
enum class WriteFailure {
    None,
    ReadOnly,     // the file is read-only (chmod a-w, the read-only attribute)
    AccessDenied, // the user may not write the file or its folder
    DiskFull,     // no room left (or a file size limit)
    IsFolder,     // a folder stands where the file should be
    NoFolder,     // the folder does not exist
    Other,        // any other error of the system
};

struct WriteOutcome {
    WriteFailure failure = WriteFailure::None;
    int systemError = 0; // errno, or GetLastError() on Windows; 0 when none
    std::string detail;  // the system's words for the error, for a log line

    explicit operator bool() const { return failure == WriteFailure::None; }
};

// Writes `bytes` to a new file beside `path` and moves it over `path`, so
// that readers and crashes see the old file or the new one, never a part.
// Where the folder refuses a new file, `path` is rewritten in place. A file
// that the user may not write, or that no one may write, is left alone and
// the write fails. After a write, temporary files that earlier runs left
// beside `path` (killed in the middle of a write) are removed.
WriteOutcome WriteFileAtomically(const std::string& path, const std::string& bytes);

// The temporary files of a write to a file named `fileName` are named
// "<fileName>.new-<process id>-<number>" (decimal digits). True when `name`
// is such a name exactly; `processId` then holds the id of the process that
// made it.
bool IsTemporaryFileOf(std::string_view name, std::string_view fileName, std::uint64_t& processId);
