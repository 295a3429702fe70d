// The two browse dialogs of the settings dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The open-file dialog for the converter, starting from `startPath`: one
// filter entry, "実行 File (*.exe;*.bat)". The chosen file's full path.
std::optional<std::string> BrowseForProgram(HWND owner, const std::string& startPath);

// The shell's folder browser, titled "監視フォルダの指定", opening on
// `startPath`. The chosen folder's path, or nothing when the user cancelled
// or the choice has no file-system path.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startPath);

// Selects the folder given as `data` when the browser has opened; answers
// every message with 0.
int CALLBACK BrowseCallbackProc(HWND browser, UINT message, LPARAM param, LPARAM data);
