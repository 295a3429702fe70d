#include "platform/win32/dll_search.h"

#include <windows.h>

void LoadDllsFromSystemFolderOnly() {
    // Windows 7 without its 2011 update lacks SetDefaultDllDirectories.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault =
        kernel ? reinterpret_cast<SetDefaultDirectories>(
                     reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
               : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // Takes at least the current folder out of the search.
        SetDllDirectoryA("");
    }
}
