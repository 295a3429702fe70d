#include "ui/win32/notify_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "app/tray_tip.h"
#include "platform/win32/lead_bytes.h"

void NotifyIcon::Init(HWND window, UINT id, HICON icon, const std::string& tip) {
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = window;
    m_nid.uID = id;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = kCallbackMessage;
    m_nid.hIcon = icon;
    SetTip(tip);
    m_initialised = true;
}

bool NotifyIcon::Add() {
    return m_initialised && Shell_NotifyIconA(NIM_ADD, &m_nid);
}

void NotifyIcon::Modify(HICON icon, const std::string& tip) {
    if (!m_initialised)
        return;
    m_nid.hIcon = icon;
    SetTip(tip);
    Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

void NotifyIcon::Delete() {
    if (m_initialised)
        Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_initialised = false;
}

void NotifyIcon::SetTip(const std::string& tip) {
    // The 88-byte record has room for 63 bytes and the terminator: the tip
    // is cut there, never inside a double-byte character.
    const std::string cut = CutAtCharBoundary(tip, kTrayTipBytes, IsAnsiLeadByte);
    const std::size_t length = std::min(cut.size(), sizeof m_nid.szTip - 1);
    std::memset(m_nid.szTip, 0, sizeof m_nid.szTip);
    std::memcpy(m_nid.szTip, cut.data(), length);
}
