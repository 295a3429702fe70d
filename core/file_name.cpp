#include "core/file_name.h"

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::size_t FindLastChar(std::string_view text, char c, LeadByteTest isLeadByte) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) {
            found = i;
        } else if (isLeadByte && isLeadByte(static_cast<unsigned char>(text[i])) &&
                   i + 1 < text.size()) {
            ++i; // the trail byte is part of this character
        }
    }
    return found;
}

std::string FileTitle(std::string_view name, LeadByteTest isLeadByte) {
    const std::size_t dot = FindLastChar(name, '.', isLeadByte);
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    // Iterative wildcard match with one backtrack point per "*".
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void NormaliseWatchDir(std::string& folder) {
    if (!folder.empty() && folder.back() != kPathSeparator)
        folder += kPathSeparator;
}
