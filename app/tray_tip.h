// The status text as the tray icon's tooltip, where the platform's record
// limits it (the Windows view; a Linux tray takes the whole status).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/file_name.h"

// Room for tooltip text in the Windows tray record (NOTIFYICONDATAA version
// 1): 64 bytes with the terminator.
inline constexpr std::size_t kTrayTipBytes = 63;

// The longest start of `text` of at most `maxBytes` bytes that ends on a
// character boundary. With a lead-byte test the text is double-byte (a lead
// byte and the byte after it form one character); without one it is UTF-8.
std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes, LeadByteTest isLeadByte);
