// The Qt face of CWatchDlg: the tray icon and its menu, the settings dialog,
// the refusal message and the browse dialogs. Every event goes to the
// controller; nothing is decided here.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <array>
#include <memory>

#include "app/watch_view.h"
#include "ui/qt/settings_dialog.h"

class CWatchDlg;

class QtWatchView : public IWatchView {
  public:
    QtWatchView();
    ~QtWatchView() override;

    // Routes events to `dlg` from now on (none when null). Call before
    // CWatchDlg::OnInitDialog.
    void Attach(CWatchDlg* dlg);

    void ShowWindow(bool show) override;
    std::string GetBoxText(EditBox box) override;
    void SetBoxText(EditBox box, const std::string& text) override;
    void FocusAndSelectAll(EditBox box) override;
    void AddTrayIcon(TrayIcon icon, const std::string& tip) override;
    void ModifyTrayIcon(TrayIcon icon, const std::string& tip) override;
    void DeleteTrayIcon() override;
    void ShowTrayNotice(const std::string& caption, const std::string& text) override;
    void OpenTrayMenu() override;
    void ShowLimitRefusal() override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    std::optional<std::string> BrowseProgram(const std::string& startPath) override;
    std::optional<std::string> BrowseFolder(const std::string& startPath) override;
    void StartTimer(unsigned periodMs) override;
    void DestroyWindow() override;

    // For tests and the screenshots.
    SettingsDialog& Dialog() { return *m_dialog; }
    QSystemTrayIcon& TrayIconObject() { return m_trayIcon; }
    QMenu& TrayMenu() { return m_menuTray; }
    const QTimer& Timer() const { return m_timer; }
    const QIcon& Icon(TrayIcon icon) const { return m_trayIcons[static_cast<std::size_t>(icon)]; }
    // The last notice as it went to the tray, which keeps no copy.
    struct Notice {
        QString caption, text;
    };
    const Notice& LastNotice() const { return m_lastNotice; }

  private:
    void ConnectDialog();

    CWatchDlg* m_dlg = nullptr;
    std::array<QIcon, kTrayIconCount> m_trayIcons; // indexed by TrayIcon
    std::unique_ptr<SettingsDialog> m_dialog;
    QMenu m_menuTray;
    QSystemTrayIcon m_trayIcon;
    TrayIcon m_shownIcon = TrayIcon::Idle;
    Notice m_lastNotice;
    QTimer m_timer;
};
