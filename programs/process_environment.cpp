#include "programs/process_environment.h"

#include <cstdio>

#include "core/shared_state.h"
#include "core/worker_thread.h"
#include "platform/settings_location.h"
#include "platform/the_platform.h"

WatchDlgEnvironment ProcessEnvironment() {
    WatchDlgEnvironment env;
    env.state = &TheSharedState();
    env.executableDirectory = SettingsFolder;
    env.startWorker = [] { return StartConvertThread(ThePlatform(), TheSharedState()); };
    env.isLeadByte = ThePlatform().LeadBytes();
    env.reportLine = [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    };
    return env;
}
