#include "platform/journal_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

bool IsJournalStream(StandardStream stream) {
    const char* journal = std::getenv("JOURNAL_STREAM");
    if (!journal)
        return false;
    unsigned long long device = 0, inode = 0;
    struct stat opened;
    const int descriptor = stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
    return std::sscanf(journal, "%llu:%llu", &device, &inode) == 2 &&
           fstat(descriptor, &opened) == 0 && opened.st_dev == device && opened.st_ino == inode;
}
