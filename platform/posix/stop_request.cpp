#include "platform/stop_request.h"

#include <pthread.h>
#include <signal.h>

#include <system_error>
#include <thread>

bool WatchForStopRequest(std::function<void()> onStop) {
    // Blocked here, the signals stay blocked in every thread started later,
    // so that only sigwait below receives them.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &stops, nullptr) != 0)
        return false;
    try {
        std::thread([stops, onStop = std::move(onStop)] {
            int signal = 0;
            while (sigwait(&stops, &signal) != 0) {
            }
            onStop();
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
