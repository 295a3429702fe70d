// Whether a program holds a file open for writing.
#pragma once

#include <string>

#include "core/platform_port.h"

// Never blocks, and never disturbs the program that writes.
// - POSIX: a read lease taken and released at once, which the system refuses
//   while anyone writes. Unknown where leases are refused for another reason
//   (a file of another user, NFS, some FUSE file systems). NotAFile for a
//   symbolic link, whatever it points at, as for a FIFO or a device.
// - Windows: an open for reading that shares read access only, which the
//   system refuses while another handle has write access. Unknown when the
//   open fails for another reason.
WriteState ProbeWriting(const std::string& path);
