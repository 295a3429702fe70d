// Text cut on a character boundary, here to the room of the Windows tray tip.
#include "core/file_name.h"

#include <gtest/gtest.h>

#include <string>

#include "core/status.h"

namespace {

bool FakeLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0x9F;
}

TEST(CutAtCharBoundaryTest, KeepsTextThatFits) {
    const std::string text(kTrayTipBytes, 'a');
    EXPECT_EQ(CutAtCharBoundary(text, kTrayTipBytes, nullptr), text);
    EXPECT_EQ(CutAtCharBoundary("待機中", kTrayTipBytes, nullptr), "待機中");
}

// UTF-8 bytes spelled out, so that the test means the same where literals
// are compiled to another code page.
constexpr const char* kA = "\xE3\x81\x82"; // あ
constexpr const char* kI = "\xE3\x81\x84"; // い
constexpr const char* kU = "\xE3\x81\x86"; // う

TEST(CutAtCharBoundaryTest, NeverSplitsAUtf8Character) {
    const std::string head(kTrayTipBytes - 1, 'a');
    EXPECT_EQ(CutAtCharBoundary(head + kA + kI + kU, kTrayTipBytes, nullptr), head);
    EXPECT_EQ(
        CutAtCharBoundary(std::string(kTrayTipBytes - 3, 'a') + kA + kI, kTrayTipBytes, nullptr),
        std::string(kTrayTipBytes - 3, 'a') + kA);
    // Four-byte characters too.
    EXPECT_EQ(CutAtCharBoundary(std::string(kTrayTipBytes - 2, 'a') + "\xF0\x9F\x98\x80",
                                kTrayTipBytes, nullptr),
              std::string(kTrayTipBytes - 2, 'a'));
}

TEST(CutAtCharBoundaryTest, CutsBytesThatAreNotUtf8WhereTheyStand) {
    const std::string text(kTrayTipBytes + 17, '\x80');
    EXPECT_EQ(CutAtCharBoundary(text, kTrayTipBytes, nullptr).size(), kTrayTipBytes);
}

TEST(CutAtCharBoundaryTest, NeverSplitsADoubleByteCharacter) {
    const std::string head(kTrayTipBytes - 1, 'a');
    EXPECT_EQ(CutAtCharBoundary(head + "\x82\xA0zz", kTrayTipBytes, FakeLeadByte), head);
    EXPECT_EQ(CutAtCharBoundary(std::string(kTrayTipBytes - 2, 'a') + "\x82\xA0zz", kTrayTipBytes,
                                FakeLeadByte),
              std::string(kTrayTipBytes - 2, 'a') + "\x82\xA0");
}

} // namespace
