#include "bench_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// An empty file of the given apparent size; the blocks are never written.
void MakeFile(const std::string& path, off_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ftruncate(fd, size) != 0)
        throw std::runtime_error("cannot create " + path);
    close(fd);
}

void RemoveFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* item = readdir(dir))
            if (item->d_name[0] != '.')
                names.emplace_back(item->d_name);
        closedir(dir);
    }
    for (const std::string& name : names)
        unlink((path + name).c_str());
    rmdir(path.c_str());
}

std::string MakeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kovalin-bench.XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder in " + pattern);
    return pattern + "/";
}

} // namespace

BenchFolder::BenchFolder(std::size_t entries) {
    m_path = MakeFolder();

    for (std::size_t i = 0; i < kRecordings && i < entries; ++i)
        MakeFile(m_path + "recording " + std::to_string(i) + ".flv", 64 << 10);
    for (std::size_t i = kRecordings; i < entries; ++i) {
        const std::size_t pair = (i - kRecordings) / 2;
        const bool video = (i - kRecordings) % 2 == 0;
        MakeFile(m_path + "clip " + std::to_string(pair) + (video ? ".mp4" : ".jpg"),
                 video ? 1 << 20 : 64 << 10);
    }

    const std::time_t made = std::time(nullptr);
    while (std::time(nullptr) <= made)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

BenchFolder::~BenchFolder() {
    RemoveFolder(m_path);
}

PairFolder::PairFolder(std::size_t pairs) : m_path(MakeFolder()), m_pairs(pairs) {
    Refill();
}

PairFolder::~PairFolder() {
    RemoveFolder(m_path);
}

void PairFolder::Refill() const {
    for (std::size_t i = 0; i < m_pairs; ++i) {
        const std::string stem = m_path + "pair " + std::to_string(i);
        if (access((stem + ".mp4").c_str(), F_OK) != 0)
            MakeFile(stem + ".mp4", 1 << 20);
        if (access((stem + ".jpg").c_str(), F_OK) != 0)
            MakeFile(stem + ".jpg", 0);
    }
}
