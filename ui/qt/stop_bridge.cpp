#include "ui/qt/stop_bridge.h"

#include <QMetaObject>
#include <QObject>

#include "app/watch_dlg.h"

bool StopBridge::Watch(const Watcher& watcher) {
    return watcher([this] { Request(); });
}

void StopBridge::Run(QObject* context, CWatchDlg* dlg) {
    std::lock_guard lock(m_mutex);
    m_context = context;
    m_dlg = dlg;
    if (m_context && m_dlg && m_requested)
        Post();
}

void StopBridge::Request() {
    std::lock_guard lock(m_mutex);
    m_requested = true;
    if (m_context && m_dlg)
        Post();
}

void StopBridge::Post() {
    // Called with the mutex held: Run(nullptr, nullptr), on the UI thread,
    // waits for it, so the context is alive here.
    CWatchDlg* const dlg = m_dlg;
    QMetaObject::invokeMethod(
        m_context,
        [this, dlg] {
            // On the UI thread, which alone calls Run: the controller is
            // still the one posted for, or it is gone.
            std::unique_lock lock(m_mutex);
            if (m_dlg != dlg)
                return;
            lock.unlock();
            dlg->OnStopRequest();
        },
        Qt::QueuedConnection);
}

StopBridge& TheStopBridge() {
    static StopBridge* const bridge = new StopBridge;
    return *bridge;
}
