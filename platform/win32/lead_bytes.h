#pragma once

// True for the first byte of a double-byte character in the ANSI code page
// (code page 932 on a Japanese Windows), whose second byte may be a "\\".
bool IsAnsiLeadByte(unsigned char byte);
