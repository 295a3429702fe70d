// kovalin: the tray program for Linux desktops. CWatchApp builds the
// controller over the Qt view and runs the event loop until "終了".
#include <QApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTranslator>

#include "app/watch_dlg.h"
#include "platform/report_line.h"
#include "platform/stop_request.h"
#include "programs/process_environment.h"
#include "ui/qt/qt_watch_view.h"
#include "ui/qt/stop_bridge.h"
#include "ui/single_instance.h"

class CWatchApp {
  public:
    // Runs the whole program; returns when the controller has been destroyed,
    // that is after the tray icon is gone and the settings are written.
    int InitInstance(int argc, char** argv);
};

int CWatchApp::InitInstance(int argc, char** argv) {
    // Set up before any thread starts, so that the signals reach it alone.
    // Without it SIGTERM and Ctrl+C would end the program unsaved.
    StopBridge& stop = TheStopBridge();
    if (!stop.Watch(WatchForStopRequest)) {
        ReportLine(Severity::Error, "cannot watch for SIGINT and SIGTERM, which would then end it "
                                    "without saving the settings: not started");
        return 1;
    }

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
