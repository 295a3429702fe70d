#include "programs/status_line.h"

#include <gtest/gtest.h>

#include "core/texts.h"

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
    const std::string line = StatusLine(texts::Converting("clip", 3), false, std::time(nullptr));
    EXPECT_TRUE(StartsWithTimeStamp(line)) << line;
    EXPECT_EQ(line.substr(20), "clipを変換中 変換動画数 3\n");
}

TEST(StatusLine, JournalLineHasThePriorityOfItsKindAndNoTime) {
    EXPECT_EQ(StatusLine(texts::Idle(0, 0, false), true, 0), "<6>待機中\n");
    EXPECT_EQ(StatusLine(texts::StartFailed("conv"), true, 0),
              "<3>実行するプログラムを起動できません 「conv」\n");
}

} // namespace
