#include "core/worker_thread.h"

#include <system_error>
#include <thread>

#include "core/convert_worker.h"
#include "core/platform_port.h"
#include "core/shared_state.h"

bool StartConvertThread(Platform& platform, SharedState& state) {
    try {
        std::thread([&platform, &state] { ConvertWorker(platform, state).Run(); }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
