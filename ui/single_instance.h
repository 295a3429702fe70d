// One tray program per settings file. The first start holds the file's
// instance lock (platform/instance_lock.h) and listens on the lock's
// channel; a later start asks it to show its settings dialog instead of
// running on its own. Each view's system carries the request: a local socket
// (ui/qt), a window message (ui/win32).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/instance_lock.h"

class SingleInstance {
  public:
    explicit SingleInstance(const std::string& settingsPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process runs the settings file.
    bool IsFirst() const { return m_lock.held; }

    // A later start: asks the running instance to show its dialog. The exit
    // code: 0 when it did, 2 (after a line on standard error) when it did not
    // answer within two seconds or cannot be reached.
    int HandOver() const;

    // The first start: `onShow` runs on the UI thread for each later start.
    void Listen(std::function<void()> onShow);

  private:
    struct Listener; // the system's own
    std::string m_settingsPath;
    InstanceLock m_lock;
    std::unique_ptr<Listener> m_listener;
};
