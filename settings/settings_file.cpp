#include "settings/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

SettingsRecord DefaultSettings() {
#ifdef _WIN32
    return {"c:\\var\\www\\tmp", "c:\\var\\getmorv.bat", 0};
#else
    return {"/var/www/tmp", "/var/getmorv.sh", 0};
#endif
}

namespace {

constexpr int kLineBuffer = 1024;

// Reads one line as fgets does into a 1024-byte buffer and cuts it at its
// first carriage return and first line feed. False when nothing was read.
bool ReadLine(std::FILE* file, std::string& line) {
    char buffer[kLineBuffer];
    if (!std::fgets(buffer, kLineBuffer, file))
        return false;
    buffer[std::strcspn(buffer, "\r\n")] = '\0';
    line = buffer;
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

LoadResult LoadSettings(const std::string& path, SettingsRecord& settings) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        const int error = errno;
        return {error == ENOENT ? LoadStatus::Missing : LoadStatus::Unreadable, error};
    }
    // Read into a copy, so that a file that fails part way (a folder opened
    // as a file) changes nothing.
    SettingsRecord read = settings;
    std::string limitLine;
    if (ReadLine(file, read.watchDir) && !std::feof(file) && ReadLine(file, read.program) &&
        !std::feof(file) && ReadLine(file, limitLine))
        read.limitMB = ParseLimitLine(limitLine.c_str());
    const int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    if (error != 0)
        return {LoadStatus::Unreadable, error};
    settings = read;
    return {};
}

std::string FormatSettings(const SettingsRecord& settings) {
    return settings.watchDir + "\n" + settings.program + "\n" +
           std::to_string(static_cast<std::int32_t>(settings.limitMB)) + "\n";
}
