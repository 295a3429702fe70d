// The real platform of the system built for.
#pragma once

#include "core/platform_port.h"

// The process's real platform, never destroyed.
Platform& ThePlatform();
