// CWatchDlg: the controller. It owns the settings record, starts the worker,
// runs the 700 ms tick and holds every rule of the tray icon, the settings
// dialog and the browse dialogs. A view (app/watch_view.h) draws and forwards
// the events to the On... handlers below, as a window system would.
#pragma once

#include <cstdint>
#include <string>

#include "app/watch_dlg_environment.h"
#include "app/watch_view.h"

struct SharedState;

class CWatchDlg {
  public:
    static constexpr unsigned kTickMs = 700;
    static constexpr unsigned kTrayIconId = 1;

    // Defaults, then the executable's folder, then the settings file there.
    CWatchDlg(IWatchView& view, WatchDlgEnvironment env);
    // Removes the tray icon and writes the settings file.
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
    void OnTrayExit();
    // The desktop session is ending and may end the process without another
    // word: the settings are written now, as they stand.
    void OnEndSession();
    // The window is being painted: it stays hidden unless it was called up.
    void OnPaint();

    // True while the settings dialog is meant to be on screen. A view never
    // puts the dialog on screen while this is false.
    bool IsVisible() const { return m_bVisible != 0; }

    // The settings record, as it stands.
    const std::string& WatchDir() const { return m_strWatchDir; }
    const std::string& Program() const { return m_strProgram; }
    std::uint32_t LimitMB() const { return m_nLimitMB; }
    std::string SettingsPath() const;
    // The settings file that a controller over `env` reads and writes.
    static std::string SettingsPathOf(const WatchDlgEnvironment& env);

  private:
    // Moves text between the boxes and the members; false when the limit
    // text was refused.
    bool UpdateData(bool saveAndValidate);
    void NormaliseAndPublish();

    IWatchView& m_view;
    WatchDlgEnvironment m_env;
    SharedState& m_state;

    std::string m_strExeDir;
    TrayIcon m_trayIcon = TrayIcon::Idle;
    std::int32_t m_bVisible = 0;
    bool m_bDestroyed = false; // after OnTrayExit the view is gone

    std::string m_strWatchDir;
    std::string m_strStatus;
    std::string m_strProgram;
    std::uint32_t m_nLimitMB = 0;
};
