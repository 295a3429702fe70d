#include "platform/windows_names.h"

#include <array>

namespace {

bool IsDeviceName(std::string_view name) {
    // The device is named by what comes before the first dot, blanks dropped.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices) {
        if (EqualsIgnoringAsciiCase(stem, device))
            return true;
    }
    return stem.size() == 4 &&
           (EqualsIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
            EqualsIgnoringAsciiCase(stem.substr(0, 3), "LPT")) &&
           stem[3] >= '0' && stem[3] <= '9';
}

} // namespace

bool IsUsableWindowsName(std::string_view name, LeadByteTest isLeadByte) {
    if (name.empty() || name == "." || name == ".." || IsDeviceName(name))
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isLeadByte && isLeadByte(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return true;
}
