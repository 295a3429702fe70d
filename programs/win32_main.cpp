// Kovalin.exe: the application object runs the controller dialog until the
// tray menu's "終了" destroys it.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/watch_dlg.h"
#include "platform/win32/dll_search.h"
#include "programs/process_environment.h"
#include "ui/single_instance.h"
#include "ui/win32/win32_watch_view.h"

namespace {

class CWatchApp {
  public:
    // Runs the whole program; false, as there is nothing to run after it.
    bool InitInstance(HINSTANCE instance);

    int m_exitCode = 0;
};

// The dialog's message loop: Tab, Enter and Esc go through the dialog manager.
void RunMessageLoop(HWND dialog) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool CWatchApp::InitInstance(HINSTANCE instance) {
    // A second start on the same settings file shows the running one's dialog.
    const WatchDlgEnvironment env = ProcessEnvironment();
    SingleInstance single(CWatchDlg::SettingsPathOf(env));
    if (!single.IsFirst()) {
        m_exitCode = single.HandOver();
        return false;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder browser is a shell (COM) object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    Win32WatchView view(instance);
    {
        CWatchDlg dlg(view, env);
        if (view.Create(dlg)) {
            single.Listen([&dlg, &view] {
                dlg.OnTraySettings();
                SetForegroundWindow(view.Window());
            });
            RunMessageLoop(view.Window());
        }
    } // the controller's destructor removes the icon and writes the settings

    if (SUCCEEDED(com))
        CoUninitialize();
    return false;
}

CWatchApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadDllsFromSystemFolderOnly();
    theApp.InitInstance(instance);
    return theApp.m_exitCode;
}
