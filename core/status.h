// What the worker is doing, as one value: its kind, for the code that acts
// on it, and its text, for people. The views and kovalin-headless's lines
// show the text; code looks at the kind.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "core/severity.h"

enum class StatusKind {
    Starting,    // before the worker's first status
    Idle,        // nothing to convert now, with the files that wait counted
    Converting,  // a converter runs
    StartFailed, // the converter could not be started
    FolderInUse, // another Kovalin runs the watch folder
};

struct Status {
    StatusKind kind = StatusKind::Starting;
    std::string text;

    bool operator==(const Status&) const = default;
};

// A converter that cannot be started is an error; every other status says
// what goes on.
inline Severity SeverityOf(StatusKind kind) {
    return kind == StatusKind::StartFailed ? Severity::Error : Severity::Info;
}

// The bytes of a status that the Windows tray tip holds (its 88-byte record
// has 64, the terminator included). Each status puts what matters most
// first, so that where the tip cuts it, the least useful part goes.
inline constexpr std::size_t kTrayTipBytes = 63;

// For test failures.
inline std::ostream& operator<<(std::ostream& out, const Status& status) {
    return out << "{kind " << static_cast<int>(status.kind) << ", \"" << status.text << "\"}";
}
