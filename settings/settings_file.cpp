#include "settings/settings_file.h"

#include <iterator>

namespace {

constexpr std::size_t kLineBuffer = 1024;
static_assert(kSettingsBytesRead >= (kLineBuffer - 1) * std::size(kSettingFields));

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

std::uint32_t ParseNumberLine(const char* text) {
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
    std::string line;
    // Each line is read only while the bytes have not ended, as fgets after feof.
    for (const SettingField& field : kSettingFields) {
        if (atEnd || !ReadLine(bytes, pos, line, atEnd))
            return;
        if (field.text)
            settings.*field.text = line;
        else
            settings.*field.number = ParseNumberLine(line.c_str());
    }
}

std::string FormatSettings(const SettingsRecord& settings) {
    std::string bytes;
    for (const SettingField& field : kSettingFields) {
        bytes += field.text ? settings.*field.text
                            : std::to_string(static_cast<std::int32_t>(settings.*field.number));
        bytes += '\n';
    }
    return bytes;
}
