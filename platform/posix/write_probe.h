#pragma once

#include <string>

#include "core/platform.h"

// Whether a program holds the file open for writing, told by a read lease
// taken and released at once: the system refuses the lease while anyone
// writes. Unknown where leases are refused for another reason (a file of
// another user, NFS, some FUSE file systems). A link is probed through to
// its file. Never blocks.
WriteState ProbeWriting(const std::string& path);
