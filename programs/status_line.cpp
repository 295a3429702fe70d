#include "programs/status_line.h"

#include "platform/report_line.h"

std::string StatusLine(const Status& status, bool toJournal, std::time_t now) {
    std::string line;
    if (toJournal) {
        line = JournalPriority(SeverityOf(status.kind));
    } else {
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", std::localtime(&now));
        line = stamp;
    }
    return line + OneLine(status.text) + "\n";
}
