// kovalin: the tray program for Linux desktops. CWatchApp builds the
// controller over the Qt view and runs the event loop until "終了".
#include <QApplication>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QSessionManager>
#include <QTranslator>

#include <mutex>

#include "app/watch_dlg.h"
#include "platform/stop_request.h"
#include "ui/qt/qt_watch_view.h"
#include "ui/qt/single_instance.h"

namespace {

// Hands a request to end the program (SIGTERM, Ctrl+C), which arrives on
// a thread of its own, to the UI thread as the tray menu's "終了".
class StopBridge {
  public:
    StopBridge() {
        WatchForStopRequest([this] { Request(); });
    }

    // While a controller runs, a request ends it; otherwise it is remembered.
    void Run(QApplication* app, CWatchDlg* dlg) {
        std::lock_guard lock(m_mutex);
        m_app = app;
        m_dlg = dlg;
        if (m_app && m_requested)
            Post();
    }

  private:
    void Request() {
        std::lock_guard lock(m_mutex);
        m_requested = true;
        if (m_app)
            Post();
    }

    void Post() {
        QMetaObject::invokeMethod(
            m_app,
            [this] {
                // On the UI thread, which alone changes m_dlg after start.
                if (m_dlg)
                    m_dlg->OnTrayExit();
            },
            Qt::QueuedConnection);
    }

    std::mutex m_mutex;
    QApplication* m_app = nullptr;
    CWatchDlg* m_dlg = nullptr;
    bool m_requested = false;
};

} // namespace

class CWatchApp {
  public:
    // Runs the whole program; returns when the controller has been destroyed,
    // that is after the tray icon is gone and the settings are written.
    int InitInstance(int argc, char** argv);
};

int CWatchApp::InitInstance(int argc, char** argv) {
    // Set up before any thread starts, so that the signals reach it alone.
    StopBridge stop;

    QApplication app(argc, argv);
    // Hiding the dialog must not end the program.
    app.setQuitOnLastWindowClosed(false);
    // The interface is Japanese: Qt's own buttons too, where Qt's
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // A second start on the same settings file shows the running one's dialog.
    const WatchDlgEnvironment env = ProcessEnvironment();
    SingleInstance instance(CWatchDlg::SettingsPathOf(env));
    if (!instance.IsFirst())
        return instance.HandOver();

    QtWatchView view;
    {
        CWatchDlg dlg(view, env);
        view.Attach(&dlg);
        stop.Run(&app, &dlg);
        // A session manager may end the process after this without a signal.
        QObject::connect(&app, &QGuiApplication::commitDataRequest,
                         [&dlg](QSessionManager&) { dlg.OnEndSession(); });
        dlg.OnInitDialog();
        instance.Listen([&dlg] { dlg.OnTraySettings(); });
        QApplication::exec();
        stop.Run(nullptr, nullptr);
        view.Attach(nullptr);
    }
    return 0;
}

int main(int argc, char** argv) {
    CWatchApp theApp;
    return theApp.InitInstance(argc, argv);
}
