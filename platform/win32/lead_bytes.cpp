#include "platform/lead_bytes.h"

#include <windows.h>

namespace {

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

LeadByteTest SystemLeadBytes() {
    return IsAnsiLeadByte;
}
