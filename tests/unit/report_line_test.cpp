// The lines that the programs say without a window.
#include "platform/report_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportLineTest, NamesTheProgramAndGivesTheJournalThePriority) {
    const struct {
        Severity severity;
        const char* line;
        bool toJournal;
        const char* expected;
    } cases[] = {
        {Severity::Error, "cannot start", false, "kovalin-headless: cannot start\n"},
        {Severity::Error, "cannot start", true, "<3>kovalin-headless: cannot start\n"},
        {Severity::Warning, "defaults", true, "<4>kovalin-headless: defaults\n"},
        {Severity::Info, "running", true, "<6>kovalin-headless: running\n"},
        // A line never splits, whatever its line breaks.
        {Severity::Warning, "a\r\nb\rc\nd", true, "<4>kovalin-headless: a b c d\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatReport("kovalin-headless", c.severity, c.line, c.toJournal), c.expected);
    EXPECT_EQ(PidText(4321), " (PID 4321)");
    EXPECT_EQ(PidText(0), ""); // a process the system does not show
}

} // namespace
