#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/cmd_escaping.h"
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

// The one handle a converter inherits: inheritable while this object
// lives, and named in an attribute list so that no other inheritable handle
// of this process goes with it (where the system takes such a list).
class InheritedOnly {
  public:
    explicit InheritedOnly(HANDLE handle) : m_handle(handle) {
        if (!m_handle)
            return;
        SetHandleInformation(m_handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &m_handle,
                                      sizeof m_handle, nullptr, nullptr))
            m_list = list;
        else
            DeleteProcThreadAttributeList(list);
    }
    ~InheritedOnly() {
        if (m_list)
            DeleteProcThreadAttributeList(m_list);
        if (m_handle)
            SetHandleInformation(m_handle, HANDLE_FLAG_INHERIT, 0);
    }
    InheritedOnly(const InheritedOnly&) = delete;
    InheritedOnly& operator=(const InheritedOnly&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return m_list; }

  private:
    HANDLE m_handle;
    std::vector<char> m_buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

std::string CmdPath() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) + "\\cmd.exe"
                                           : std::string();
}

} // namespace

ConverterStart StartConverter(const std::string& program, const std::string& title,
                              const ConverterEnvironment& environment,
                              const RecordingFile* recording) {
    const std::optional<Program> found = FindProgram(program);
    if (!found)
        return {};
    std::string application = found->path;
    std::string commandLine = program + " " + title;
    const bool isCmd = IsCmd(found->path, SystemLeadBytes());
    if (isCmd || RunsThroughCmd(found->path, SystemLeadBytes())) {
        // cmd.exe would read the title as commands: see platform/cmd_escaping.h.
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
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    HANDLE inherited = recording ? reinterpret_cast<HANDLE>(recording->Native()) : nullptr;
    const InheritedOnly only(inherited);
    if (only.List())
        startup.lpAttributeList = only.List();

    // CreateProcessA may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION started{};
    const DWORD flags = NORMAL_PRIORITY_CLASS | (only.List() ? EXTENDED_STARTUPINFO_PRESENT : 0);
    const BOOL ok =
        CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, inherited != nullptr,
                       flags, block.data(), nullptr, &startup.StartupInfo, &started);
    if (!ok)
        return {};
    CloseHandle(started.hThread);
    return {std::make_unique<Win32Converter>(started.hProcess)};
}
