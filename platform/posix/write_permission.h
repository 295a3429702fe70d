// What POSIX takes for the read-only attribute of Windows.
#pragma once

#include <sys/stat.h>

// True when the permission bits let no one write: neither owner, group nor
// others.
inline bool NobodyMayWrite(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A regular file that nobody may write: the quota pass keeps it, as Windows
// keeps a read-only file.
inline bool IsReadOnlyFile(mode_t mode) {
    return S_ISREG(mode) && NobodyMayWrite(mode);
}
