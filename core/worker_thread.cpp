#include "core/worker_thread.h"

#include <system_error>
#include <thread>

#include "core/convert_worker.h"
#include "core/platform.h"
#include "core/shared_state.h"

namespace {

void ConvertThreadProc() {
    ConvertWorker(ThePlatform(), TheSharedState()).Run();
}

} // namespace

bool StartConvertThread() {
    try {
        std::thread(ConvertThreadProc).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
