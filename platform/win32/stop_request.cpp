#include "platform/stop_request.h"

#include <windows.h>

namespace {

std::function<void()>& StopHandler() {
    static auto* const handler = new std::function<void()>;
    return *handler;
}

// The system calls this on a thread of its own for Ctrl+C, Ctrl+Break, the
// console's close button, log-off and shut-down.
BOOL WINAPI OnConsoleEvent(DWORD) {
    StopHandler()();
    return TRUE;
}

} // namespace

bool WatchForStopRequest(std::function<void()> onStop) {
    StopHandler() = std::move(onStop);
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != FALSE;
}
