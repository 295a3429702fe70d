#include "platform/lead_bytes.h"

// Text is UTF-8: no byte of a character is ever a "." or a "/".
LeadByteTest SystemLeadBytes() {
    return nullptr;
}
