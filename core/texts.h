// Every text that the user reads in Japanese but the settings dialog's labels
// (app/settings_dialog_template.cpp, beside the dialog they label): the
// statuses, the notices, the messages, the menu and the browse dialogs. On
// Windows the literals are compiled to code page 932.
#pragma once

#include <cstddef>
#include <string>

#include "core/status.h"

namespace texts {

// Statuses, each with its kind, as the tooltip and the status box show
// them. What matters most comes first: the Windows tray tip keeps only the
// first kTrayTipBytes bytes.
Status Starting(); // before the worker's first status
Status Converting(const std::string& title, int entryCount);
Status StartFailed(const std::string& program);
// Another Kovalin runs the watch folder; its PID where it is known (not 0).
Status FolderInUse(long ownerPid);
// "待機中", with a line when the quota pass cannot bring the folder under the
// limit by deleting, and one when files wait to be completed, wait for an
// earlier converter of theirs to end, or have failed.
Status Idle(std::size_t writingCount, std::size_t failedCount, bool limitOutOfReach,
            std::size_t claimedCount = 0);

// The tray notice for a file that failed.
extern const char* const kNoticeCaption;
std::string FailedNotice(const std::string& title);

// The tray menu.
extern const char* const kMenuSettings;
extern const char* const kMenuExit;

// The settings dialog's messages. Kovalin.exe shows the refusal from its
// string table in res/kovalin.rc, which a test holds to this text.
extern const char* const kLimitRefusal;
extern const char* const kLineBreakInChosenFolder;
extern const char* const kLineBreakInChosenProgram;
// A line break typed or pasted into the box that `label` names.
std::string LineBreakInBox(const std::string& label);

// The message when "終了" could not save the settings: the file, and one of
// the reasons below.
std::string SaveFailure(const std::string& path, const std::string& reason);
extern const char* const kReasonReadOnly;
extern const char* const kReasonAccessDenied;
extern const char* const kReasonDiskFull;
extern const char* const kReasonIsFolder;
extern const char* const kReasonNoFolder;
extern const char* const kReasonNotRead;
std::string ReasonSystemError(int error);

// The browse dialogs.
extern const char* const kFolderBrowserTitle;
extern const char* const kProgramFilter;   // "*.exe;*.bat", as Windows lists them
extern const char* const kEveryFileFilter; // where programs carry no extension

} // namespace texts
