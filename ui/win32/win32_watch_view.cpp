#include "ui/win32/win32_watch_view.h"

#include <array>
#include <vector>

#include "app/watch_dlg.h"
#include "core/file_name.h"
#include "core/texts.h"
#include "platform/executable_dir.h"
#include "res/resource.h"
#include "ui/win32/browse_dialogs.h"

// The controller names the boxes by the template's identifiers, which
// SettingsDialogTemplateTest holds to resource.h; the tray pictures follow
// each other from IDR_MAINFRAME in TrayIcon order.
static_assert(static_cast<int>(TrayIcon::Idle) == 0);
static_assert(IDI_ANIM1 == IDR_MAINFRAME + static_cast<int>(TrayIcon::Anim1));
static_assert(IDI_ANIM2 == IDR_MAINFRAME + static_cast<int>(TrayIcon::Anim2));
static_assert(IDI_ANIM3 == IDR_MAINFRAME + static_cast<int>(TrayIcon::Anim3));

namespace {

// The identifier of the tick's window timer.
constexpr UINT_PTR kTickTimerId = 1;

HICON LoadSmallIcon(HINSTANCE instance, int id) {
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

// The tray pictures at 16x16, in TrayIcon order.
std::array<HICON, kTrayIconCount> LoadTrayIcons(HINSTANCE instance) {
    std::array<HICON, kTrayIconCount> icons;
    for (std::size_t i = 0; i < icons.size(); ++i)
        icons[i] = LoadSmallIcon(instance, IDR_MAINFRAME + static_cast<int>(i));
    return icons;
}

HMENU BuildTrayMenu() {
    const HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, ID_TRAY_SETTINGS, texts::kMenuSettings);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, ID_TRAY_EXIT, texts::kMenuExit);
    return menu;
}

std::string LoadText(HINSTANCE instance, UINT id) {
    char text[256];
    const int length = LoadStringA(instance, id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

void CentreOnScreen(HWND window) {
    RECT work, frame;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TrayMouse MouseOf(LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        return TrayMouse::LeftButtonDown;
    case WM_RBUTTONDOWN:
        return TrayMouse::RightButtonDown;
    default:
        return TrayMouse::Other;
    }
}

} // namespace

Win32WatchView::Win32WatchView(HINSTANCE instance)
    : m_hInstance(instance), m_hIcon(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hTrayIcons(LoadTrayIcons(instance)), m_menuTray(BuildTrayMenu()),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

Win32WatchView::~Win32WatchView() {
    // The icons stay loaded until the process ends.
    DestroyMenu(m_menuTray);
}

bool Win32WatchView::Create(CWatchDlg& controller) {
    m_controller = &controller;
    return CreateDialogParamA(m_hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CALLBACK Win32WatchView::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        auto* view = reinterpret_cast<Win32WatchView*>(lParam);
        view->m_hWnd = window;
        view->OnInitDialog();
        return TRUE;
    }
    auto* view = reinterpret_cast<Win32WatchView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return view ? view->OnMessage(message, wParam, lParam) : FALSE;
}

void Win32WatchView::OnInitDialog() {
    CentreOnScreen(m_hWnd);
    // The template asks for a taskbar button; the tray icon is the program's
    // face.
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE,
                      GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE) & ~WS_EX_APPWINDOW);
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_controller->OnInitDialog();
}

INT_PTR Win32WatchView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        m_controller->OnTimer();
        return TRUE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    case NotifyIcon::kCallbackMessage:
        m_controller->OnTrayNotify(static_cast<unsigned>(wParam), MouseOf(lParam));
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT:
        m_controller->OnPaint();
        return FALSE; // the dialog paints itself
    case WM_WINDOWPOSCHANGING:
        // Nothing puts the dialog on screen before the controller calls it up.
        if (!m_controller->IsVisible())
            reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_ENDSESSION:
        // Windows may end the process as soon as this has been answered.
        if (wParam)
            m_controller->OnEndSession();
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0); // the main window is gone: the message loop ends
        return FALSE;
    default:
        if (message == m_taskbarCreated && m_taskbarCreated != 0) {
            m_nid.Add(); // the shell restarted: the icon is added again
            return TRUE;
        }
        return FALSE;
    }
}

