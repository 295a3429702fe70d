// The notification-area icon: the 88-byte NOTIFYICONDATAA record, kept for
// the life of the window and sent whole with every call.
#pragma once

#include <windows.h>

#include <string>

class NotifyIcon {
  public:
    // The message the icon sends the window its mouse events with.
    static constexpr UINT kCallbackMessage = WM_APP + 100;

    // Fills the record: window, size 88, id, flags 7, callback, icon, tip.
    void Init(HWND window, UINT id, HICON icon, const std::string& tip);
    bool Add();
    void Modify(HICON icon, const std::string& tip);
    void Delete();
    // A balloon at the icon. It goes in a full-size record of its own, used
    // for this call only; the icon keeps its 88-byte record.
    void ShowBalloon(const std::string& caption, const std::string& text);

  private:
    void SetTip(const std::string& tip);

    NOTIFYICONDATAA m_nid{};
    bool m_initialised = false;
};
