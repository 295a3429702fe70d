#include "app/limit_exchange.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LimitExchange, AcceptsUnsignedNumbersWithBlanksAround) {
    EXPECT_EQ(ExchangeLimitText("0"), 0u);
    EXPECT_EQ(ExchangeLimitText("000"), 0u);
    EXPECT_EQ(ExchangeLimitText(" 007 "), 7u);
    EXPECT_EQ(ExchangeLimitText("\t512\t "), 512u);
    EXPECT_EQ(ExchangeLimitText("+25"), 25u);
    EXPECT_EQ(ExchangeLimitText("4294967295"), 4294967295u);
}

TEST(LimitExchange, SaturatesAtTheLargestUnsignedValue) {
    EXPECT_EQ(ExchangeLimitText("4294967296"), 4294967295u);
    EXPECT_EQ(ExchangeLimitText("99999999999"), 4294967295u);
    EXPECT_EQ(ExchangeLimitText(std::string(30, '9')), 4294967295u);
}

TEST(LimitExchange, RefusesEmptySignedAndMixedText) {
    for (const char* text : {"", "   ", "\t", "+0", "+", "-5", " -5", "-0", "12a", "a12", "1 2",
                             "0x10", "5\n", "1.5", "１２"})
        EXPECT_EQ(ExchangeLimitText(text), std::nullopt) << '"' << text << '"';
}

TEST(LimitExchange, ReadsOnlyTheFirst31Bytes) {
    // Whatever follows byte 31 is never looked at.
    EXPECT_EQ(ExchangeLimitText(std::string(30, ' ') + "7junk"), 7u);
    EXPECT_EQ(ExchangeLimitText(std::string(31, ' ') + "7"), std::nullopt);
    EXPECT_EQ(ExchangeLimitText(std::string(31, '0') + "1"), 0u);
}

TEST(LimitExchange, StopsAtAnEmbeddedZeroByte) {
    EXPECT_EQ(ExchangeLimitText(std::string("12\0x", 4)), 12u);
}

} // namespace
