#pragma once

enum class StandardStream { Output, Error };

// True when the stream is connected to the systemd journal: the
// JOURNAL_STREAM variable names that very stream (a child that redirected
// its output inherits the variable, not the stream).
bool IsJournalStream(StandardStream stream);