bool Win32WatchView::OnCommand(WORD id) {
    switch (id) {
    case ID_TRAY_SETTINGS:
        m_controller->OnTraySettings();
        return true;
    case ID_TRAY_EXIT:
        m_controller->OnTrayExit();
        return true;
    case IDC_APPLY:
        m_controller->OnApply();
        return true;
    case IDC_DISCARD:
        m_controller->OnDiscard();
        return true;
    case IDC_BROWSE_PROGRAM:
        m_controller->OnBrowseProgram();
        return true;
    case IDC_BROWSE_DIR:
        m_controller->OnBrowseDir();
        return true;
    case IDOK: // Enter
        m_controller->OnOK();
        return true;
    case IDCANCEL: // Esc and close requests
        m_controller->OnCancel();
        return true;
    default:
        return false;
    }
}

void Win32WatchView::ShowWindow(bool show) {
    ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
}

std::string Win32WatchView::GetBoxText(EditBox box) {
    const HWND control = GetDlgItem(m_hWnd, static_cast<int>(box));
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1);
    const int length = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), length > 0 ? length : 0);
}

void Win32WatchView::SetBoxText(EditBox box, const std::string& text) {
    SetDlgItemTextA(m_hWnd, static_cast<int>(box), text.c_str());
}

void Win32WatchView::FocusAndSelectAll(EditBox box) {
    const HWND control = GetDlgItem(m_hWnd, static_cast<int>(box));
    SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    SendMessageA(control, EM_SETSEL, 0, -1);
}

void Win32WatchView::AddTrayIcon(TrayIcon icon, const std::string& tip) {
    m_nid.Init(m_hWnd, CWatchDlg::kTrayIconId, IconFor(icon), tip);
    m_nid.Add();
}

void Win32WatchView::ModifyTrayIcon(TrayIcon icon, const std::string& tip) {
    m_nid.Modify(IconFor(icon), tip);
}

void Win32WatchView::ShowTrayNotice(const std::string& caption, const std::string& text) {
    m_nid.ShowBalloon(caption, text);
}

void Win32WatchView::DeleteTrayIcon() {
    m_nid.Delete();
}

void Win32WatchView::OpenTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the window in front, the menu would stay open when the user
    // clicks elsewhere; the WM_NULL lets it close properly.
    SetForegroundWindow(m_hWnd);
    TrackPopupMenu(m_menuTray, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void Win32WatchView::ShowLimitRefusal() {
    MessageBoxA(m_hWnd, LoadText(m_hInstance, IDS_PARSE_UINT).c_str(), ExecutableTitle().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

void Win32WatchView::ShowMessage(const std::string& text, MessageIcon icon) {
    // In front of other windows: the dialog may be hidden.
    MessageBoxA(m_hWnd, text.c_str(), ExecutableTitle().c_str(),
                MB_OK | MB_SETFOREGROUND |
                    (icon == MessageIcon::Error ? MB_ICONHAND : MB_ICONEXCLAMATION));
}

std::optional<std::string> Win32WatchView::BrowseProgram(const std::string& startPath) {
    return BrowseForProgram(m_hWnd, startPath);
}

std::optional<std::string> Win32WatchView::BrowseFolder(const std::string& startPath) {
    return BrowseForFolder(m_hWnd, startPath);
}

void Win32WatchView::StartTimer(unsigned periodMs) {
    SetTimer(m_hWnd, kTickTimerId, periodMs, nullptr);
}

void Win32WatchView::DestroyWindow() {
    KillTimer(m_hWnd, kTickTimerId);
    ::DestroyWindow(m_hWnd);
}
