// Why a file could not be written.
#pragma once

#include <string>

enum class WriteFailure {
    None,
    ReadOnly,     // the file is read-only (chmod a-w, the read-only attribute)
    AccessDenied, // the user may not write the file or its folder
    DiskFull,     // no room left (or a file size limit)
    IsFolder,     // a folder stands where the file should be
    NoFolder,     // the folder does not exist
    NotRead,      // the file could not be read at the start: writing would put the
                  // defaults over settings this run never had
    Other,        // any other error of the system
};

struct WriteOutcome {
    WriteFailure failure = WriteFailure::None;
    int systemError = 0; // errno, or GetLastError() on Windows; 0 when none
    std::string detail;  // the system's words for the error, for a log line

    explicit operator bool() const { return failure == WriteFailure::None; }
};
