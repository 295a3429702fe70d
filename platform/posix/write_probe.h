#pragma once

#include <string>

#include "core/platform.h"

// Whether a program holds the file open for writing, told by a read lease
// taken and released at once: the system refuses the lease while anyone
// writes. Unknown where leases are refused for another reason (a file of
// another user, NFS, some FUSE file systems). NotAFile for a symbolic link,
// whatever it points at, as for a FIFO or a device. Never blocks.
WriteState ProbeWriting(const std::string& path);
