// The lines kovalin-headless prints for each status.
#pragma once

#include <ctime>
#include <string>

#include "core/severity.h"

// The status on one line (OneLine), ended by a line feed. For a terminal or
// a file it starts with the local time; for the journal, which stamps lines
// itself, with the severity's priority instead: <6> for a status, <3> for a
// converter that cannot be started.
std::string StatusLine(const std::string& status, Severity severity, bool toJournal,
                       std::time_t now);
