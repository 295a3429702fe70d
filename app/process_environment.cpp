#include <cstdio>

#include "app/watch_dlg_environment.h"
#include "core/platform.h"
#include "core/shared_state.h"
#include "core/worker_thread.h"
#include "platform/settings_location.h"

WatchDlgEnvironment ProcessEnvironment() {
    WatchDlgEnvironment env;
    env.state = &TheSharedState();
    env.executableDirectory = SettingsFolder;
    env.startWorker = StartConvertThread;
    env.isLeadByte = ThePlatform().LeadBytes();
    env.reportLine = [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    };
    return env;
}
