#include "settings/settings_store.h"

#include <cstring>
#include <utility>

#include "core/texts.h"
#include "settings/crash_safe_save.h"
#include "settings/folders.h"

namespace {

// The reason of a failed save, as the message box gives it.
std::string FailureReason(const WriteOutcome& outcome) {
    switch (outcome.failure) {
    case WriteFailure::ReadOnly:
        return texts::kReasonReadOnly;
    case WriteFailure::AccessDenied:
        return texts::kReasonAccessDenied;
    case WriteFailure::DiskFull:
        return texts::kReasonDiskFull;
    case WriteFailure::IsFolder:
        return texts::kReasonIsFolder;
    case WriteFailure::NoFolder:
        return texts::kReasonNoFolder;
    case WriteFailure::NotRead:
        return texts::kReasonNotRead;
    case WriteFailure::None:
    case WriteFailure::Other:
        break;
    }
    return texts::ReasonSystemError(outcome.systemError);
}

std::string NoFileLine() {
    return "cannot tell where " + std::string(kSettingsFileName) +
           " belongs (no executable path, no home): it is neither read nor written, and the "
           "defaults are used";
}

} // namespace

SettingsStore::SettingsStore(FileSystem& files, std::string path)
    : m_files(&files), m_path(std::move(path)) {}

StartSettings SettingsStore::LoadAtStart(const SettingsRecord& defaults, SettingsNeed need) {
    const bool optional = need == SettingsNeed::Optional;
    StartSettings start{defaults, {}, true};
    if (!HasFile()) {
        start.failureLine = NoFileLine();
        start.mayRun = optional;
        return start;
    }
    const LoadResult read = Load(start.settings);
    if (read.status == LoadStatus::Read || (read.status == LoadStatus::Missing && optional))
        return start;
    start.failureLine = "cannot read the settings file " + m_path + ": " +
                        std::strerror(read.error) + (optional ? " (the defaults are used)" : "");
    start.mayRun = optional;
    return start;
}

LoadResult SettingsStore::Load(SettingsRecord& settings) {
    if (!HasFile())
        return {LoadStatus::Missing, 0};
    const FileSystem::Read read = m_files->ReadStart(m_path, kSettingsBytesRead);
    if (!read.found)
        return {LoadStatus::Missing, read.error};
    // A file that fails part way (a folder opened as a file) changes nothing.
    if (read.error != 0) {
        m_notRead = true;
        return {LoadStatus::Unreadable, read.error};
    }
    ReadSettings(read.bytes, settings);
    return {};
}

WriteOutcome SettingsStore::Save(const SettingsRecord& settings) const {
    if (!HasFile())
        return {};
    if (m_notRead) {
        // The record holds the defaults, not what that file holds: the
        // user's settings stay. A folder in the way is the save's own refusal.
        const FileSystem::Entry old = m_files->Inspect(m_path);
        if (old.exists && !old.isFolder)
            return {WriteFailure::NotRead, 0,
                    "it could not be read at the start and is left as it is"};
    }
    // A folder that cannot be made shows in the save's outcome.
    MakeFolderOf(*m_files, m_path);
    return SaveCrashSafe(*m_files, m_path, FormatSettings(settings));
}

std::string SettingsStore::SaveFailureLine(const WriteOutcome& saved) const {
    return "cannot save the settings to " + m_path + ": " + saved.detail;
}

std::string SettingsStore::SaveFailureMessage(const WriteOutcome& saved) const {
    return texts::SaveFailure(m_path, FailureReason(saved));
}
