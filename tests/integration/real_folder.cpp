#include "real_folder.h"

#include <dirent.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "core/file_name.h"

namespace fs = std::filesystem;

namespace testing_support {

TempFolder::TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_path = fs::path(::testing::TempDir()) / ("kovalin-" + std::string(info->test_suite_name()) +
                                               "-" + info->name() + "-" + std::to_string(getpid()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

void TempFolder::Touch(const std::string& name, std::size_t size) const {
    std::ofstream(m_path / name, std::ios::binary) << std::string(size, 'x');
}

void WaitForNextSecond() {
    const std::time_t start = std::time(nullptr);
    WaitFor([&] { return std::time(nullptr) > start; });
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

namespace {

std::string SelfPath() {
    return fs::read_symlink("/proc/self/exe").string();
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Log records: one line per run, fields separated by NUL, arguments
// length-prefixed so that any byte survives.
void AppendRecord(const std::string& log, const std::vector<std::string>& args) {
    std::ostringstream record;
    record << (getsid(0) == getpid() ? "S" : "-") << '\0';
    std::error_code ignored;
    record << fs::read_symlink("/proc/self/fd/0", ignored).string() << '\0';
    if (DIR* fds = opendir("/proc/self/fd")) {
        const int own = dirfd(fds);
        while (const dirent* item = readdir(fds)) {
            const int fd = std::atoi(item->d_name);
            if (item->d_name[0] != '.' && fd > 2 && fd != own)
                record << fd << ',';
        }
        closedir(fds);
    }
    record << '\0';
    for (const std::string& arg : args)
        record << arg.size() << ':' << arg;
    std::ofstream(log, std::ios::binary | std::ios::app) << record.str() << '\0' << '\n';
}

} // namespace

std::string RecordingConverter(const std::string& log, const std::string& removeIn) {
    std::string program = Quoted(SelfPath()) + " --as-converter " + Quoted(log);
    if (!removeIn.empty())
        program += " --remove " + Quoted(removeIn);
    return program;
}

int RunAsConverter(int argc, char** argv) {
    // argv: self --as-converter LOG [--remove FOLDER] title-args...
    const std::string log = argv[2];
    int first = 3;
    std::string removeIn;
    if (argc > 4 && std::string(argv[3]) == "--remove") {
        removeIn = argv[4];
        first = 5;
    }
    std::vector<std::string> args(argv + first, argv + argc);
    AppendRecord(log, args);
    if (!removeIn.empty()) {
        std::string title;
        for (const std::string& arg : args)
            title += (title.empty() ? "" : " ") + arg;
        for (const auto& entry : fs::directory_iterator(removeIn))
            if (EqualsIgnoringAsciiCase(entry.path().filename().string(), title + ".flv"))
                fs::remove(entry.path());
    }
    return 0;
}

std::vector<ConverterRun> ReadConverterLog(const std::string& log) {
    std::ifstream in(log, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<ConverterRun> runs;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        ConverterRun run;
        auto field = [&] {
            const std::size_t end = bytes.find('\0', pos);
            std::string text = bytes.substr(pos, end - pos);
            pos = end + 1;
            return text;
        };
        run.ownSession = field() == "S";
        run.stdinTarget = field();
        std::istringstream fds(field());
        for (std::string fd; std::getline(fds, fd, ',');)
            run.extraFds.push_back(std::stoi(fd));
        const std::string args = field();
        for (std::size_t i = 0; i < args.size();) {
            const std::size_t colon = args.find(':', i);
            const std::size_t length = std::stoul(args.substr(i, colon - i));
            run.args.push_back(args.substr(colon + 1, length));
            i = colon + 1 + length;
        }
        pos += 1; // the line feed
        runs.push_back(std::move(run));
    }
    return runs;
}

} // namespace testing_support
