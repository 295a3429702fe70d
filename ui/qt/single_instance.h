// One tray program per settings file. The first start holds the file's
// instance lock and listens on a local socket named after the file; a later
// start asks it to show its settings dialog instead of running on its own.
#pragma once

#include <QLocalServer>

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

    // The first start: `onShow` runs on the UI thread for each later start.
    void Listen(std::function<void()> onShow);

  private:
    std::string m_settingsPath;
    InstanceLock m_lock;
    QLocalServer m_server;
};
