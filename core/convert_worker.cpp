#include "core/convert_worker.h"

#include "core/oldest_entry.h"
#include "core/platform.h"
#include "core/shared_state.h"
#include "core/size_limit.h"

std::string ConvertingStatus(const std::string& title, int entryCount) {
    return title + "を変換中\r\n変換動画数 " + std::to_string(entryCount);
}

std::string StartFailedStatus(const std::string& program) {
    return "「" + program + "」を起動できません";
}

void ConvertWorker::Pause(std::string status) {
    m_lastConverted.clear();
    if (!status.empty())
        m_state.g_strStatus.Set(std::move(status));
    m_platform.SleepMs(kIdlePauseMs);
}

void ConvertWorker::RunCycle() {
    OldestEntry oldest(m_platform.Now(), m_platform.LeadBytes());
    int entryCount = 0;
    m_platform.FindEntries(m_state.g_strWatchDir.Get() + "*.flv", [&](const DirEntry& entry) {
        ++entryCount;
        oldest.Offer(entry);
    });

    EnforceSizeLimit(m_platform, m_state);

    if (!oldest.Chosen()) {
        Pause(kIdleStatus);
        return;
    }
    // A converter that left its file in place would otherwise be started
    // again at once, without end: it gets another try after a pause.
    if (oldest.Title() == m_lastConverted) {
        Pause({});
        return;
    }
    m_state.g_strStatus.Set(ConvertingStatus(oldest.Title(), entryCount));
    const std::string program = m_state.g_strProgram.Get();
    const std::unique_ptr<ConverterProcess> converter =
        m_platform.StartHidden(program + " " + oldest.Title());
    if (!converter) {
        // Tried again at most once every pause.
        Pause(StartFailedStatus(program));
        return;
    }
    m_state.g_bConverting = 1;
    converter->Wait();
    m_state.g_bConverting = 0;
    m_lastConverted = oldest.Title();
}

void ConvertWorker::Run() {
    for (;;)
        RunCycle();
}
