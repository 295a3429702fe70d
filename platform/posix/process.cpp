#include "platform/posix/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/command_line.h"

extern char** environ;

namespace {

class PosixConverter final : public ConverterProcess {
  public:
    explicit PosixConverter(pid_t pid) : m_pid(pid) {}

    void Wait() override {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }

  private:
    pid_t m_pid;
};

class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attr);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&m_attr);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Prepare() {
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                0) == 0 &&
               posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1) == 0 &&
               posix_spawnattr_setsigmask(&m_attr, &none) == 0 &&
               posix_spawnattr_setsigdefault(&m_attr, &all) == 0 &&
               posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                     POSIX_SPAWN_SETSIGDEF) == 0;
    }

    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }
    const posix_spawnattr_t* Attributes() const { return &m_attr; }

  private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

} // namespace

std::unique_ptr<ConverterProcess> StartConverter(const std::string& commandLine) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args[0].empty())
        return nullptr;
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (!setup.Prepare())
        return nullptr;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(), environ) != 0)
        return nullptr;
    return std::make_unique<PosixConverter>(pid);
}
