// Hands the system's requests to end the tray program (SIGINT, SIGTERM),
// which arrive on a thread of their own, to the UI thread's controller as
// CWatchDlg::OnStopRequest. The watching thread outlives everything, so the
// bridge is never destroyed: use TheStopBridge().
#pragma once

#include <functional>
#include <mutex>

class CWatchDlg;
class QObject;

class StopBridge {
  public:
    // How requests are watched for: WatchForStopRequest, or a test's own.
    using Watcher = std::function<bool(std::function<void()>)>;

    // Starts watching; false when the watcher could not be set up (the
    // program must then not run, as a request would end it unsaved).
    bool Watch(const Watcher& watcher);

    // While a controller runs, a request ends it on the thread of `context`
    // (the application object); one that came before is handed on now.
    // Run(nullptr, nullptr) when the controller is about to go: requests
    // after that change nothing, as the controller's end writes the settings.
    void Run(QObject* context, CWatchDlg* dlg);

    // A request to end; from any thread, any number of times.
    void Request();

  private:
    void Post();

    std::mutex m_mutex;
    QObject* m_context = nullptr;
    CWatchDlg* m_dlg = nullptr;
    bool m_requested = false;
};

// The process's bridge, never destroyed.
StopBridge& TheStopBridge();
