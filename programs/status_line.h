// The lines kovalin-headless prints for each status.
#pragma once

#include <ctime>
#include <string>

#include "core/status.h"

// The status's text on one line (OneLine), ended by a line feed. For a
// terminal or a file it starts with the local time; for the journal, which
// stamps lines itself, with the priority of the status's severity instead:
// <6> for what goes on, <3> for a converter that cannot be started.
std::string StatusLine(const Status& status, bool toJournal, std::time_t now);
