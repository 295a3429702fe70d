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

std::string AsciiLowered(std::string text) {
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

bool HasExtension(std::string_view name, std::string_view extension) {
    return name.size() >= extension.size() &&
           EqualsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
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

bool EndsInSeparator(std::string_view path, LeadByteTest isLeadByte) {
    return !path.empty() && FindLastChar(path, kPathSeparator, isLeadByte) == path.size() - 1;
}

namespace {

// True when the text ends in a lead byte that has no second byte.
bool EndsInLoneLeadByte(std::string_view text, LeadByteTest isLeadByte) {
    if (!isLeadByte)
        return false;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool lead = isLeadByte(static_cast<unsigned char>(text[i]));
        if (lead && i + 1 == text.size())
            return true;
        i += lead ? 2 : 1;
    }
    return false;
}

} // namespace

void NormaliseWatchDir(std::string& folder, LeadByteTest isLeadByte) {
    // A separator after a lone lead byte would become its second byte: such
    // a folder (no valid name in any case) is left as it is.
    if (folder.empty() || EndsInSeparator(folder, isLeadByte) ||
        EndsInLoneLeadByte(folder, isLeadByte))
        return;
    folder += kPathSeparator;
}
