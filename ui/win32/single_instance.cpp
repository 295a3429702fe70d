#include "ui/single_instance.h"

#include <windows.h>

#include <utility>

#include "platform/report_line.h"

namespace {

constexpr DWORD kAnswerMs = 2000;
// The request to show the dialog, and the answer that it was shown.
constexpr UINT kShowMessage = WM_APP + 1;
constexpr LRESULT kShown = 0x4B56;
// A message-only window of this class, named after the lock's channel,
// carries the requests.
constexpr char kListenerClass[] = "KovalinInstance";

} // namespace

struct SingleInstance::Listener {
    std::function<void()> onShow;
    HWND window = nullptr;

    ~Listener() {
        if (window)
            DestroyWindow(window);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Listener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != kShowMessage || !self)
            return DefWindowProcA(window, message, wParam, lParam);
        self->onShow();
        return kShown;
    }
};

SingleInstance::SingleInstance(const std::string& settingsPath)
    : m_settingsPath(settingsPath), m_lock(AcquireInstanceLock(settingsPath)) {}

SingleInstance::~SingleInstance() = default;

int SingleInstance::HandOver() const {
    // The running instance may take the foreground, as this start had it.
    AllowSetForegroundWindow(static_cast<DWORD>(m_lock.ownerPid));
    const DWORD start = GetTickCount();
    // It answers once its dialog exists. Without its PID it cannot be told
    // whether it is still starting.
    while (m_lock.ownerPid > 0 && GetTickCount() - start < kAnswerMs) {
        const HWND listener =
            FindWindowExA(HWND_MESSAGE, nullptr, kListenerClass, m_lock.channel.c_str());
        DWORD_PTR answer = 0;
        if (listener &&
            SendMessageTimeoutA(listener, kShowMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                                &answer) &&
            answer == kShown)
            return 0;
        Sleep(50);
    }
    ReportLine(Severity::Error, "the Kovalin that runs on " + m_settingsPath +
                                    PidText(m_lock.ownerPid) + " does not answer");
    return 2;
}

void SingleInstance::Listen(std::function<void()> onShow) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Listener::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kListenerClass;
    RegisterClassA(&windowClass);
    m_listener = std::make_unique<Listener>();
    m_listener->onShow = std::move(onShow);
    m_listener->window = CreateWindowExA(0, kListenerClass, m_lock.channel.c_str(), 0, 0, 0, 0, 0,
                                         HWND_MESSAGE, nullptr, instance, nullptr);
    if (m_listener->window)
        SetWindowLongPtrA(m_listener->window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(m_listener.get()));
}
