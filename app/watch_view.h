// The seam between the controller CWatchDlg and a window system. A view draws
// the tray icon, its popup menu, the settings dialog, the refusal message and
// the two browse dialogs, and forwards every event to CWatchDlg; it decides
// nothing itself. Texts are byte strings in the program's encoding (UTF-8 on
// POSIX, the ANSI code page on Windows).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The tray pictures, numbered in the order of their icon resources
// (IDR_MAINFRAME, IDI_ANIM1 to IDI_ANIM3): a view keeps its pictures in an
// array that the value indexes.
enum class TrayIcon {
    Idle,  // no converter runs
    Anim1, // the animation's frames, while a converter runs
    Anim2,
    Anim3,
};
inline constexpr std::size_t kTrayIconCount = 4;

// The dialog's edit boxes; the values are the control identifiers.
enum class EditBox {
    WatchDir = 1000, // IDC_WATCH_DIR
    Program = 1001,  // IDC_PROGRAM
    Limit = 1003,    // IDC_LIMIT
    Status = 1008,   // IDC_STATUS
};

// What the mouse did on the tray icon.
enum class TrayMouse { LeftButtonDown, RightButtonDown, Other };

// The icon of a message: a warning about what the user gave (the
// exclamation mark), or a failure of the program (the stop sign).
enum class MessageIcon { Warning, Error };

class IWatchView {
  public:
    virtual ~IWatchView() = default;

    // Puts the settings dialog on screen or takes it off.
    virtual void ShowWindow(bool show) = 0;

    virtual std::string GetBoxText(EditBox box) = 0;
    virtual void SetBoxText(EditBox box, const std::string& text) = 0;
    // Gives the box the keyboard focus and selects its whole text.
    virtual void FocusAndSelectAll(EditBox box) = 0;

    // The notification-area icon. The tip is the whole status; a view whose
    // platform has less room cuts it there, on a character boundary.
    virtual void AddTrayIcon(TrayIcon icon, const std::string& tip) = 0;
    virtual void ModifyTrayIcon(TrayIcon icon, const std::string& tip) = 0;
    virtual void DeleteTrayIcon() = 0;
    // A passing notice at the tray icon (a balloon or a desktop
    // notification) with a warning sign; it asks for no answer.
    virtual void ShowTrayNotice(const std::string& caption, const std::string& text) = 0;

    // Opens the popup menu (texts::kMenuSettings, a separator,
    // texts::kMenuExit) at the mouse cursor. Its commands come back as
    // CWatchDlg::OnTraySettings and OnTrayExit.
    virtual void OpenTrayMenu() = 0;

    // The refusal of the limit's text (texts::kLimitRefusal) with an OK
    // button and the exclamation icon, owned by the dialog. Returns when the
    // user has closed it.
    virtual void ShowLimitRefusal() = 0;

    // A message box titled with the program's name, with `text`, an OK
    // button and the icon, owned by the dialog (on screen even while the
    // dialog is hidden). Returns when the user has closed it, or at once
    // when the program is ending (DestroyWindow called meanwhile).
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;

    // The open-file dialog, starting from `startPath`. The chosen file's full
    // path, or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseProgram(const std::string& startPath) = 0;

    // The folder chooser titled texts::kFolderBrowserTitle, opening on
    // `startPath`.
    // The chosen folder's path without a trailing separator (a root folder is
    // the separator alone, or "C:\"), or nothing when the user cancelled or the
    // choice has no file-system path.
    virtual std::optional<std::string> BrowseFolder(const std::string& startPath) = 0;

    // Calls CWatchDlg::OnTimer every `periodMs` milliseconds from now on, also
    // while a message box or a browse dialog is open.
    virtual void StartTimer(unsigned periodMs) = 0;

    // Stops the timer, takes the dialog away and ends the program's event
    // loop, after which the entry point destroys CWatchDlg.
    virtual void DestroyWindow() = 0;
};
