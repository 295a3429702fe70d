#pragma once

#include "app/watch_dlg_environment.h"

// The running process: TheSharedState(), the real settings folder and the
// real worker thread, text in the system's encoding (UTF-8 on POSIX, the ANSI
// code page on Windows).
WatchDlgEnvironment ProcessEnvironment();
