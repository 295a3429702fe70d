// Drives a running Kovalin.exe as the shell and a user would: the tray
// icon's callback message, keys in the popup menu, texts in the boxes and
// button presses. One command per run; exit code 0 when it succeeded.
//   wait-hidden | wait-shown     the settings dialog's state
//   menu N                       opens the tray menu, picks its N-th entry
//   get ID                       prints the text of control ID
//   set ID TEXT                  sets the text of control ID
//   click ID                     presses button ID
//   key ID VK                    presses key VK in control ID
//   close                        asks the dialog to close, as its frame would
//   sync                         waits until the dialog has handled what was
//                                posted to it before
//   end-session                  tells the program that Windows logs off
//   accept-owned                 presses OK in the dialog that the settings
//                                dialog has opened (a message or browse box)
//   owned-text                   prints that dialog's caption, ": " and the
//                                texts of its labels
//   rect                         prints the dialog's left top right bottom
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kTrayNotify = WM_APP + 100;

// 30 s, times KOVALIN_SLOW where the programs run emulated.
DWORD PatienceMs() {
    const char* slow = std::getenv("KOVALIN_SLOW");
    const int factor = slow ? std::atoi(slow) : 1;
    return 30000u * static_cast<DWORD>(factor > 1 ? factor : 1);
}

bool WaitUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    const DWORD patience = PatienceMs();
    while (!done()) {
        if (GetTickCount() - start > patience)
            return false;
        Sleep(20);
    }
    return true;
}

// The settings dialog: titled "Kovalin" like the refusal message, but owned
// by no window.
HWND FindDialogNow() {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Kovalin")) != nullptr) {
        if (!GetWindow(window, GW_OWNER))
            return window;
    }
    return nullptr;
}

HWND FindDialog() {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindDialogNow()) != nullptr; });
    return dialog;
}

HWND VisibleMenu() {
    const HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Opens the popup menu with a right button press on the icon, moves down to
// the entry (separators are skipped) and chooses it.
bool PickMenuEntry(HWND dialog, int entry) {
    PostMessageA(dialog, kTrayNotify, 1, WM_RBUTTONDOWN);
    if (!WaitUntil([] { return VisibleMenu() != nullptr; }))
        return false;
    const HWND menu = VisibleMenu();
    for (int i = 0; i < entry; ++i)
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitUntil([] { return VisibleMenu() == nullptr; });
}

// Posts a selection change to the folder box and waits until it has been
// made: everything posted before it has been handled by then. Twice, since
// handling a message may post another (WM_CLOSE posts IDCANCEL). The box
// must hold at least 4 characters.
bool Sync(HWND dialog) {
    const HWND box = GetDlgItem(dialog, 1000);
    for (int mark = 3; mark <= 4; ++mark) {
        PostMessageA(box, EM_SETSEL, mark, mark);
        if (!WaitUntil(
                [&] { return SendMessageA(box, EM_GETSEL, 0, 0) == MAKELRESULT(mark, mark); }))
            return false;
    }
    return true;
}

struct OwnedSearch {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK CheckOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog window owned by the settings dialog.
HWND OwnedDialog(HWND owner) {
    OwnedSearch search{owner};
    EnumWindows(CheckOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK AppendLabelText(HWND control, LPARAM param) {
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    char text[1024] = {};
    if (_stricmp(name, "Static") == 0 && GetWindowTextA(control, text, sizeof text) > 0)
        *reinterpret_cast<std::string*>(param) += text;
    return TRUE;
}

bool PrintOwnedText(HWND owner) {
    HWND owned = nullptr;
    if (!WaitUntil([&] { return (owned = OwnedDialog(owner)) != nullptr; }))
        return false;
    char caption[256] = {};
    GetWindowTextA(owned, caption, sizeof caption);
    std::string text = std::string(caption) + ": ";
    EnumChildWindows(owned, AppendLabelText, reinterpret_cast<LPARAM>(&text));
    std::fputs(text.c_str(), stdout);
    return true;
}

bool AcceptOwnedDialog(HWND owner) {
    HWND owned = nullptr;
    if (!WaitUntil([&] { return (owned = OwnedDialog(owner)) != nullptr; }))
        return false;
    PostMessageA(owned, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntil([&] { return !IsWindow(owned) || !IsWindowVisible(owned); });
}

int Run(const std::vector<std::string>& args) {
    const HWND dialog = FindDialog();
    if (!dialog || args.empty())
        return 2;
    const std::string& command = args[0];
    if (command == "wait-hidden")
        return WaitUntil([&] { return !IsWindowVisible(dialog); }) ? 0 : 1;
    if (command == "wait-shown")
        return WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }) ? 0 : 1;
    if (command == "menu" && args.size() == 2)
        return PickMenuEntry(dialog, std::atoi(args[1].c_str())) ? 0 : 1;
    if (command == "get" && args.size() == 2) {
        char text[4096] = {};
        GetDlgItemTextA(dialog, std::atoi(args[1].c_str()), text, sizeof text);
        std::fputs(text, stdout);
        return 0;
    }
    if (command == "set" && args.size() == 3)
        return SetDlgItemTextA(dialog, std::atoi(args[1].c_str()), args[2].c_str()) ? 0 : 1;
    if (command == "click" && args.size() == 2) {
        const int id = std::atoi(args[1].c_str());
        return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)))
                   ? 0
                   : 1;
    }
    if (command == "key" && args.size() == 3) {
        const HWND control = GetDlgItem(dialog, std::atoi(args[1].c_str()));
        const WPARAM key = std::atoi(args[2].c_str());
        return PostMessageA(control, WM_KEYDOWN, key, 1) && PostMessageA(control, WM_KEYUP, key, 1)
                   ? 0
                   : 1;
    }
    if (command == "close")
        return PostMessageA(dialog, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "sync")
        return Sync(dialog) ? 0 : 1;
    if (command == "end-session") {
        SendMessageA(dialog, WM_QUERYENDSESSION, 0, 0);
        SendMessageA(dialog, WM_ENDSESSION, TRUE, 0);
        return 0;
    }
    if (command == "owned-text")
        return PrintOwnedText(dialog) ? 0 : 1;
    if (command == "accept-owned")
        return AcceptOwnedDialog(dialog) ? 0 : 1;
    if (command == "rect") {
        RECT r;
        GetWindowRect(dialog, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
