#include "platform/posix/word_splitting.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLineTest, BlanksAndTabsSeparateAndNothingIsInterpreted) {
    EXPECT_EQ(SplitCommandLine("conv clip"), (Args{"conv", "clip"}));
    EXPECT_EQ(SplitCommandLine("conv my  clip\tx"), (Args{"conv", "my", "clip", "x"}));
    EXPECT_EQ(SplitCommandLine("conv $(touch x);rm *|y `z` -v"),
              (Args{"conv", "$(touch", "x);rm", "*|y", "`z`", "-v"}));
    EXPECT_EQ(SplitCommandLine("conv a\nb"), (Args{"conv", "a\nb"}));
    EXPECT_EQ(SplitCommandLine("conv \xff\xfe"), (Args{"conv", "\xff\xfe"}));
    EXPECT_EQ(SplitCommandLine("conv "), (Args{"conv"}));
}

TEST(SplitCommandLineTest, ProgramMayBeQuotedAndTakesNoEscapes) {
    EXPECT_EQ(SplitCommandLine("\"/opt/my tools/conv\" clip"),
              (Args{"/opt/my tools/conv", "clip"}));
    EXPECT_EQ(SplitCommandLine("c:\\dir\\\"x y\" t"), (Args{"c:\\dir\\x y", "t"}));
    // A line that starts with a blank has an empty program.
    EXPECT_EQ(SplitCommandLine(" clip"), (Args{"", "clip"}));
    EXPECT_EQ(SplitCommandLine(""), (Args{""}));
}

TEST(SplitCommandLineTest, QuotesAndBackslashesInArguments) {
    EXPECT_EQ(SplitCommandLine("p \"a b\" c"), (Args{"p", "a b", "c"}));
    EXPECT_EQ(SplitCommandLine("p a\\\\b"), (Args{"p", "a\\\\b"}));       // a\\b
    EXPECT_EQ(SplitCommandLine("p a\\\"b"), (Args{"p", "a\"b"}));         // a\"b
    EXPECT_EQ(SplitCommandLine("p a\\\\\"b c\""), (Args{"p", "a\\b c"})); // a\\"b c"
    EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), (Args{"p", "a\"b"}));     // "a""b"
    EXPECT_EQ(SplitCommandLine("p \"\" x"), (Args{"p", "", "x"}));
    EXPECT_EQ(SplitCommandLine("p \"unclosed arg"), (Args{"p", "unclosed arg"}));
}

} // namespace
