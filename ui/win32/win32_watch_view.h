// The Win32 view of CWatchDlg: the settings dialog built from the template
// IDD_MAIN, the tray icon and its popup menu, the refusal message and the two
// browse dialogs. It draws and forwards window messages to the controller;
// every rule lives in CWatchDlg.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/watch_view.h"
#include "ui/win32/notify_icon.h"

class CWatchDlg;

class Win32WatchView final : public IWatchView {
  public:
    // Loads the icons and builds the popup menu.
    explicit Win32WatchView(HINSTANCE instance);
    ~Win32WatchView() override;
    Win32WatchView(const Win32WatchView&) = delete;
    Win32WatchView& operator=(const Win32WatchView&) = delete;

    // Creates the dialog, hidden, and lets the controller initialise it.
    // False when the window could not be created.
    bool Create(CWatchDlg& controller);
    HWND Window() const { return m_hWnd; }

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

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    bool OnCommand(WORD id);
    HICON IconFor(TrayIcon icon) const { return m_hTrayIcons[static_cast<std::size_t>(icon)]; }

    HINSTANCE m_hInstance;
    CWatchDlg* m_controller = nullptr;
    HWND m_hWnd = nullptr;
    HICON m_hIcon; // IDR_MAINFRAME at the system's icon size: the window's icon
    std::array<HICON, kTrayIconCount> m_hTrayIcons; // IDR_MAINFRAME to IDI_ANIM3 at 16x16
    HMENU m_menuTray;
    NotifyIcon m_nid;
    UINT m_taskbarCreated; // the shell's "TaskbarCreated" message
};
