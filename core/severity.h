// How much a line that a program says matters, as the journal ranks it.
#pragma once

// The values are syslog's priorities, which a line for the journal starts
// with ("<3>").
enum class Severity {
    Error = 3,   // a start refused, a setting lost, a converter that cannot start
    Warning = 4, // the program goes on, without something the user may expect
    Info = 6,    // what the program is doing
};
