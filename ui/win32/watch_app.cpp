// Kovalin.exe: the application object runs the controller dialog until the
// tray menu's "終了" destroys it.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/watch_dlg.h"
#include "app/watch_dlg_environment.h"
#include "ui/win32/win32_watch_view.h"

namespace {

class CWatchApp {
  public:
    // Runs the whole program; false, as there is nothing to run after it.
    bool InitInstance(HINSTANCE instance);
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
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder browser is a shell (COM) object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    Win32WatchView view(instance);
    {
        CWatchDlg dlg(view, ProcessEnvironment());
        if (view.Create(dlg))
            RunMessageLoop(view.Window());
    } // the controller's destructor removes the icon and writes the settings

    if (SUCCEEDED(com))
        CoUninitialize();
    return false;
}

CWatchApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    theApp.InitInstance(instance);
    return 0;
}
