#include "settings/temporary_file_name.h"

#include <atomic>

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

std::string TemporaryFileName(const std::string& path, std::uint64_t processId) {
    static std::atomic<unsigned> counter{0};
    return path + std::string(kTemporaryMark) + std::to_string(processId) + "-" +
           std::to_string(counter++);
}

bool IsTemporaryFileOf(std::string_view name, std::string_view fileName, std::uint64_t& processId) {
    if (fileName.empty() || name.size() <= fileName.size() + kTemporaryMark.size() ||
        name.substr(0, fileName.size()) != fileName ||
        name.substr(fileName.size(), kTemporaryMark.size()) != kTemporaryMark)
        return false;
    std::size_t i = fileName.size() + kTemporaryMark.size();
    std::uint64_t pid = 0, counter = 0;
    if (!ReadNumber(name, i, '-', pid))
        return false;
    ++i; // the "-"
    if (!ReadNumber(name, i, '\0', counter))
        return false;
    processId = pid;
    return true;
}
