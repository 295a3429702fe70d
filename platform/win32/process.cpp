#include "platform/win32/process.h"

#include <windows.h>

#include <vector>

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

bool HasProgram(const std::string& commandLine) {
    return !commandLine.empty() && commandLine[0] != ' ' && commandLine[0] != '\t';
}

} // namespace

std::unique_ptr<ConverterProcess> StartConverter(const std::string& commandLine,
                                                 const ConverterEnvironment& environment) {
    if (!HasProgram(commandLine))
        return nullptr;
    // Only the worker thread starts programs, so the variables are set in this
    // process's own environment, which the converter inherits.
    for (const auto& [name, value] : environment)
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;

    // CreateProcessA may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &started))
        return nullptr;
    CloseHandle(started.hThread);
    return std::make_unique<Win32Converter>(started.hProcess);
}
