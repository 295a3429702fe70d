// Which names from a Windows folder listing may be joined to the folder.
// Plain text rules, so that they are tested on every system.
#pragma once

#include <string_view>

#include "core/file_name.h"

// True when the name, in the ANSI code page, names exactly one entry of its
// folder: not empty, not "." or "..", no control character and none of
// \ / : * ? " < > | as a character of its own (a trail byte equal to "\" is
// part of its character), and not a device name (CON, NUL, COM1 ... with any
// extension), which opens the device wherever the file lies.
bool IsUsableWindowsName(std::string_view name, LeadByteTest isLeadByte);
