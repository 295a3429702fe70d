// The folder part of a path, and making it.
#pragma once

#include <string>

#include "core/file_name.h"
#include "settings/file_system.h"

// Everything up to and including the last separator of `path` ("/", and on
// Windows "\" too), read by character; empty when it has none.
std::string FolderOf(const std::string& path, LeadByteTest isLeadByte);

// Makes the folder of `path` where it is missing, the folders above it first,
// each one with FileSystem::MakeFolder. True when it is a folder afterwards;
// false, with nothing made, where a file stands in the way.
bool MakeFolderOf(FileSystem& files, const std::string& path);
