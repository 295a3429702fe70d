// A stand-in for ffmpeg.exe. Each run appends its arguments, separated by
// tabs, as one line to the file named as itself with ".log" added (so a
// copy that runs where it should not leaves its own log). It then copies the
// file after the last "-i" to its last argument, a "file:" prefix dropped
// from both. A file whose contents begin with "bad" makes it fail after
// writing part of the output.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string OwnPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string WithoutFilePrefix(const std::string& name) {
    return name.rfind("file:", 0) == 0 ? name.substr(5) : name;
}

} // namespace

int main(int argc, char** argv) {
    std::string input;
    {
        std::ofstream log(OwnPath() + ".log", std::ios::binary | std::ios::app);
        for (int i = 1; i < argc; ++i) {
            log << argv[i] << (i + 1 < argc ? "\t" : "");
            if (std::string(argv[i]) == "-i" && i + 1 < argc)
                input = WithoutFilePrefix(argv[i + 1]);
        }
        log << '\n';
    }
    std::ifstream in(input, std::ios::binary);
    if (argc < 2 || !in)
        return 1;
    const std::string contents{std::istreambuf_iterator<char>(in), {}};
    std::ofstream out(WithoutFilePrefix(argv[argc - 1]), std::ios::binary);
    if (contents.rfind("bad", 0) == 0) {
        out << contents.substr(0, 2);
        return 1;
    }
    out << contents;
    return out ? 0 : 1;
}
