// The lock that keeps two Kovalins off one watch folder: a file in the
// folder itself, which only those who may write the folder can take.
#pragma once

#include <string>

#include "core/platform_port.h"

// The lock file's name in the watch folder.
inline constexpr char kFolderLockName[] = ".kovalin.lock";

// Platform::ClaimFolder, for `folder` empty or ending in a separator.
// - POSIX: an fcntl write lock on FOLDER/.kovalin.lock, made with the folder's
//   owner and group where the maker may give them, and read-write for those
//   of owner, group and others whom the folder's mode lets write it, for no
//   one else: a mere reader cannot open it, so cannot hold it. The holder's
//   PID comes from the system where it is visible. A file kept by a link, not
//   a plain file, or one that may not be written and is not locked, gives no
//   lock. The file stays in the folder; Kovalin never removes it.
// - Windows: a hidden FOLDER\.kovalin.lock opened for no one else to share,
//   with a protected DACL that admits this user alone and deleted when its
//   handle closes. An existing one that cannot be opened is held elsewhere;
//   the holder's PID is not told.
FolderClaim ClaimWatchFolder(const std::string& folder);
