// The system's file calls for the settings file (settings/file_system.h).
#pragma once

#include "settings/file_system.h"

// The process's real file calls, never destroyed.
FileSystem& TheFileSystem();
