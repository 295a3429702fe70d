#include "programs/service_notify.h"

#include "platform/report_line.h"

#ifdef KOVALIN_WITH_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace service {

#ifdef KOVALIN_WITH_SYSTEMD

// NOTIFY_SOCKET stays in the environment, so the converter sees it too; the
// units accept messages from the main process only (NotifyAccess=main).
void Ready(const std::string& status) {
    sd_notify(0, ("READY=1\nSTATUS=" + OneLine(status)).c_str());
}

void Status(const std::string& status) {
    sd_notify(0, ("STATUS=" + OneLine(status)).c_str());
}

void Stopping() {
    sd_notify(0, "STOPPING=1");
}

void Alive() {
    sd_notify(0, "WATCHDOG=1");
}

std::int64_t WatchdogLimitMs() {
    std::uint64_t limit = 0;
    return sd_watchdog_enabled(0, &limit) > 0 ? static_cast<std::int64_t>(limit / 1000) : 0;
}

#else

void Ready(const std::string&) {}
void Status(const std::string&) {}
void Stopping() {}
void Alive() {}
std::int64_t WatchdogLimitMs() { return 0; }

#endif

} // namespace service
