// The helpers that need no system call of their own.
#include "support.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "fail.h"

namespace test_support {

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

TempFolder::~TempFolder() {
    RemoveTree(m_top);
}

std::string TempFolder::operator/(const std::string& name) const {
    return m_path + kPathSeparator + name;
}

void TempFolder::Touch(const std::string& name, std::size_t size) const {
    WriteFile(*this / name, std::string(size, 'x'));
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        Fail("write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string ConverterProgram(const std::string& mode, const std::string& log,
                             const std::string& removeIn) {
    std::string program = "\"" + TestProgram() + "\" " + kConverterFlag + mode + " \"" + log + "\"";
    if (!removeIn.empty())
        program += " --remove \"" + removeIn + "\"";
    return program;
}

bool IsConverterCall(int argc, char** argv) {
    return argc > 2 && std::strncmp(argv[1], kConverterFlag, std::strlen(kConverterFlag)) == 0;
}

} // namespace test_support
