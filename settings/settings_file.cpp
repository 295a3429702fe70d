#include "settings/settings_file.h"

namespace {

constexpr std::size_t kLineBuffer = 1024;

// The next line as fgets reads it into a 1024-byte buffer: at most 1023
// bytes, through the first line feed; `atEnd` when the bytes ended before
// either. The line is cut at its first NUL, carriage return or line feed.
// False when nothing was left to read.
bool ReadLine(std::string_view bytes, std::size_t& pos, std::string& line, bool& atEnd) {
    if (pos >= bytes.size())
        return false;
    const std::size_t begin = pos;
    while (pos - begin < kLineBuffer - 1 && pos < bytes.size() && bytes[pos++] != '\n') {
    }
    atEnd = pos == bytes.size() && bytes[pos - 1] != '\n' && pos - begin < kLineBuffer - 1;
    const std::string_view piece = bytes.substr(begin, pos - begin);
    line = piece.substr(0, piece.find_first_of(std::string_view("\0\r\n", 3)));
    return true;
}

} // namespace

std::uint32_t ParseLimitLine(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    return negative ? 0u - value : value;
}

std::string SettingsPathIn(const std::string& folder) {
    return folder.empty() ? folder : folder + kSettingsFileName;
}

void ReadSettings(std::string_view bytes, SettingsRecord& settings) {
    std::size_t pos = 0;
    bool atEnd = false;
    std::string limitLine;
    if (ReadLine(bytes, pos, settings.watchDir, atEnd) && !atEnd &&
        ReadLine(bytes, pos, settings.program, atEnd) && !atEnd &&
        ReadLine(bytes, pos, limitLine, atEnd))
        settings.limitMB = ParseLimitLine(limitLine.c_str());
}

std::string FormatSettings(const SettingsRecord& settings) {
    return settings.watchDir + "\n" + settings.program + "\n" +
           std::to_string(static_cast<std::int32_t>(settings.limitMB)) + "\n";
}
