#include "app/status_line.h"

#include <gtest/gtest.h>

#include <regex>

TEST(StatusLine, TerminalLineHasTimeAndOneLine) {
    const std::string line =
        StatusLine("clipを変換中\r\n変換動画数 3", LineKind::Status, false, std::time(nullptr));
    EXPECT_TRUE(std::regex_match(
        line, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d clipを変換中 変換動画数 3\n")))
        << line;
}

TEST(StatusLine, JournalLineHasPriorityAndNoTime) {
    EXPECT_EQ(StatusLine("待機中", LineKind::Status, true, 0), "<6>待機中\n");
    EXPECT_EQ(StatusLine("「conv」を起動できません", LineKind::Failure, true, 0),
              "<3>「conv」を起動できません\n");
    // A lone line break is a blank too: a line never splits in the journal.
    EXPECT_EQ(StatusLine("a\rb\nc", LineKind::Status, true, 0), "<6>a b c\n");
}
