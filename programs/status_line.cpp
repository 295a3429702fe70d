#include "programs/status_line.h"

std::string OneLine(const std::string& status) {
    std::string line;
    for (std::size_t i = 0; i < status.size(); ++i) {
        if (status[i] == '\r' && i + 1 < status.size() && status[i + 1] == '\n')
            continue;
        line += (status[i] == '\r' || status[i] == '\n') ? ' ' : status[i];
    }
    return line;
}

std::string StatusLine(const std::string& status, LineKind kind, bool toJournal, std::time_t now) {
    std::string line;
    if (toJournal) {
        line = kind == LineKind::Failure ? "<3>" : "<6>";
    } else {
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", std::localtime(&now));
        line = stamp;
    }
    return line + OneLine(status) + "\n";
}
