// The real platform of the system built for.
#pragma once

#include "core/platform.h"

// The process's real platform, never destroyed.
Platform& ThePlatform();
