#include "core/convert_worker.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "core/platform_port.h"
#include "core/shared_state.h"
#include "core/size_limit.h"
#include "core/texts.h"

std::string DisplayedTitle(std::string_view title, LeadByteTest isLeadByte) {
    std::string shown;
    for (std::size_t i = 0, next = 0; i < title.size(); i = next) {
        next = NextChar(title, i, isLeadByte);
        const auto byte = static_cast<unsigned char>(title[i]);
        if (next - i == 2) {
            shown.append(title.substr(i, 2));
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += '?';
        } else if (!isLeadByte && byte == 0xC2 && next < title.size() &&
                   static_cast<unsigned char>(title[next]) < 0xA0 &&
                   static_cast<unsigned char>(title[next]) >= 0x80) {
            shown += '?'; // U+0080 to U+009F in UTF-8: a terminal may act on them too
            ++next;
        } else {
            shown += title[i];
        }
    }
    return shown;
}

struct ConvertWorker::Choice {
    std::optional<DirEntry> chosen;
    std::unique_ptr<OpenedRecording> recording; // the chosen entry, opened
    int entryCount = 0;
    std::size_t writingCount = 0;
    std::size_t claimedCount = 0;
    // The earliest second at which a file that is not ready yet may be: one
    // created in the cycle's second, or one waiting out the quiet rule.
    std::optional<std::int64_t> retryAt;

    void RetryAt(std::int64_t second) { retryAt = std::min(retryAt.value_or(second), second); }
};

void ConvertWorker::Survey(const std::string& folder, const FolderChanges& changes,
                           std::int64_t cycleStart) {
    m_survey.Update(m_platform, folder, changes);
    // Still here after its converter returned, changed or not: failed.
    const std::optional<HandedOver> handedOver = std::exchange(m_handedOver, std::nullopt);
    if (handedOver && handedOver->folder == folder) {
        if (const DirEntry* entry = m_survey.Find(handedOver->identity))
            Fail(*entry, cycleStart);
    }
    m_failed.Review(m_survey, cycleStart);
}

ConvertWorker::Choice ConvertWorker::Pick(const std::string& folder, std::int64_t cycleStart) {
    Choice choice;
    choice.entryCount = static_cast<int>(m_survey.Count());
    // Never an entry whose title is empty: no converter could be told its
    // name.
    const LeadByteTest leadBytes = m_platform.LeadBytes();
    const auto titled = [leadBytes](const DirEntry& entry) {
        return FindLastChar(entry.name, '.', leadBytes) != 0;
    };
    // Only entries created before the cycle began; the oldest of the others
    // says when to look again.
    m_survey.VisitOldestFirst(cycleStart, [&](const DirEntry& entry) {
        if (!titled(entry))
            return true;
        choice.RetryAt(entry.creationTime + 1);
        return false;
    });
    // Failed files come again only while no other file is ready.
    for (const FailedFiles::Standing group :
         {FailedFiles::Standing::New, FailedFiles::Standing::Due}) {
        m_survey.VisitOldestFirst(
            std::numeric_limits<std::int64_t>::min(), [&](const DirEntry& entry) {
                if (entry.creationTime >= cycleStart)
                    return false;
                if (titled(entry) && m_failed.StandingOf(entry, cycleStart) == group)
                    Consider(folder, entry, cycleStart, choice);
                return !choice.chosen;
            });
        if (choice.chosen)
            break;
    }
    return choice;
}

void ConvertWorker::Consider(const std::string& folder, const DirEntry& candidate,
                             std::int64_t cycleStart, Choice& choice) {
    switch (Readiness(folder, candidate, cycleStart, choice)) {
    case Ready::Yes:
        choice.chosen = candidate;
        break;
    case Ready::Writing:
    case Ready::Settling:
        ++choice.writingCount;
        break;
    case Ready::Claimed:
        ++choice.claimedCount;
        break;
    case Ready::Gone:
        break;
    case Ready::Never:
        Fail(candidate, cycleStart);
        break;
    }
}

ConvertWorker::Ready ConvertWorker::Readiness(const std::string& folder, const DirEntry& entry,
                                              std::int64_t cycleStart, Choice& choice) {
    // A name the system could not give exactly might name another file, and
    // through a link a converter could publish a file from elsewhere.
    if (!entry.usableName || entry.isLink)
        return Ready::Never;
    // The converter's outputs must reach files of exactly their own names.
    const std::string stem = folder + FileTitle(entry.name, m_platform.LeadBytes());
    if (m_platform.NamesAnotherEntry(stem + ".mp4") || m_platform.NamesAnotherEntry(stem + ".jpg"))
        return Ready::Never;
    RecordingProbe probe = m_platform.ProbeRecording(folder + entry.name);
    switch (probe.state) {
    case WriteState::Closed:
        choice.recording = std::move(probe.opened);
        return Ready::Yes;
    case WriteState::Writing:
        return Ready::Writing;
    case WriteState::Claimed:
        return Ready::Claimed;
    case WriteState::Gone:
        return Ready::Gone;
    case WriteState::NotAFile:
    case WriteState::Unreadable:
        return Ready::Never;
    case WriteState::Unknown:
        break;
    }
    // The last write, looked at now: a write through another name of the
    // file, in another folder, tells this folder's watch nothing.
    const std::optional<DirEntry> now = m_platform.LookUpEntry(folder, entry.identity);
    if (!now)
        return Ready::Gone;
    if (cycleStart - now->modificationTime < kQuietSeconds) {
        choice.RetryAt(now->modificationTime + kQuietSeconds);
        return Ready::Settling;
    }
    choice.recording = std::move(probe.opened);
    return Ready::Yes;
}

