#include "platform/cmd_escaping.h"

namespace {

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// "%" written so that cmd.exe reads a literal "%" (see the header).
constexpr std::string_view kLiteralPercent = "%%cd:~,%";

// The file name at the end of a path: after its last "\\", "/" or ":",
// read by character.
std::string_view FileNameOf(std::string_view path, LeadByteTest isLeadByte) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); i = NextChar(path, i, isLeadByte)) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            start = i + 1;
    }
    return path.substr(start);
}

} // namespace

std::vector<ProgramReading> ProgramReadings(std::string_view setting) {
    std::vector<ProgramReading> readings;
    if (setting.empty() || IsBlankOrTab(setting[0]))
        return readings;
    if (setting[0] == '"') {
        const std::size_t close = setting.find('"', 1);
        if (close != std::string_view::npos) {
            readings.push_back({std::string(setting.substr(1, close - 1)),
                                std::string(setting.substr(close + 1))});
            return readings;
        }
    }
    for (std::size_t end = 0; end <= setting.size(); ++end) {
        if (end == setting.size() ||
            (IsBlankOrTab(setting[end]) && !IsBlankOrTab(setting[end - 1])))
            readings.push_back(
                {std::string(setting.substr(0, end)), std::string(setting.substr(end))});
    }
    return readings;
}

bool RunsThroughCmd(std::string_view path, LeadByteTest isLeadByte) {
    std::string_view name = FileNameOf(path, isLeadByte);
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    return HasExtension(name, ".bat") || HasExtension(name, ".cmd");
}

bool IsCmd(std::string_view path, LeadByteTest isLeadByte) {
    return EqualsIgnoringAsciiCase(FileNameOf(path, isLeadByte), "cmd.exe");
}

std::optional<std::string> InertForCmd(std::string_view title, LeadByteTest isLeadByte) {
    std::string inert;
    for (std::size_t i = 0, next = 0; i < title.size(); i = next) {
        next = NextChar(title, i, isLeadByte);
        const char c = title[i];
        if (next - i == 2) {
            inert.append(title.substr(i, 2)); // a trail byte is never syntax
        } else if (static_cast<unsigned char>(c) < 0x20 || c == '"') {
            return std::nullopt;
        } else if (c == '%') {
            inert += kLiteralPercent;
        } else {
            if (std::string_view("^&|<>()").find(c) != std::string_view::npos)
                inert += '^';
            inert += c;
        }
    }
    return inert;
}

std::string CmdArguments(std::string_view batchPath, std::string_view arguments,
                         std::string_view inertTitle) {
    // Inside quotes only "%" still acts.
    std::string quotedPath = "\"";
    for (const char c : batchPath) {
        if (c == '%')
            quotedPath += kLiteralPercent;
        else
            quotedPath += c;
    }
    quotedPath += '"';
    std::string line = "/d /e:on /v:off /s /c \"";
    line += quotedPath;
    line += arguments;
    line += ' ';
    line += inertTitle;
    line += '"';
    return line;
}

std::string CmdSettingLine(std::string_view setting, std::string_view arguments,
                           std::string_view inertTitle) {
    std::string line(setting.substr(0, setting.size() - arguments.size()));
    line += " /e:on";
    line += arguments;
    line += ' ';
    line += inertTitle;
    return line;
}
