#include "platform/worker_thread.h"

#include <windows.h>

#include "core/convert_worker.h"
#include "core/platform.h"
#include "core/shared_state.h"

namespace {

DWORD WINAPI ConvertThreadProc(LPVOID) {
    ConvertWorker(ThePlatform(), TheSharedState()).Run();
}

} // namespace

bool StartConvertThread() {
    const HANDLE thread = CreateThread(nullptr, 0, ConvertThreadProc, nullptr, 0, nullptr);
    if (!thread)
        return false;
    // The thread is never joined: its handle is not needed.
    CloseHandle(thread);
    return true;
}
