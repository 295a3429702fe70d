#include "app/limit_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LimitText, AcceptsUnsignedNumbersWithBlanksAround) {
    EXPECT_EQ(ParseLimitText("0"), 0u);
    EXPECT_EQ(ParseLimitText("000"), 0u);
    EXPECT_EQ(ParseLimitText(" 007 "), 7u);
    EXPECT_EQ(ParseLimitText("\t512\t "), 512u);
    EXPECT_EQ(ParseLimitText("+25"), 25u);
    EXPECT_EQ(ParseLimitText("4294967295"), 4294967295u);
}

TEST(LimitText, SaturatesAtTheLargestUnsignedValue) {
    EXPECT_EQ(ParseLimitText("4294967296"), 4294967295u);
    EXPECT_EQ(ParseLimitText("99999999999"), 4294967295u);
    EXPECT_EQ(ParseLimitText(std::string(30, '9')), 4294967295u);
}

TEST(LimitText, RefusesEmptySignedAndMixedText) {
    for (const char* text : {"", "   ", "\t", "+0", "+", "-5", " -5", "-0", "12a", "a12", "1 2",
                             "0x10", "5\n", "1.5", "１２"})
        EXPECT_EQ(ParseLimitText(text), std::nullopt) << '"' << text << '"';
}

TEST(LimitText, ReadsOnlyTheFirst31Bytes) {
    // Whatever follows byte 31 is never looked at.
    EXPECT_EQ(ParseLimitText(std::string(30, ' ') + "7junk"), 7u);
    EXPECT_EQ(ParseLimitText(std::string(31, ' ') + "7"), std::nullopt);
    EXPECT_EQ(ParseLimitText(std::string(31, '0') + "1"), 0u);
}

TEST(LimitText, StopsAtAnEmbeddedZeroByte) {
    EXPECT_EQ(ParseLimitText(std::string("12\0x", 4)), 12u);
}

} // namespace
