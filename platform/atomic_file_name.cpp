#include "platform/atomic_file.h"

namespace {

// Reads a run of one or more decimal digits at `text[i]` that ends at `end`
// or at the byte `stop`; moves `i` past it.
bool ReadNumber(std::string_view text, std::size_t& i, char stop, std::uint64_t& value) {
    const std::size_t first = i;
    value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (i - first >= 19)
            return false; // more digits than any process id or counter has
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++i;
    }
    if (i == first)
        return false;
    return stop == '\0' ? i == text.size() : (i < text.size() && text[i] == stop);
}

} // namespace

bool IsTemporaryFileOf(std::string_view name, std::string_view fileName, std::uint64_t& processId) {
    constexpr std::string_view kMark = ".new-";
    if (fileName.empty() || name.size() <= fileName.size() + kMark.size() ||
        name.substr(0, fileName.size()) != fileName ||
        name.substr(fileName.size(), kMark.size()) != kMark)
        return false;
    std::size_t i = fileName.size() + kMark.size();
    std::uint64_t pid = 0, counter = 0;
    if (!ReadNumber(name, i, '-', pid))
        return false;
    ++i; // the "-"
    if (!ReadNumber(name, i, '\0', counter))
        return false;
    processId = pid;
    return true;
}
