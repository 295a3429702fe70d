#pragma once

#include <functional>
#include <string>

#include "core/platform.h"

// Lists the entries of a folder prefix + mask pattern (see
// Platform::FindEntries) with their birth times (modification times where the
// file system keeps none) and whole sizes, links not followed.
void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit);
