// kovalin-headless: the conversion engine without a window. It reads the
// settings once, starts the worker and prints each new status on a line of
// its own until it is asked to stop. It never writes the settings file.
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/platform_port.h"
#include "core/shared_state.h"
#include "core/status.h"
#include "core/worker_thread.h"
#include "kovalin_version.h"
#include "platform/instance_lock.h"
#include "platform/journal_stream.h"
#include "platform/report_line.h"
#include "platform/stop_request.h"
#include "platform/system_settings.h"
#include "platform/the_file_system.h"
#include "platform/the_platform.h"
#include "programs/service_notify.h"
#include "programs/status_line.h"
#include "programs/worker_watchdog.h"
#include "settings/settings_store.h"
#ifdef _WIN32
#include "platform/win32/dll_search.h"
#endif

namespace {

// Another Kovalin runs the watch folder: a later start may succeed
// (EX_TEMPFAIL), and the units retry.
constexpr int kExitFolderInUse = 75;

constexpr const char* kUsage =
    "usage: kovalin-headless [SETTINGS-FILE]\n"
    "Converts the .flv files of the watch folder one at a time and keeps its\n"
    ".mp4 and .jpg files under the size limit, as the tray program does.\n"
    "SETTINGS-FILE defaults to Kovaset.ini beside the executable when there is\n"
    "one, otherwise to $XDG_CONFIG_HOME/kovalin/Kovaset.ini (~/.config/kovalin).\n"
    "One Kovalin runs per settings file: a second start of the same user exits\n"
    "with code 2. One runs per watch folder: a start on a folder that another\n"
    "Kovalin runs exits with code 75, and may be tried again later.\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

struct Options {
    enum class Action { Run, Help, Version, Error } action = Action::Run;
    std::string settingsPath; // named on the command line, so it must be read; or empty
    std::string error;
};

Options ParseArguments(int argc, char** argv) {
    Options options;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            options.action = Options::Action::Help;
            return options;
        } else if (!endOfOptions && arg == "--version") {
            options.action = Options::Action::Version;
            return options;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option " + std::string(arg);
        } else if (options.settingsPath.empty() && !arg.empty()) {
            options.settingsPath = arg;
        } else {
            options.error = "expected at most one settings file";
        }
    }
    if (!options.error.empty())
        options.action = Options::Action::Error;
    return options;
}

// The file named on the command line, else the one in the settings folder
// (none when no folder can be told).
SettingsStore SettingsOf(const Options& options) {
    const std::string path =
        !options.settingsPath.empty() ? options.settingsPath : SettingsPathIn(TheSettingsFolder());
    return SettingsStore(TheFileSystem(), path);
}

// Prints a status line at once, for a terminal, a file or the journal.
void PrintStatus(const Status& status, bool toJournal) {
    std::fputs(StatusLine(status, toJournal, std::time(nullptr)).c_str(), stdout);
    std::fflush(stdout);
}

// Set once by the stop request; main waits for it. Never destroyed, so the
// thread that sets it never outlives it; a static reference keeps it
// reachable for leak checkers once that thread has ended.
struct StopLatch {
    std::mutex mutex;
    std::condition_variable stopped;
    bool requested = false;
};

// Claims the watch folder before the worker starts. False when another
// Kovalin runs it. A folder without a lock (missing, not writable) runs as
// before; the worker claims it once it can.
bool ClaimWatchFolderAtStart(const std::string& folder) {
    const FolderClaim claim = ThePlatform().ClaimFolder(folder);
    if (claim.state != FolderClaim::State::HeldElsewhere)
        return true;
    // A later start may succeed.
    ReportLine(Severity::Warning, "the watch folder " + (folder.empty() ? "." : folder) +
                                      " is in use by another Kovalin" + PidText(claim.ownerPid));
    return false;
}

// Until a stop is requested: where the unit has a watchdog, tells it in
// time that the worker still answers, and stays silent once it does not.
void WaitForStop(StopLatch& latch, const SharedState& state) {
    // <condition_variable> brings the clocks; <chrono> itself has a literal
    // that code page 932 lacks.
    const auto nowMs = [] {
        return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now().time_since_epoch())
                                             .count());
    };
    const std::int64_t limitMs = service::WatchdogLimitMs();
    WorkerWatchdog watchdog(limitMs / 2, nowMs());
    std::unique_lock lock(latch.mutex);
    const auto stopped = [&latch] { return latch.requested; };
    if (limitMs == 0) {
        latch.stopped.wait(lock, stopped);
        return;
    }
    while (!latch.stopped.wait_for(lock, std::chrono::milliseconds(limitMs / 4), stopped)) {
        if (watchdog.Answers(state.g_nCycles, state.g_bConverting != 0, nowMs()))
            service::Alive();
    }
}

int Run(const Options& options) {
    SettingsStore store = SettingsOf(options);
    // A second instance on the same file would hand recordings to a second converter.
    const InstanceLock instance = AcquireInstanceLock(store.Path());
    if (!instance.held) {
        ReportLine(Severity::Error,
                   store.Path() + " is in use by another Kovalin" + PidText(instance.ownerPid));
        return 2;
    }
    // A file named on the command line must be there and readable.
    StartSettings start =
        store.LoadAtStart(DefaultSettings(), options.settingsPath.empty() ? SettingsNeed::Optional
                                                                          : SettingsNeed::Required);
    if (!start.failureLine.empty())
        ReportLine(start.mayRun ? Severity::Warning : Severity::Error, start.failureLine);
    if (!start.mayRun)
        return 2;
    SettingsRecord& settings = start.settings;
    NormaliseWatchDir(settings.strWatchDir, ThePlatform().LeadBytes());
    if (!ClaimWatchFolderAtStart(settings.strWatchDir))
        return kExitFolderInUse;

    static StopLatch& latch = *new StopLatch;
    WatchForStopRequest([] {
        std::lock_guard lock(latch.mutex);
        latch.requested = true;
        latch.stopped.notify_all();
    });

    // Every status the worker writes is printed at once, on its thread, when
    // it differs from the one before; the first one also tells systemd that
    // the worker runs.
    SharedState& state = TheSharedState();
    const bool toJournal = IsJournalStream(StandardStream::Output);
    state.g_strStatus.SetListener(
        [shown = std::optional<Status>(), toJournal](const Status& status) mutable {
            if (status == shown)
                return;
            PrintStatus(status, toJournal);
            if (!shown)
                service::Ready(status.text);
            else
                service::Status(status.text);
            shown = status;
        });
    PublishSettings(state, settings);
    if (!StartConvertThread(ThePlatform(), state)) {
        ReportLine(Severity::Error, "cannot start the worker thread");
        return 1;
    }

    WaitForStop(latch, state);
    service::Stopping();
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    LoadDllsFromSystemFolderOnly();
#endif
    const Options options = ParseArguments(argc, argv);
    switch (options.action) {
    case Options::Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Options::Action::Version:
        std::printf("kovalin-headless %s\n", KOVALIN_VERSION);
        return 0;
    case Options::Action::Error:
        ReportLine(Severity::Error, options.error + " (try --help)");
        return 2;
    case Options::Action::Run:
        break;
    }
    return Run(options);
}
