#include "platform/posix/word_splitting.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program: quotes toggle grouping and are dropped, nothing is escaped.
std::size_t ReadProgram(const std::string& line, std::string& program) {
    bool quoted = false;
    std::size_t i = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (IsBlank(c) && !quoted)
            break;
        else
            program += c;
    }
    return i;
}

// One later argument starting at `i` (not a blank); returns the index after it.
std::size_t ReadArgument(const std::string& line, std::size_t i, std::string& arg) {
    bool quoted = false;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '\\') {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                    ++i;
                }
            } else {
                arg.append(slashes, '\\');
            }
        } else if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else if (IsBlank(c) && !quoted) {
            break;
        } else {
            arg += c;
            ++i;
        }
    }
    return i;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args(1);
    std::size_t i = ReadProgram(line, args[0]);
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        args.emplace_back();
        i = ReadArgument(line, i, args.back());
    }
    return args;
}
