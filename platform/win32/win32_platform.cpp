// The real platform on Windows: ANSI calls throughout, but for the folder
// listing, which takes names in UTF-16 to tell which the code page carries.
#include <windows.h>

#include <ctime>

#include "platform/folder_watch.h"
#include "platform/the_platform.h"
#include "platform/win32/dir_search.h"
#include "platform/win32/lead_bytes.h"
#include "platform/win32/process.h"
#include "platform/win32/write_probe.h"

namespace {

class Win32Platform final : public Platform {
  public:
    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        FindDirEntries(pattern, visit);
    }

    // DeleteFileA refuses directories, read-only files and files in use.
    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

    std::int64_t Now() override { return static_cast<std::int64_t>(std::time(nullptr)); }

    void SleepMs(unsigned milliseconds) override { Sleep(milliseconds); }

    void WatchFolder(const std::string& folder) override { m_watch.Watch(folder); }

    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        return m_watch.Wait(milliseconds, untilFolderChange);
    }

    void WakePause() override { m_watch.Wake(); }

    WriteState ProbeWriting(const std::string& path) override { return ::ProbeWriting(path); }

    ConverterStart StartHidden(const std::string& program, const std::string& title,
                               const ConverterEnvironment& environment) override {
        return StartConverter(program, title, environment);
    }

    LeadByteTest LeadBytes() const override { return IsAnsiLeadByte; }

  private:
    FolderWatch m_watch;
};

} // namespace

Platform& ThePlatform() {
    static Platform* const platform = new Win32Platform;
    return *platform;
}
