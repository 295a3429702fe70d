#include "platform/journal_stream.h"

// Windows has no journal.
bool IsJournalStream(StandardStream) {
    return false;
}
