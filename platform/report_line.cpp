#include "platform/report_line.h"

#include <cstdio>

#include "platform/executable_dir.h"
#include "platform/journal_stream.h"

namespace {

std::string ProgramName() {
    const std::string title = ExecutableTitle();
    return title.empty() ? "kovalin" : title;
}

} // namespace

void ReportLine(Severity severity, std::string_view line) {
    static const std::string program = ProgramName();
    const std::string text =
        FormatReport(program, severity, line, IsJournalStream(StandardStream::Error));
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

std::string FormatReport(std::string_view program, Severity severity, std::string_view line,
                         bool toJournal) {
    return (toJournal ? JournalPriority(severity) : std::string()) + std::string(program) + ": " +
           OneLine(line) + "\n";
}

std::string JournalPriority(Severity severity) {
    // Appended rather than "<" + ...: GCC 12 at -O3 warns of a false overlap.
    std::string priority(1, '<');
    priority += std::to_string(static_cast<int>(severity));
    priority += '>';
    return priority;
}

std::string OneLine(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

std::string PidText(long pid) {
    return pid > 0 ? " (PID " + std::to_string(pid) + ")" : "";
}
