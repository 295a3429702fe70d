// The one way the three programs say a line without a window: to the user
// on standard error, or to the journal where standard error is the journal.
#pragma once

#include <string>
#include <string_view>

#include "core/severity.h"

// Writes the line on standard error at once, as FormatReport gives it, after
// the name of the running program ("kovalin-headless", "Kovalin").
void ReportLine(Severity severity, std::string_view line);

// `program`, ": " and the line on one line, ended by a line feed. For the
// journal, which takes the program's name and time itself, it starts with
// the severity's priority ("<3>").
std::string FormatReport(std::string_view program, Severity severity, std::string_view line,
                         bool toJournal);

// The priority that starts a line for the journal: "<3>" for an error.
std::string JournalPriority(Severity severity);

// The text on one line: each line break (CR LF, CR or LF) becomes a blank,
// so that a line never splits in the journal.
std::string OneLine(std::string_view text);

// " (PID n)" naming another process, or nothing where the system does not
// show its PID (0).
std::string PidText(long pid);
