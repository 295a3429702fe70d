#include "platform/windows_names.h"

#include <array>
#include <type_traits>

namespace {

// The device is named by what comes before the first dot, blanks dropped.
// Works on bytes of the ANSI code page and on UTF-16 code units alike: the
// characters it looks for have the same values in both.
template <typename Char> bool IsDeviceName(std::basic_string_view<Char> name) {
    std::basic_string_view<Char> stem = name.substr(0, name.find(Char('.')));
    while (!stem.empty() && stem.back() == Char(' '))
        stem.remove_suffix(1);
    const auto unit = [](Char c) { return static_cast<unsigned>(std::make_unsigned_t<Char>(c)); };
    const auto isNamed = [&](std::string_view device) {
        if (stem.size() < device.size())
            return false;
        for (std::size_t i = 0; i < device.size(); ++i) {
            unsigned c = unit(stem[i]);
            if (c >= 'a' && c <= 'z')
                c -= 'a' - 'A';
            if (c != static_cast<unsigned char>(device[i]))
                return false;
        }
        return true;
    };
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices) {
        if (stem.size() == device.size() && isNamed(device))
            return true;
    }
    if (stem.size() != 4 || !(isNamed("COM") || isNamed("LPT")))
        return false;
    const unsigned digit = unit(stem[3]);
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

} // namespace

bool IsUsableWindowsName(std::string_view name, LeadByteTest isLeadByte) {
    if (name.empty() || name == "." || name == ".." || IsDeviceName(name))
        return false;
    for (std::size_t i = 0, next = 0; i < name.size(); i = next) {
        next = NextChar(name, i, isLeadByte);
        const auto c = static_cast<unsigned char>(name[i]);
        if (next - i == 2)
            continue; // a second byte is part of its character
        if (c < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return true;
}

bool IsWindowsDeviceName(std::wstring_view name) {
    return IsDeviceName(name);
}
