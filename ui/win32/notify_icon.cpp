#include "ui/win32/notify_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/file_name.h"
#include "core/status.h"
#include "platform/lead_bytes.h"

// The 88-byte record ends with the tip: kTrayTipBytes and the terminator.
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + kTrayTipBytes + 1);

namespace {

// Copies the text into a fixed field, cut on a character boundary so that
// the terminator fits.
void CopyCut(char* field, std::size_t room, const std::string& text) {
    const std::string cut = CutAtCharBoundary(text, room - 1, SystemLeadBytes());
    std::memset(field, 0, room);
    std::memcpy(field, cut.data(), cut.size());
}

} // namespace

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

void NotifyIcon::ShowBalloon(const std::string& caption, const std::string& text) {
    if (!m_initialised)
        return;
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = sizeof balloon;
    balloon.hWnd = m_nid.hWnd;
    balloon.uID = m_nid.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    CopyCut(balloon.szInfoTitle, sizeof balloon.szInfoTitle, caption);
    CopyCut(balloon.szInfo, sizeof balloon.szInfo, text);
    Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

void NotifyIcon::SetTip(const std::string& tip) {
    // Cut never inside a double-byte character.
    CopyCut(m_nid.szTip, kTrayTipBytes + 1, tip);
}
