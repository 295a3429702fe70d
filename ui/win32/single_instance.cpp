#include "ui/win32/single_instance.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr DWORD kAnswerMs = 2000;
constexpr LRESULT kShown = 0x4B56;

struct DialogSearch {
    DWORD pid = 0;
    HWND found[8] = {};
    int count = 0;
};

// The top-level dialogs of the lock's holder.
BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == search->pid && std::strcmp(name, "#32770") == 0)
        search->found[search->count++] = window;
    return search->count < 8;
}

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath)
    : m_settingsPath(settingsPath), m_lock(AcquireInstanceLock(settingsPath)),
      m_showMessage(RegisterWindowMessageA(m_lock.channel.c_str())) {}

int SingleInstance::HandOver() const {
    // The running instance may take the foreground, as this start had it.
    AllowSetForegroundWindow(static_cast<DWORD>(m_lock.ownerPid));
    const DWORD start = GetTickCount();
    // It answers once its dialog exists.
    while (m_showMessage != 0 && m_lock.ownerPid > 0 && GetTickCount() - start < kAnswerMs) {
        DialogSearch search;
        search.pid = static_cast<DWORD>(m_lock.ownerPid);
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (int i = 0; i < search.count; ++i) {
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(search.found[i], m_showMessage, 0, 0, SMTO_ABORTIFHUNG,
                                    kAnswerMs, &answer) &&
                answer == kShown)
                return 0;
        }
        Sleep(50);
    }
    // Another session's or user's instance has no PID to tell.
    const std::string pid =
        m_lock.ownerPid > 0 ? " (PID " + std::to_string(m_lock.ownerPid) + ")" : "";
    std::fprintf(stderr, "Kovalin: the Kovalin that runs on %s%s does not answer\n",
                 m_settingsPath.c_str(), pid.c_str());
    return 2;
}

void SingleInstance::Listen(HWND dialog, std::function<void()> onShow) {
    m_onShow = std::move(onShow);
    SetWindowSubclass(dialog, DialogSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK SingleInstance::DialogSubclass(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR self) {
    auto* instance = reinterpret_cast<SingleInstance*>(self);
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, DialogSubclass, id);
    if (message != instance->m_showMessage || instance->m_showMessage == 0)
        return DefSubclassProc(window, message, wParam, lParam);
    instance->m_onShow();
    SetForegroundWindow(window);
    return kShown;
}
