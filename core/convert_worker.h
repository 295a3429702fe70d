// The conversion worker: surveys the watch folder, runs the quota pass,
// then converts the oldest complete .flv or idles. The survey keeps the
// folder's .flv entries between cycles and asks the system again only about
// those its watch names as changed (core/folder_survey.h). Files that their
// converter left in the folder step aside for the others
// (core/failed_files.h): the next cycle's survey tells whether it did. An
// idle pause lasts 10 s, or until a change of the folder or of the settings,
// or until a file that was too new or too recently written may be ready.
// A folder that another Kovalin has claimed is left alone.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/failed_files.h"
#include "core/folder_survey.h"
#include "core/platform_port.h"
#include "core/status.h"

struct SharedState;

inline constexpr unsigned kIdlePauseMs = 10000;
// After a change of the folder ends a pause, the worker waits this long
// before its next cycle.
inline constexpr unsigned kSettleMs = 1000;
// Where the system cannot tell whether a file is still being written, a file
// written to within this many seconds before the cycle counts as unfinished.
inline constexpr std::int64_t kQuietSeconds = 10;

// The title as the status and the notices show it: control characters, which
// a terminal or a log would act on, become "?". Where text is UTF-8 (no
// lead-byte test), so do U+0080 to U+009F.
std::string DisplayedTitle(std::string_view title, LeadByteTest isLeadByte);

class ConvertWorker {
  public:
    // While it lives, a change of the published settings ends its pause.
    ConvertWorker(Platform& platform, SharedState& state);
    ~ConvertWorker();
    ConvertWorker(const ConvertWorker&) = delete;
    ConvertWorker& operator=(const ConvertWorker&) = delete;

    // One cycle: search, quota pass, then one converter run or one pause.
    void RunCycle();

    // Cycles for as long as the process lives.
    [[noreturn]] void Run();

  private:
    struct Choice;
    enum class Ready {
        Yes,
        Writing,  // a program holds it open for writing
        Settling, // written to within the quiet time, where no probe can tell
        Claimed,  // an earlier converter of it still runs
        Gone,     // gone since the survey
        Never,
    };
    // Brings the survey and the memory of failures up to date.
    void Survey(const std::string& folder, const FolderChanges& changes, std::int64_t cycleStart);
    // The oldest entry that may be handed over now, of those that never
    // failed, else of the failed ones whose back-off has passed; and what
    // the idle status and pause need to know when there is none.
    Choice Pick(const std::string& folder, std::int64_t cycleStart);
    void Consider(const std::string& folder, const DirEntry& candidate, std::int64_t cycleStart,
                  Choice& choice);
    // Whether the entry may be handed over now. When it may, the choice
    // takes what the converter is to be handed; when it is settling, when to
    // look again.
    Ready Readiness(const std::string& folder, const DirEntry& entry, std::int64_t cycleStart,
                    Choice& choice);
    void Fail(const DirEntry& entry, std::int64_t now);
    void Convert(const std::string& folder, const DirEntry& entry, int entryCount,
                 std::unique_ptr<OpenedRecording> recording);
    // Sets the status and pauses. An idle pause ends early when the folder
    // changes; every pause ends when a setting changes.
    void Pause(Status status, unsigned milliseconds, bool untilFolderChange);
    unsigned IdlePauseMs(const Choice& choice);

    Platform& m_platform;
    SharedState& m_state;
    FolderSurvey m_survey{"*.flv"};
    FailedFiles m_failed;
    // The file whose converter returned in the previous cycle: failed if the
    // next survey of its folder still holds its identity.
    struct HandedOver {
        std::string folder;
        std::string identity;
    };
    std::optional<HandedOver> m_handedOver;
};
