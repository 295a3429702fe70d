// Temporary folders and files with the POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "fail.h"
#include "support.h"

namespace test_support {

TempFolder::TempFolder(const std::string& leaf) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kovalin-rel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        Fail("mkdtemp");
    m_top = name.data();
    chmod(m_top.c_str(), 0755);
    m_path = m_top;
    if (!leaf.empty()) {
        m_path += "/" + leaf;
        if (mkdir(m_path.c_str(), 0755) != 0)
            Fail("mkdir " + m_path);
    }
}

void MakeLargeFile(const std::string& path, std::uint64_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || posix_fallocate(fd, 0, static_cast<off_t>(size)) != 0)
        Fail("large file " + path);
    close(fd);
}

void MakeSparseFile(const std::string& path, std::uint64_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0)
        Fail("sparse file " + path);
    close(fd);
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

void RemoveTree(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0700);
        for (const std::string& name : ListFolder(path))
            RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

std::string TestProgram() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        Fail("readlink /proc/self/exe");
    return std::string(path, static_cast<std::size_t>(n));
}

} // namespace test_support
