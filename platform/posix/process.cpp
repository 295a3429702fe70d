#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/posix/word_splitting.h"

extern char** environ;

namespace {

// Where the converter finds the recording, and the variable that says so.
constexpr int kRecordingFd = 3;
constexpr char kRecordingFdVariable[] = "KOVALIN_FILE_FD";

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

    // `recording`, unless negative, becomes descriptor 3 (taken first, in
    // case it is one of 0 to 2 itself).
    bool Prepare(int recording) {
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        const bool handed = recording < 0 || posix_spawn_file_actions_adddup2(&m_actions, recording,
                                                                              kRecordingFd) == 0;
        const int firstClosed = recording < 0 ? kRecordingFd : kRecordingFd + 1;
        return handed &&
               posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                0) == 0 &&
               posix_spawn_file_actions_addclosefrom_np(&m_actions, firstClosed) == 0 &&
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

// The converter's environment: this process's variables, pointed at rather
// than copied, but those the additions replace and a descriptor number of
// its own that the converter might take for its recording; then the
// additions, as "NAME=value" in `added`, which must outlive the block.
std::vector<char*> EnvironmentBlock(const ConverterEnvironment& additions,
                                    std::vector<std::string>& added) {
    std::vector<char*> block;
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view text = *variable;
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = name == kRecordingFdVariable;
        for (const auto& [addedName, value] : additions)
            replaced = replaced || name == addedName;
        if (!replaced)
            block.push_back(*variable);
    }
    for (const auto& [name, value] : additions)
        added.push_back(name + "=" + value);
    for (std::string& text : added)
        block.push_back(text.data());
    block.push_back(nullptr);
    return block;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The paths to try for a program, as execvp tries them: the name itself when
// it holds a "/", otherwise each folder of PATH in turn.
std::vector<std::string> ProgramPaths(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return {program};
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/local/bin:/bin:/usr/bin";
    std::vector<std::string> paths;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = folders.find(':', begin);
        const std::string folder = folders.substr(begin, end - begin);
        paths.push_back((folder.empty() ? "." : folder) + "/" + program);
        if (end == std::string::npos)
            return paths;
        begin = end + 1;
    }
}

pid_t Spawn(const std::string& path, std::vector<std::string> args, char* const* environment,
            const SpawnSetup& setup, int& error) {
    std::vector<char*> argv = NullTerminated(args);
    pid_t pid = 0;
    error = posix_spawn(&pid, path.c_str(), setup.Actions(), setup.Attributes(), argv.data(),
                        environment);
    return error == 0 ? pid : 0;
}

} // namespace

ConverterStart StartConverter(const std::string& program, const std::string& title,
                              const ConverterEnvironment& environment,
                              const RecordingFile* recording) {
    // No shell is involved, so every title can be passed.
    std::vector<std::string> args = SplitCommandLine(program + " " + title);
    if (args[0].empty())
        return {};
    SpawnSetup setup;
    if (!setup.Prepare(recording ? static_cast<int>(recording->Native()) : -1))
        return {};
    ConverterEnvironment additions = environment;
    if (recording)
        additions.emplace_back(kRecordingFdVariable, std::to_string(kRecordingFd));
    std::vector<std::string> added;
    const std::vector<char*> envp = EnvironmentBlock(additions, added);

    for (const std::string& path : ProgramPaths(args[0])) {
        int error = 0;
        pid_t pid = Spawn(path, args, envp.data(), setup, error);
        if (error == ENOEXEC) {
            // A script without "#!": the shell reads it, as execvp does.
            std::vector<std::string> shellArgs = args;
            shellArgs[0] = path;
            shellArgs.insert(shellArgs.begin(), "sh");
            pid = Spawn("/bin/sh", shellArgs, envp.data(), setup, error);
        }
        if (error == 0)
            return {std::make_unique<PosixConverter>(pid)};
        // Like execvp, go on to the next folder only when this one has no
        // such program (or may not be searched).
        if (error != ENOENT && error != ENOTDIR && error != EACCES)
            return {};
    }
    return {};
}
