#include "platform/journal_stream.h"

// Windows has no journal.
bool StdoutIsJournal() {
    return false;
}
