// The command-line split of the POSIX converter start on arbitrary lines.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/posix/word_splitting.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits at runs of blanks and tabs: what the rule gives for a line without
// quotes and backslashes.
std::vector<std::string> SplitAtBlanks(std::string_view line) {
    std::vector<std::string> words(1);
    std::size_t i = 0;
    while (i < line.size() && !IsBlank(line[i]))
        words[0] += line[i++];
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            return words;
        words.emplace_back();
        while (i < line.size() && !IsBlank(line[i]))
            words.back() += line[i++];
    }
}

// Quotes one later argument so that the rule gives it back unchanged.
std::string Quote(const std::string& arg) {
    std::string quoted = "\"";
    std::size_t slashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
            quoted.append(2 * slashes + 1, '\\');
            quoted += '"';
        } else {
            quoted.append(slashes, '\\');
            quoted += c;
        }
        slashes = 0;
    }
    quoted.append(2 * slashes, '\\');
    return quoted + '"';
}

void CheckSplit(const std::string& line) {
    const std::vector<std::string> args = SplitCommandLine(line);
    FUZZ_CHECK(!args.empty());

    std::array<bool, 256> inLine{};
    for (const char c : line)
        inLine[static_cast<unsigned char>(c)] = true;
    std::size_t total = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        // Every byte of every argument was in the line; nothing is added.
        for (const char c : args[i])
            FUZZ_CHECK(inLine[static_cast<unsigned char>(c)]);
        total += args[i].size();
        // Only the program may be empty, and only a quote makes an empty
        // argument or lets a blank into one.
        if (line.find('"') == std::string::npos) {
            FUZZ_CHECK(i == 0 || !args[i].empty());
            FUZZ_CHECK(std::none_of(args[i].begin(), args[i].end(), IsBlank));
        }
    }
    FUZZ_CHECK(total <= line.size());
    // A line that begins with a blank names no program.
    if (!line.empty() && IsBlank(line[0]))
        FUZZ_CHECK(args[0].empty());
    if (line.find_first_of("\"\\") == std::string::npos)
        FUZZ_CHECK(args == SplitAtBlanks(line));
}

// The worker's command line is the program, one blank and the title: with a
// program free of quotes the title's arguments follow the program's.
void CheckConverterLine(const std::string& program, const std::string& title) {
    if (program.find('"') != std::string::npos)
        return;
    std::vector<std::string> expected = SplitCommandLine(program);
    const std::vector<std::string> titleArgs = SplitCommandLine(" " + title);
    FUZZ_CHECK(titleArgs[0].empty());
    expected.insert(expected.end(), titleArgs.begin() + 1, titleArgs.end());
    FUZZ_CHECK(SplitCommandLine(program + " " + title) == expected);
}

// Quoted arguments come back unchanged.
void CheckQuoting(const std::vector<std::string>& args) {
    std::string line = "prog";
    for (const std::string& arg : args)
        line += " " + Quote(arg);
    std::vector<std::string> expected{"prog"};
    expected.insert(expected.end(), args.begin(), args.end());
    FUZZ_CHECK(SplitCommandLine(line) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckSplit(input);

    // The first NUL, if any, separates a program from a title.
    const std::size_t nul = input.find('\0');
    if (nul != std::string::npos)
        CheckConverterLine(input.substr(0, nul), input.substr(nul + 1));

    // Arguments for the quoting check: the input cut at 0x01 bytes.
    std::vector<std::string> args(1);
    for (const char c : input) {
        if (c == '\x01')
            args.emplace_back();
        else
            args.back() += c;
    }
    CheckQuoting(args);
    return 0;
}
