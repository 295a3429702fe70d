// A real folder for tests of the Win32 platform layer, and the helper modes
// in which the test program plays the converter.
#pragma once

#include <cstdint>
#include <string>

namespace win32_testing {

// A fresh folder under the system's temp folder, removed at the end. Names
// are in the ANSI code page.
class TempFolder {
  public:
    // With a leaf, the folder is a subfolder of that name.
    explicit TempFolder(const std::string& leaf = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with its trailing backslash, as the worker sees it.
    const std::string& Prefix() const { return m_prefix; }

    void Write(const std::string& name, const std::string& bytes = "") const;
    // Makes the file `size` bytes long without writing them.
    void Grow(const std::string& name, std::uint64_t size) const;
    void MakeFolder(const std::string& name) const;
    // Sets creation and last-write time (Wine reports the last-write time
    // as the creation time). Seconds since 1970 plus 100 ns ticks.
    void SetTimes(const std::string& name, std::int64_t seconds, unsigned ticks = 0) const;
    void AddAttributes(const std::string& name, unsigned long attributes) const;
    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;

  private:
    std::string m_top;    // the folder made for the test
    std::string m_prefix; // the folder or its leaf
};

// The path of the running test program.
std::string TestProgram();

// Entry point of the helper modes: returns the exit code, or -1 when the
// arguments name none.
//   --converter LOG ARG...   waits 300 ms, then appends a line to LOG: the
//                            start flags and window state it was given, and
//                            its arguments
//   --hold-open FILE         holds FILE open for writing until FILE.release
//                            exists, after writing FILE.held
//   --print-exe-dir OUT      writes ExecutableDirectory() to OUT
int RunHelper(int argc, char** argv);

} // namespace win32_testing
