// The converter modes on Win32.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/executable_dir.h"
#include "support.h"

namespace test_support {

namespace {

// Waits first, so that a start that is not waited for is seen as one; then
// logs the window state it was given and its arguments.
int Record(const std::string& log, int argc, char** argv) {
    Sleep(300);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    std::ofstream out(log, std::ios::binary | std::ios::app);
    out << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? "show=" : "noshow=") << startup.wShowWindow;
    for (int i = 3; i < argc; ++i)
        out << ' ' << argv[i];
    out << '\n';
    return 0;
}

// A recorder: holds the file open for writing, sharing read and write, until
// FILE.release appears.
int HoldOpen(const std::string& file) {
    const HANDLE held = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(file + ".held", "");
    WaitFor([&] { return Exists(file + ".release"); }, std::chrono::seconds(60));
    CloseHandle(held);
    return 0;
}

// A converter that runs until told: appends "start" to LOG, then waits
// for LOG.release.
int WaitForRelease(const std::string& log) {
    std::ofstream(log, std::ios::binary | std::ios::app) << "start\n";
    return WaitFor([&] { return Exists(log + ".release"); }, std::chrono::seconds(60)) ? 0 : 1;
}

// Logs, for each argument (a handle's value in decimal), 1 when it names a
// handle of this process and 0 otherwise.
int CheckHandles(const std::string& log, int argc, char** argv) {
    std::ofstream out(log, std::ios::binary);
    for (int i = 3; i < argc; ++i) {
        DWORD flags = 0;
        const auto value = static_cast<std::uintptr_t>(std::strtoull(argv[i], nullptr, 10));
        out << (i > 3 ? " " : "")
            << (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0);
    }
    return 0;
}

} // namespace

int RunAsConverter(int argc, char** argv) {
    const std::string mode = argv[1] + std::strlen(kConverterFlag);
    const std::string log = argv[2];
    if (mode == "record")
        return Record(log, argc, argv);
    if (mode == "hold-open")
        return HoldOpen(log);
    if (mode == "wait")
        return WaitForRelease(log);
    if (mode == "handles")
        return CheckHandles(log, argc, argv);
    if (mode == "remove-named") {
        const char* file = std::getenv("KOVALIN_FILE");
        return file && DeleteFileA(file) ? 0 : 1;
    }
    if (mode == "print-exe-dir") {
        std::ofstream(log, std::ios::binary) << ExecutableDirectory();
        return 0;
    }
    return 2;
}

} // namespace test_support
