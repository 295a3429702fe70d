#include "app/tray_tip.h"

namespace {

bool IsUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes,
                              LeadByteTest isLeadByte) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = 0;
    if (isLeadByte) {
        // Walk whole characters while the next one still fits.
        for (std::size_t i = 0; i < maxBytes;) {
            const std::size_t width = isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
            if (i + width > maxBytes)
                break;
            i += width;
            end = i;
        }
    } else {
        // Step back over the continuation bytes of a character cut in two; a
        // UTF-8 character has at most three. Longer runs are not UTF-8 and
        // are cut where they stand.
        end = maxBytes;
        std::size_t back = 0;
        while (back < 3 && back < end &&
               IsUtf8Continuation(static_cast<unsigned char>(text[end - back])))
            ++back;
        if (back < 3 || !IsUtf8Continuation(static_cast<unsigned char>(text[end - back])))
            end -= back;
    }
    return std::string(text.substr(0, end));
}
