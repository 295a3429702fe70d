#include "platform/journal_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

bool StdoutIsJournal() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (!stream)
        return false;
    unsigned long long device = 0, inode = 0;
    struct stat out;
    return std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 &&
           fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == device && out.st_ino == inode;
}