// A file that failed, or that is never to be handed over, is counted in the
// status, announced once, and blocks nothing.
void ConvertWorker::Fail(const DirEntry& entry, std::int64_t now) {
    if (m_failed.RecordFailure(entry, now))
        m_state.g_failedTitles.Push(
            DisplayedTitle(FileTitle(entry.name, m_platform.LeadBytes()), m_platform.LeadBytes()));
}

ConvertWorker::ConvertWorker(Platform& platform, SharedState& state)
    : m_platform(platform), m_state(state) {
    m_state.g_settingsChanged.Install([&platform] { platform.WakePause(); });
}

ConvertWorker::~ConvertWorker() {
    m_state.g_settingsChanged.Install({});
}

void ConvertWorker::Pause(Status status, unsigned milliseconds, bool untilFolderChange) {
    m_state.g_strStatus.Set(std::move(status));
    if (m_platform.Pause(milliseconds, untilFolderChange) == Platform::PauseEnd::FolderChanged) {
        // A burst of changes (a copy, a recorder writing in place) gives at
        // most one cycle a second, and a file created in this second counts
        // as created before the next cycle.
        m_platform.SleepMs(kSettleMs);
    }
}

unsigned ConvertWorker::IdlePauseMs(const Choice& choice) {
    if (!choice.retryAt)
        return kIdlePauseMs;
    const std::int64_t seconds = *choice.retryAt - m_platform.Now();
    return static_cast<unsigned>(std::clamp<std::int64_t>(seconds * 1000, kSettleMs, kIdlePauseMs));
}

void ConvertWorker::RunCycle() {
    ++m_state.g_nCycles;
    const std::int64_t cycleStart = m_platform.Now();
    const std::string folder = m_state.g_settings.Get().strWatchDir;
    // While another Kovalin runs the folder, nothing in it is touched; the
    // claim is tried again after a full pause, or at once on a new setting.
    const FolderClaim claim = m_platform.ClaimFolder(folder);
    if (claim.state == FolderClaim::State::HeldElsewhere) {
        Pause(texts::FolderInUse(claim.ownerPid), kIdlePauseMs, false);
        return;
    }
    // A change from here on ends the next idle pause; the survey below sees
    // the changes before.
    Survey(folder, m_platform.WatchFolder(folder), cycleStart);
    Choice choice = Pick(folder, cycleStart);

    const QuotaResult quota = EnforceSizeLimit(m_platform, m_state);

    if (!choice.chosen) {
        Pause(texts::Idle(choice.writingCount, m_failed.Count(),
                          quota == QuotaResult::LimitOutOfReach, choice.claimedCount),
              IdlePauseMs(choice), true);
        return;
    }
    Convert(folder, *choice.chosen, choice.entryCount, std::move(choice.recording));
}

void ConvertWorker::Convert(const std::string& folder, const DirEntry& entry, int entryCount,
                            std::unique_ptr<OpenedRecording> recording) {
    const LeadByteTest leadBytes = m_platform.LeadBytes();
    const std::string title = FileTitle(entry.name, leadBytes);
    m_state.g_strStatus.Set(texts::Converting(DisplayedTitle(title, leadBytes), entryCount));
    const std::string program = m_state.g_settings.Get().strProgram;
    // The environment names the file exactly, whatever the command line can
    // carry.
    const ConverterEnvironment environment = {
        {"KOVALIN_FILE", folder + entry.name},
        {"KOVALIN_TITLE", title},
        {"KOVALIN_FOLDER", folder},
    };
    const ConverterStart start =
        m_platform.StartHidden(program, title, environment, recording.get());
    // The converter holds its own copy now: the claim lasts as long as it,
    // or a program it started, keeps that open.
    recording.reset();
    if (start.titleRefused) {
        Fail(entry, m_platform.Now());
        return;
    }
    if (!start.process) {
        // Tried again at most once every full pause.
        Pause(texts::StartFailed(program), kIdlePauseMs, false);
        return;
    }
    m_state.g_bConverting = 1;
    start.process->Wait();
    m_state.g_bConverting = 0;
    // Whether it left the file is told by the next cycle's survey.
    m_handedOver = HandedOver{folder, entry.identity};
}

void ConvertWorker::Run() {
    for (;;)
        RunCycle();
}
