// The real platform on POSIX systems.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_watch.h"
#include "platform/posix/dir_search.h"
#include "platform/posix/process.h"
#include "platform/posix/write_probe.h"
#include "platform/the_platform.h"

namespace {

class PosixPlatform final : public Platform {
  public:
    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        FindDirEntries(pattern, visit);
    }

    bool RemoveFile(const std::string& path) override {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            return false;
        // A file that nobody may write is kept, as a read-only file is on
        // Windows.
        if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
            return false;
        return unlink(path.c_str()) == 0;
    }

    std::int64_t Now() override { return static_cast<std::int64_t>(time(nullptr)); }

    void SleepMs(unsigned milliseconds) override {
        timespec left{static_cast<time_t>(milliseconds / 1000),
                      static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }

    void WatchFolder(const std::string& folder) override { m_watch.Watch(folder); }

    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        return m_watch.Wait(milliseconds, untilFolderChange);
    }

    void WakePause() override { m_watch.Wake(); }

    WriteState ProbeWriting(const std::string& path) override { return ::ProbeWriting(path); }

    // No shell is involved, so every title can be passed.
    ConverterStart StartHidden(const std::string& program, const std::string& title,
                               const ConverterEnvironment& environment) override {
        return {StartConverter(program + " " + title, environment)};
    }

  private:
    FolderWatch m_watch;
};

} // namespace

Platform& ThePlatform() {
    static Platform* const platform = new PosixPlatform;
    return *platform;
}
