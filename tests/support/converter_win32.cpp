// The converter modes on Win32.
#include <windows.h>

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

} // namespace

int RunAsConverter(int argc, char** argv) {
    const std::string mode = argv[1] + std::strlen(kConverterFlag);
    const std::string log = argv[2];
    if (mode == "record")
        return Record(log, argc, argv);
    if (mode == "hold-open")
        return HoldOpen(log);
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
