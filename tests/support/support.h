// Real folders and the converter for the tests on real folders, on POSIX and
// Win32 alike. Each test program doubles as the converter its tests start.
// What one system alone offers is in processes.h (POSIX) and win32_files.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/file_name.h"

namespace test_support {

// A fresh folder that any user may enter, removed with all it holds. Names
// are bytes as the system takes them (on Win32, the ANSI code page).
class TempFolder {
  public:
    // With a leaf, the folder is a subfolder of that name in a fresh folder.
    explicit TempFolder(const std::string& leaf = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The folder as the worker sees it: with its trailing separator.
    std::string Prefix() const { return m_path + kPathSeparator; }
    // Path(), the separator, then name.
    std::string operator/(const std::string& name) const;
    // Writes a file of `size` bytes.
    void Touch(const std::string& name, std::size_t size = 0) const;

  private:
    std::string m_top;  // the folder made for the test
    std::string m_path; // the folder or its leaf
};

constexpr std::uint64_t kMiB = 1048576;

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// A file of `size` bytes made without writing them that takes its space on
// disk (POSIX: allocated; Win32: its end set, which NTFS allocates).
void MakeLargeFile(const std::string& path, std::uint64_t size);
// POSIX: a file of `size` bytes that takes no disk space, a hole.
void MakeSparseFile(const std::string& path, std::uint64_t size);
bool Exists(const std::string& path); // the entry itself, links not followed
// Removes a file, link or folder tree, whatever its permissions.
void RemoveTree(const std::string& path);
// Names in a folder, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& path);

// Polls `done` every 5 ms for at most `limit`: a condition on a real file
// system or process, with a generous limit.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::seconds(30));

// The path of the running test program.
std::string TestProgram();

// Run with this flag, MODE appended, a test program plays the converter:
//   program --test-converter=MODE LOG ARG...
inline constexpr char kConverterFlag[] = "--test-converter=";

// The program setting that runs this test program as a converter in `mode`,
// logging to `log`. On both systems "record" logs how it was started and
// exits; on POSIX, after removing <removeIn>/<title>.flv (ASCII case ignored)
// when `removeIn` is given. Modes of one system only:
//   POSIX: "exit" exits at once with status 3; "segv" dies of SIGSEGV;
//     "hang" logs its process id and waits to be killed; "orphan" starts a
//     child that logs its id and waits, and exits at once.
//   Win32: "record" waits 300 ms first, then appends one line: "show=N" or
//     "noshow=N" (whether it was given a window state, and which), then its
//     arguments; "hold-open" holds LOG open for writing until LOG.release
//     exists, after writing LOG.held; "wait" appends "start" to LOG and
//     waits until LOG.release exists; "handles" writes, for each argument
//     (a handle's value), 1 if the handle is open in it and 0 if not;
//     "print-exe-dir" writes
//     ExecutableDirectory() to LOG; "remove-named" deletes the file that
//     KOVALIN_FILE names.
std::string ConverterProgram(const std::string& mode, const std::string& log,
                             const std::string& removeIn = "");
bool IsConverterCall(int argc, char** argv);
// Entry point of the converter modes; returns the exit status.
int RunAsConverter(int argc, char** argv);

} // namespace test_support
