// The lines kovalin-headless prints for each status.
#pragma once

#include <ctime>
#include <string>

enum class LineKind { Status, Failure };

// One line, ended by a line feed, with the status's line breaks shown as
// blanks. For a terminal or a file it starts with the local time; for the
// journal, which stamps lines itself, with a syslog priority instead: <6>
// for a status, <3> for a failure.
std::string StatusLine(const std::string& status, LineKind kind, bool toJournal, std::time_t now);
