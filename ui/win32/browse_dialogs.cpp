#include "ui/win32/browse_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "core/texts.h"

std::optional<std::string> BrowseForProgram(HWND owner, const std::string& startPath) {
    char file[MAX_PATH] = {};
    startPath.copy(file, MAX_PATH - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    // The filter's pairs, each ended by a NUL, the list by another.
    const std::string filter = std::string(texts::kProgramFilter) + '\0' + "*.exe;*.bat" + '\0';
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    // The current folder stays: the converter inherits it.
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&dialog))
        return std::nullopt;
    return std::string(file);
}

int CALLBACK BrowseCallbackProc(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startPath) {
    // The browser keeps its own copy of the start: the tick may publish a new
    // folder while it is open.
    const std::string start = startPath;
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = texts::kFolderBrowserTitle;
    info.ulFlags = BIF_STATUSTEXT | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = BrowseCallbackProc;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    const LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return std::nullopt;

    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) {
        CoTaskMemFree(item); // the shell's allocator is the task allocator
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const bool hasPath = SHGetPathFromIDListA(item, path) != FALSE;
    allocator->Free(item);
    allocator->Release();
    if (!hasPath || path[0] == '\0')
        return std::nullopt;
    return std::string(path);
}
