#include "app/tray_tip.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool FakeLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0x9F;
}

TEST(TrayTip, KeepsTextThatFits) {
    const std::string text(63, 'a');
    EXPECT_EQ(CutAtCharBoundary(text, kTrayTipBytes, nullptr), text);
    EXPECT_EQ(CutAtCharBoundary("待機中", kTrayTipBytes, nullptr), "待機中");
}

TEST(TrayTip, NeverSplitsAUtf8Character) {
    const std::string head(62, 'a');
    EXPECT_EQ(CutAtCharBoundary(head + "あいう", kTrayTipBytes, nullptr), head);
    EXPECT_EQ(CutAtCharBoundary(std::string(60, 'a') + "あい", kTrayTipBytes, nullptr),
              std::string(60, 'a') + "あ");
    // Four-byte characters too.
    EXPECT_EQ(CutAtCharBoundary(std::string(61, 'a') + "😀", kTrayTipBytes, nullptr),
              std::string(61, 'a'));
}

TEST(TrayTip, CutsBytesThatAreNotUtf8WhereTheyStand) {
    const std::string text(80, '\x80');
    EXPECT_EQ(CutAtCharBoundary(text, kTrayTipBytes, nullptr).size(), 63u);
}

TEST(TrayTip, NeverSplitsADoubleByteCharacter) {
    const std::string head(62, 'a');
    EXPECT_EQ(CutAtCharBoundary(head + "\x82\xA0zz", kTrayTipBytes, FakeLeadByte), head);
    EXPECT_EQ(CutAtCharBoundary(std::string(61, 'a') + "\x82\xA0zz", kTrayTipBytes, FakeLeadByte),
              std::string(61, 'a') + "\x82\xA0");
}

} // namespace
