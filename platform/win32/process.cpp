#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/cmd_line.h"
#include "platform/environment_block.h"
#include "platform/executable_dir.h"
#include "platform/lead_bytes.h"

namespace {

class Win32Converter final : public ConverterProcess {
  public:
    explicit Win32Converter(HANDLE process) : m_process(process) {}
    ~Win32Converter() override { CloseHandle(m_process); }
    Win32Converter(const Win32Converter&) = delete;
    Win32Converter& operator=(const Win32Converter&) = delete;

    void Wait() override { WaitForSingleObject(m_process, INFINITE); }

  private:
    HANDLE m_process;
};

// The full path of a file found as CreateProcess finds a program: with
// ".exe" added when the name has no extension, in the program's folder, the
// current folder, the system folders and PATH. Folders do not count.
std::optional<std::string> SearchProgram(const std::string& name) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = SearchPathA(nullptr, name.c_str(), ".exe",
                                         static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0)
            return std::nullopt;
        if (length < path.size())
            break;
        path.resize(length);
    }
    const DWORD attributes = GetFileAttributesA(path.data());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return std::string(path.data());
}

struct Program {
    std::string path;      // the file that runs
    std::string arguments; // the setting's own arguments after it
};

// The program of the setting alone, read as the system reads a command line.
// The title is never part of the search, so no title can choose what runs.
std::optional<Program> FindProgram(const std::string& setting) {
    for (const ProgramReading& reading : ProgramReadings(setting)) {
        if (const auto path = SearchProgram(reading.program))
            return Program{*path, reading.arguments};
    }
    return std::nullopt;
}

// This process's environment, one "NAME=value" entry each.
std::vector<std::string> OwnEnvironment() {
    std::vector<std::string> entries;
    char* const block = GetEnvironmentStringsA();
    if (!block)
        return entries;
    for (const char* entry = block; *entry; entry += std::strlen(entry) + 1)
        entries.emplace_back(entry);
    FreeEnvironmentStringsA(block);
    return entries;
}

std::string CmdPath() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) + "\\cmd.exe"
                                           : std::string();
}

} // namespace

ConverterStart StartConverter(const std::string& program, const std::string& title,
                              const ConverterEnvironment& environment) {
    const std::optional<Program> found = FindProgram(program);
    if (!found)
        return {};
    std::string application = found->path;
    std::string commandLine = program + " " + title;
    const bool isCmd = IsCmd(found->path, SystemLeadBytes());
    if (isCmd || RunsThroughCmd(found->path, SystemLeadBytes())) {
        // cmd.exe would read the title as commands: see platform/cmd_line.h.
        const std::optional<std::string> inert = InertForCmd(title, SystemLeadBytes());
        if (!inert)
            return {nullptr, true};
        if (isCmd) {
            commandLine = CmdSettingLine(program, found->arguments, *inert);
        } else {
            application = CmdPath();
            commandLine =
                "\"" + application + "\" " + CmdArguments(found->path, found->arguments, *inert);
        }
    }

    // The converter's environment is built apart: this process's own, and
    // with it the search for the next converter, stays as it is.
    std::string block =
        ConverterEnvironmentBlock(OwnEnvironment(), environment, ExecutableDirectory());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;

    // CreateProcessA may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, block.data(), nullptr, &startup, &started))
        return {};
    CloseHandle(started.hThread);
    return {std::make_unique<Win32Converter>(started.hProcess)};
}
