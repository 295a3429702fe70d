#pragma once

#include <string>

#include "core/platform.h"

// Whether a program holds the file open for writing, told by an open for
// reading that shares read access only: the system refuses it while another
// handle has write access. Unknown when the open fails for another reason.
WriteState ProbeWriting(const std::string& path);
