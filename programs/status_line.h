// The lines kovalin-headless prints for each status.
#pragma once

#include <ctime>
#include <string>

enum class LineKind { Status, Failure };

// The status on one line: each line break (CR LF, CR or LF) becomes a blank.
std::string OneLine(const std::string& status);

// One line, ended by a line feed: the status as OneLine gives it. For a
// terminal or a file it starts with the local time; for the journal, which
// stamps lines itself, with a syslog priority instead: <6> for a status, <3>
// for a failure.
std::string StatusLine(const std::string& status, LineKind kind, bool toJournal, std::time_t now);
