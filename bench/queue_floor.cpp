// The floor of bench/queue.sh: the converter run once per title, one run
// after the other, as cheaply as a program can run it: posix_spawn and
// waitpid, with no file actions, no attributes and no search of PATH.
//
// Usage: queue_floor PROGRAM FOLDER TITLE...
//   runs PROGRAM FOLDER TITLE for each title in turn; exits with 1 as soon as
//   a run cannot start or does not exit with 0.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

// Runs the program once and waits for it; true when it exited with 0.
bool RunOnce(char* program, char* folder, char* title) {
    char* args[] = {program, folder, title, nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program, nullptr, nullptr, args, environ);
    if (error != 0) {
        std::fprintf(stderr, "queue_floor: cannot start %s: %s\n", program, std::strerror(error));
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::fprintf(stderr, "queue_floor: %s %s failed\n", program, title);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: queue_floor PROGRAM FOLDER TITLE...\n", stderr);
        return 2;
    }
    for (int title = 3; title < argc; ++title)
        if (!RunOnce(argv[1], argv[2], argv[title]))
            return 1;
    return 0;
}
