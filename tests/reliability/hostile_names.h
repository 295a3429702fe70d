// Titles built to break a converter start or a deletion: shell syntax,
// quotes, backslashes, leading dashes, line ends, invalid UTF-8, names at the
// length limit and names that differ only in case.
#pragma once

#include <string>
#include <vector>

namespace reliability {

inline std::vector<std::string> HostileTitles() {
    return {
        "plain",
        "my clip",
        "  two  blanks  ",
        " leading blank",
        "trailing blank ",
        "tab\there",
        "new\nline",
        "carriage\rreturn",
        "$(touch PWNED)",
        "`touch PWNED`",
        "; touch PWNED",
        "| touch PWNED",
        "&& touch PWNED &",
        "> PWNED",
        "< input 2>&1",
        "$HOME",
        "${IFS}x",
        "'single'",
        "it's",
        "\"double\"",
        "a\"b c",
        "\"unbalanced",
        "back\\slash",
        "trailing\\",
        "\\\\\\\"x",
        "\\\" injected \\\"",
        "\"\"",
        "-rf",
        "--help",
        "-",
        "--",
        "--test-converter=exit",
        "*",
        "?",
        "[a-z]",
        "~",
        "%s%n%x",
        "%PATH%",
        "!!",
        "#comment",
        "(paren) {brace}",
        "a=b",
        "\\\\server\\share",
        "a.b.c",
        ".",
        "..",
        ".hidden",
        "x.flv",
        "\xff\xfe invalid",
        "\xc3",
        "\xed\xa0\x80",
        "\xe5\x8b\x95\xe7\x94\xbb \xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab",
        "e\xcc\x81",
        "\x01\x02\x1b[31m",
        "\x7f",
        "CaseClash",
        "caseclash",
        "CASECLASH",
        std::string(251, 'L'),
        std::string(125, 'a') + std::string(1, ' ') + std::string(125, 'b'),
    };
}

} // namespace reliability
