// The port of the worker and the quota pass: what they need of the operating
// system. platform/ implements it once over its system functions
// (SystemPlatform, platform/the_platform.h); unit tests pass a fake folder
// and a fake clock. Each call's promise is written here; an implementation
// says only how it keeps it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dir_entry.h"
#include "core/file_name.h"

// Whether a recording may be handed over now, as far as the system can tell.
enum class WriteState {
    Closed,     // nobody writes it
    Writing,    // a program holds it open for writing
    Unknown,    // the system cannot tell (another user's file, a network file system)
    NotAFile,   // a FIFO, socket, device or link: a converter that opened it could block for
                // ever, or read a file from elsewhere
    Claimed,    // a converter it was handed to, or a program that converter started, still
                // holds it: one of an earlier run of Kovalin too
    Unreadable, // this program may not open it, so no converter it starts could read it
    Gone,       // no longer there
};

// A recording as the probe opened it. Kept from the probe until the
// converter has been started, it is what the converter is handed, so that
// what it reads is the file that was checked, and it claims the file: while
// the converter or any program that inherited it holds it, a probe answers
// Claimed, in this run of Kovalin or a later one. Destroying it closes this
// process's copy only.
class OpenedRecording {
  public:
    virtual ~OpenedRecording() = default;
};

struct RecordingProbe {
    WriteState state = WriteState::Unknown;
    // With Closed and Unknown where the system opened the file; else null.
    std::unique_ptr<OpenedRecording> opened = nullptr;
};

// Variables added to the converter's environment: name, value.
using ConverterEnvironment = std::vector<std::pair<std::string, std::string>>;

// A converter that was started. Destroying it releases the handle but never
// stops the converter.
class ConverterProcess {
  public:
    virtual ~ConverterProcess() = default;
    // Blocks without a time limit until the converter has exited.
    virtual void Wait() = 0;
};

// Who runs a watch folder: only one Kovalin at a time may convert its
// recordings and delete its files.
struct FolderClaim {
    enum class State {
        Held,          // this process runs the folder
        HeldElsewhere, // another Kovalin does: this one leaves the folder alone
        NoLock,        // no lock can be taken (a folder that is missing or may
                       // not be written, no locks): the folder runs unguarded
    };
    State state = State::NoLock;
    long ownerPid = 0; // HeldElsewhere: the holder, where the system can tell; else 0
};

// What a folder watch learnt of its folder since it was last asked.
struct FolderChanges {
    // False when the system cannot tell which entries changed: any of them
    // may have, and only a new listing tells.
    bool named = false;
    // By identity (DirEntry::identity), each in one list at most: the
    // entries made, renamed in, written or changed in their attributes ...
    std::vector<std::string> changed;
    // ... and those whose last change took them out of the folder.
    std::vector<std::string> gone;
};

struct ConverterStart {
    std::unique_ptr<ConverterProcess> process; // null when nothing was started
    // True when the title could not be passed without something acting on
    // it: the file is to blame, not the program.
    bool titleRefused = false;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Visits every entry whose name matches the pattern, in the order the
    // system lists them. The pattern is a folder prefix (empty for the current
    // directory) followed by a mask such as "*.flv", matched without regard to
    // ASCII case. Files, directories and hidden entries all count; links are
    // not followed. A missing or unreadable folder yields nothing.
    virtual void FindEntries(const std::string& pattern,
                             const std::function<void(const DirEntry&)>& visit) = 0;

    // The entry of `folder` whose identity is `identity`, described as
    // FindEntries describes it; none when the folder holds no such entry.
    virtual std::optional<DirEntry> LookUpEntry(const std::string& folder,
                                                const std::string& identity) = 0;

    // The quota pass's deletion: one file that may be written, never a
    // directory nor a read-only file; a link itself, never its target.
    // False when nothing was deleted.
    virtual bool RemoveWritableFile(const std::string& path) = 0;

    // Current time in whole seconds.
    virtual std::int64_t Now() = 0;

    // Sleeps the calling thread at least `milliseconds`, whatever signal
    // comes meanwhile.
    virtual void SleepMs(unsigned milliseconds) = 0;

    // Watches `folder` for changes from now on (a file added, removed, closed
    // after writing, renamed, its attributes changed), setting the watch up
    // again where the folder changed or was made anew, and tells what
    // changed since the previous call: by name where the system can tell
    // every change of the same folder since then, otherwise not at all.
    // Where the folder cannot be watched (it is missing, a network file
    // system, the system's limit is reached), only the time limit and
    // WakePause end a pause.
    virtual FolderChanges WatchFolder(const std::string& folder) {
        static_cast<void>(folder);
        return {};
    }

    enum class PauseEnd { TimedOut, FolderChanged, Woken };
    // Pauses for up to `milliseconds`. WakePause ends it sooner, and so does
    // a change of the watched folder when `untilFolderChange` is set.
    virtual PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) {
        static_cast<void>(untilFolderChange);
        SleepMs(milliseconds);
        return PauseEnd::TimedOut;
    }

    // Ends the pause under way, or the next one at once. Any thread.
    virtual void WakePause() {}

    // Tells whether the entry can be handed over now (a program still
    // writing it, an earlier converter still holding it) and opens it to be
    // handed over. It never blocks, never follows a link, and never disturbs
    // the program that writes.
    virtual RecordingProbe ProbeRecording(const std::string& path) = 0;

    // True when `path` reaches an entry of another name (on Windows, the 8.3
    // short name of a file whose long name differs): a converter writing
    // there would replace that file.
    virtual bool NamesAnotherEntry(const std::string& path) {
        static_cast<void>(path);
        return false;
    }

    // Starts the command line "program title" with a hidden window, with the
    // variables added to the environment, handing it `recording` where one is
    // given. No character of the title is interpreted: where the system
    // would, the title is refused instead.
    virtual ConverterStart StartHidden(const std::string& program, const std::string& title,
                                       const ConverterEnvironment& environment,
                                       const OpenedRecording* recording) = 0;

    // Claims the watch folder for this process, and gives up the folder it
    // claimed before. Asked again for the same folder, it says whether the
    // claim still holds. The claim ends with the process, however it ends,
    // and no converter inherits it. Any thread. Without a system lock, every
    // folder runs unguarded.
    virtual FolderClaim ClaimFolder(const std::string& folder) {
        static_cast<void>(folder);
        return {};
    }

    // Tells the first bytes of double-byte characters in the system's narrow
    // encoding, whose second bytes are never a "." or a separator; null where
    // the encoding needs no such care.
    virtual LeadByteTest LeadBytes() const { return nullptr; }

    // Orders the titles of two entries of one listing as the system orders
    // file names: 0 when it takes them for the same title, whatever their
    // bytes. Unless the system says otherwise, titles differ by their bytes
    // with the case of ASCII letters ignored.
    virtual int CompareTitles(const DirEntry& a, const DirEntry& b) const {
        const LeadByteTest leadBytes = LeadBytes();
        return CompareIgnoringAsciiCase(FileTitle(a.name, leadBytes), FileTitle(b.name, leadBytes),
                                        leadBytes);
    }
};
