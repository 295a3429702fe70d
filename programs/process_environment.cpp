#include "programs/process_environment.h"

#include "core/shared_state.h"
#include "core/worker_thread.h"
#include "platform/report_line.h"
#include "platform/system_settings.h"
#include "platform/the_file_system.h"
#include "platform/the_platform.h"

WatchDlgEnvironment ProcessEnvironment() {
    WatchDlgEnvironment env;
    env.state = &TheSharedState();
    env.settingsFolder = TheSettingsFolder;
    env.defaultSettings = DefaultSettings();
    env.files = &TheFileSystem();
    env.startWorker = [] { return StartConvertThread(ThePlatform(), TheSharedState()); };
    env.isLeadByte = ThePlatform().LeadBytes();
    env.reportLine = ReportLine;
    return env;
}
