// Splitting a command line into arguments by the rules of the Windows C
// runtime, so that a converter setting means the same on every platform.
#pragma once

#include <string>
#include <vector>

// Blanks and tabs separate arguments outside double quotes; double quotes
// group. The first argument (the program) ends at the first blank or tab
// outside quotes and takes no backslash escapes. In later arguments 2n
// backslashes before a quote give n backslashes and the quote groups; 2n+1
// give n backslashes and a literal quote; "" inside quotes gives a literal
// quote; other backslashes are literal. A line that begins with a blank has an
// empty program.
std::vector<std::string> SplitCommandLine(const std::string& line);
