// Which names from a Windows folder listing may be joined to the folder.
// Plain text rules, so that they are tested on every system.
#pragma once

#include <string_view>

#include "core/file_name.h"

// True when the name, in the ANSI code page, names exactly one entry of its
// folder: not empty, not "." or "..", no control character and none of
// \ / : * ? " < > | as a character of its own (a trail byte equal to "\" is
// part of its character), and not a device name (CON, NUL, COM1 ... with any
// extension), which opens the device wherever the file lies. The digits of
// COM and LPT include the superscripts 1, 2 and 3 as code pages 1252, 1254,
// 1257 and others write them (0xB9, 0xB2, 0xB3); where the same bytes are
// other letters (half-width katakana in code page 932), those few names are
// refused as well.
bool IsUsableWindowsName(std::string_view name, LeadByteTest isLeadByte);

// True when the UTF-16 name is a device name by the same rule, superscript
// digits as U+00B9, U+00B2 and U+00B3: exact whatever the code page.
bool IsWindowsDeviceName(std::wstring_view name);
