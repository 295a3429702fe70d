#include "programs/status_line.h"

#include <gtest/gtest.h>

namespace {

// The shape of "2026-12-07 06:38:38 ": a digit wherever the shape has 'd'.
bool StartsWithTimeStamp(const std::string& line) {
    const std::string shape = "dddd-dd-dd dd:dd:dd ";
    if (line.size() < shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == 'd' ? !digit : line[i] != shape[i])
            return false;
    }
    return true;
}

TEST(StatusLine, TerminalLineHasTimeAndOneLine) {
    const std::string line =
        StatusLine("clipを変換中\r\n変換動画数 3", Severity::Info, false, std::time(nullptr));
    EXPECT_TRUE(StartsWithTimeStamp(line)) << line;
    EXPECT_EQ(line.substr(20), "clipを変換中 変換動画数 3\n");
}

TEST(StatusLine, JournalLineHasPriorityAndNoTime) {
    EXPECT_EQ(StatusLine("待機中", Severity::Info, true, 0), "<6>待機中\n");
    EXPECT_EQ(StatusLine("「conv」を起動できません", Severity::Error, true, 0),
              "<3>「conv」を起動できません\n");
}

} // namespace
