// CWatchDlg: the controller. It owns the settings record, starts the worker,
// runs the 700 ms tick and holds every rule of the tray icon, the settings
// dialog and the browse dialogs. A view (app/watch_view.h) draws and forwards
// the events to the On... handlers below, as a window system would.
#pragma once

#include <cstdint>
#include <string>

#include "app/watch_dlg_environment.h"
#include "app/watch_view.h"
#include "settings/settings_store.h"

struct SharedState;

class CWatchDlg {
  public:
    static constexpr unsigned kTickMs = 700;
    static constexpr unsigned kTrayIconId = 1;

    // Defaults, then the settings file of the settings folder. Without that
    // folder no file is read or written (and the report line says so).
    CWatchDlg(IWatchView& view, WatchDlgEnvironment env);
    // Removes the tray icon and writes the settings file, unless the way out
    // (OnTrayExit, OnStopRequest) has written it already.
    ~CWatchDlg();

    CWatchDlg(const CWatchDlg&) = delete;
    CWatchDlg& operator=(const CWatchDlg&) = delete;

    // The window exists: hide it, add the tray icon, publish, start the
    // worker and the tick.
    void OnInitDialog();
    void OnTimer();
    void OnTrayNotify(unsigned iconId, TrayMouse mouse);
    void OnTraySettings();
    void OnApply();
    void OnDiscard();
    void OnOK() {}
    void OnCancel() {}
    void OnBrowseProgram();
    void OnBrowseDir();
    // The menu's "終了": writes the settings; when that fails, a message
    // naming the file and the reason is shown before the program ends.
    void OnTrayExit();
    // A request of the system to end (SIGINT, SIGTERM): writes the settings,
    // a failure going to the report line, and ends. Every request ends the
    // program; one that comes while it is ending changes nothing.
    void OnStopRequest();
    // The desktop session is ending and may end the process without another
    // word: the settings are written now, as they stand; a failure goes to
    // the report line.
    void OnEndSession();
    // The window is being painted: it stays hidden unless it was called up.
    void OnPaint();

    // True while the settings dialog is meant to be on screen. A view never
    // puts the dialog on screen while this is false.
    bool IsVisible() const { return m_bVisible != 0; }

    // The settings record, as it stands.
    const SettingsRecord& Settings() const { return m_settings; }
    const std::string& SettingsPath() const { return m_store.Path(); }
    // The settings file that a controller over `env` reads and writes.
    static std::string SettingsPathOf(const WatchDlgEnvironment& env);

  private:
    // Moves text between the boxes and the members. Taking them, a box that
    // is refused (a line break, a limit that is no number) keeps its member
    // while the others are taken; false when one was refused.
    bool UpdateData(bool saveAndValidate);
    // How "設定" and "キャンセル" end: the boxes show the members again and
    // the dialog hides.
    void RefillAndHide();
    void NormaliseAndPublish();
    void Report(Severity severity, const std::string& line);
    WriteOutcome Save();
    void SaveOrReport();
    // Takes the view away and ends the event loop, once.
    void End();

    IWatchView& m_view;
    WatchDlgEnvironment m_env;
    SharedState& m_state;

    SettingsStore m_store;
    TrayIcon m_trayIcon = TrayIcon::Idle;
    std::int32_t m_bVisible = 0;
    bool m_bDestroyed = false; // after End the view is gone
    bool m_bEnding = false;    // the settings have been written on the way out

    SettingsRecord m_settings;
    std::string m_strStatus; // the status box's text as "設定" took it; never stored
};
