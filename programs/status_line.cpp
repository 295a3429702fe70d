#include "programs/status_line.h"

#include "platform/report_line.h"

std::string StatusLine(const std::string& status, Severity severity, bool toJournal,
                       std::time_t now) {
    std::string line;
    if (toJournal) {
        line = JournalPriority(severity);
    } else {
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", std::localtime(&now));
        line = stamp;
    }
    return line + OneLine(status) + "\n";
}
