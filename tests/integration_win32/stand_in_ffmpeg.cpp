// A stand-in for ffmpeg.exe. Each run appends its arguments, separated by
// tabs, as one line to the file named as itself with ".log" added (so a
// copy that runs where it should not leaves its own log). It then copies the
// file after the last "-i" to its last argument, a "file:" prefix dropped
// from both. What the file begins with decides how the run ends:
//   "bad"    fails after writing part of the output;
//   "crash"  writes all of it, then exits as a crash does (0xC0000005);
//   "folder" writes all of it, then makes a folder at the final name of an
//            .mp4 output (its name without ".part") and succeeds.
// "-version" answers 0, as ffmpeg does, but 1 for "-fps_mode" where the
// environment holds STAND_IN_FFMPEG_4_1: ffmpeg 4.1 knows only "-vsync".
#include <windows.h>

#include <cstdlib>
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

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string input;
    bool version = false, fpsMode = false;
    {
        std::ofstream log(OwnPath() + ".log", std::ios::binary | std::ios::app);
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            log << arg << (i + 1 < argc ? "\t" : "");
            if (arg == "-i" && i + 1 < argc)
                input = WithoutFilePrefix(argv[i + 1]);
            version = version || arg == "-version";
            fpsMode = fpsMode || arg == "-fps_mode";
        }
        log << '\n';
    }
    if (fpsMode && std::getenv("STAND_IN_FFMPEG_4_1"))
        return 1; // "Unrecognized option 'fps_mode'"
    if (version)
        return 0;
    std::ifstream in(input, std::ios::binary);
    if (argc < 2 || !in)
        return 1;
    const std::string contents{std::istreambuf_iterator<char>(in), {}};
    const std::string output = WithoutFilePrefix(argv[argc - 1]);
    std::ofstream out(output, std::ios::binary);
    if (contents.rfind("bad", 0) == 0) {
        out << contents.substr(0, 2);
        return 1;
    }
    out << contents;
    out.close();
    if (contents.rfind("crash", 0) == 0)
        return static_cast<int>(0xC0000005u);
    if (contents.rfind("folder", 0) == 0 && EndsWith(output, ".mp4.part"))
        CreateDirectoryA(output.substr(0, output.size() - 5).c_str(), nullptr);
    return out ? 0 : 1;
}
