// The lead bytes of the system's narrow encoding.
#pragma once

#include "core/file_name.h"

// Code page 932's (the ANSI code page's) lead bytes on Windows; null on
// POSIX, where text is UTF-8.
LeadByteTest SystemLeadBytes();
