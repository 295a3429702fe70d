// Making the folder of a path.
#pragma once

#include <string>

#include "settings/file_system.h"

// Makes the folder of `path` where it is missing, the folders above it first,
// each one with FileSystem::MakeFolder. True when it is a folder afterwards;
// false, with nothing made, where a file stands in the way.
bool MakeFolderOf(FileSystem& files, const std::string& path);
