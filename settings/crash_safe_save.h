// Replacing a small file whole, so that a crash, a kill or a full disk never
// leaves a part of it.
#pragma once

#include <string>

#include "settings/file_system.h"
#include "settings/write_outcome.h"

// Writes `bytes` to a new file beside `path` (links resolved) and moves it
// over the file, so that readers and crashes see the old file or the new one,
// never a part. The new file keeps the old one's permissions. Where the
// folder refuses a new file, the file is rewritten in place. A file that the
// user may not write, or that no one may write, is left alone and the save
// fails. After a save, the temporary files that killed saves of processes
// now gone left beside the file are removed, and nothing else.
WriteOutcome SaveCrashSafe(FileSystem& files, const std::string& path, const std::string& bytes);
