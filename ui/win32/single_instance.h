// One Kovalin.exe per settings file. The first start holds the file's
// instance lock and its dialog answers a window message registered under the
// lock's name; a later start finds that dialog among the windows of the
// lock's holder, asks it to show itself, and ends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/instance_lock.h"

class SingleInstance {
  public:
    explicit SingleInstance(const std::string& settingsPath);

    // True when this process runs the settings file.
    bool IsFirst() const { return m_lock.held; }

    // A later start: asks the running instance to show its dialog. The exit
    // code: 0 when it did, 2 (after a line on standard error) when it did not
    // answer within two seconds.
    int HandOver() const;

    // The first start: `dialog` calls `onShow` for each later start.
    void Listen(HWND dialog, std::function<void()> onShow);

  private:
    static LRESULT CALLBACK DialogSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self);

    std::string m_settingsPath;
    InstanceLock m_lock;
    UINT m_showMessage;
    std::function<void()> m_onShow;
};
