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
    sigset_t before;
    if (pthread_sigmask(SIG_BLOCK, &stops, &before) != 0)
        return false;
    try {
        // Every request is handed on, for the life of the process: a second
        // Ctrl+C is heard too, and none ever ends the process unasked.
        std::thread([stops, onStop = std::move(onStop)] {
            for (;;) {
                int signal = 0;
                if (sigwait(&stops, &signal) == 0)
                    onStop();
            }
        }).detach();
        return true;
    } catch (const std::system_error&) {
        // Nothing would receive them: they act as before.
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return false;
    }
}
