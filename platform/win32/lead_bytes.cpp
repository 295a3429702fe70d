#include "platform/win32/lead_bytes.h"

#include <windows.h>

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}
