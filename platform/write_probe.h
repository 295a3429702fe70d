// Whether a recording may be handed over now, and opening it to be.
#pragma once

#include <cstdint>
#include <string>

#include "core/platform_port.h"

// The recording as the probe opened it (Platform's OpenedRecording): a
// descriptor on POSIX, a handle on Windows, closed with the object.
class RecordingFile final : public OpenedRecording {
  public:
    explicit RecordingFile(std::intptr_t native) : m_native(native) {}
    ~RecordingFile() override;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    std::intptr_t Native() const { return m_native; }

  private:
    std::intptr_t m_native;
};

// Platform::ProbeRecording.
// - POSIX: a regular file or a folder is opened for reading (without
//   blocking, not following a link) and locked with flock(LOCK_EX): a lock
//   that someone already holds, such as an earlier converter that was
//   handed the file, gives Claimed. A read lease taken and released at once
//   tells whether anyone writes it: Unknown where leases are refused for
//   another reason (a file of another user, NFS, some FUSE file systems).
//   NotAFile for a symbolic link, whatever it points at, as for a FIFO or a
//   device; Unreadable when it cannot be opened. Where the file system has
//   no such locks (NFS), the file opens unlocked and claims nothing.
// - Windows: an open for reading that shares deletion only fails while
//   anyone else has the file open; then an open that shares reading tells
//   a writer (Writing) from a reader such as an earlier converter
//   (Claimed). The file handed over is opened again sharing reading and
//   deletion, so that the converter may read it by name and delete it, but
//   nobody may write it meanwhile. A reparse point (a symbolic link, a
//   junction) is NotAFile. Unknown when the open fails for another reason.
RecordingProbe ProbeRecording(const std::string& path);
