#include "core/file_name.h"

#include <algorithm>

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::size_t NextChar(std::string_view text, std::size_t i, LeadByteTest isLeadByte) {
    const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(text[i]));
    return lead && i + 1 < text.size() ? i + 2 : i + 1;
}

std::size_t FindLastChar(std::string_view text, char c, LeadByteTest isLeadByte) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i = NextChar(text, i, isLeadByte)) {
        if (text[i] == c)
            found = i;
    }
    return found;
}

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
        // Whole characters while the next one still fits.
        for (std::size_t next = 0; next <= maxBytes; next = NextChar(text, end, isLeadByte))
            end = next;
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

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByteTest isLeadByte) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t nextA = NextChar(a, i, isLeadByte);
        const std::size_t nextB = NextChar(b, j, isLeadByte);
        int order = 0;
        if (nextA - i == 1 && nextB - j == 1)
            order = static_cast<unsigned char>(AsciiLower(a[i])) -
                    static_cast<unsigned char>(AsciiLower(b[j]));
        else
            order = a.substr(i, nextA - i).compare(b.substr(j, nextB - j));
        if (order != 0)
            return order < 0 ? -1 : 1;
        i = nextA;
        j = nextB;
    }
    return (i < a.size() ? 1 : 0) - (j < b.size() ? 1 : 0);
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

std::string FolderOf(std::string_view path, LeadByteTest isLeadByte) {
    const std::size_t slash = FindLastChar(path, '/', isLeadByte);
    const std::size_t own = FindLastChar(path, kPathSeparator, isLeadByte);
    const std::size_t last = slash == std::string_view::npos ? own
                             : own == std::string_view::npos ? slash
                                                             : std::max(slash, own);
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

bool EndsInSeparator(std::string_view path, LeadByteTest isLeadByte) {
    return !path.empty() && FindLastChar(path, kPathSeparator, isLeadByte) == path.size() - 1;
}

namespace {

// True when the text ends in a lead byte that has no second byte.
bool EndsInLoneLeadByte(std::string_view text, LeadByteTest isLeadByte) {
    if (!isLeadByte || text.empty())
        return false;
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i = NextChar(text, i, isLeadByte))
        last = i;
    return last + 1 == text.size() && isLeadByte(static_cast<unsigned char>(text[last]));
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
