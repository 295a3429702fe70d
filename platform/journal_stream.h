#pragma once

// True when standard output is connected to the systemd journal: the
// JOURNAL_STREAM variable names the very stream that standard output is
// (a child that redirected its output inherits the variable, not the stream).
bool StdoutIsJournal();
