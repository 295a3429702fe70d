#include "app/watch_dlg.h"

#include <optional>
#include <utility>

#include "app/limit_text.h"
#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/shared_state.h"
#include "core/texts.h"

namespace {

constexpr TrayIcon kAnimIcons[3] = {TrayIcon::Anim1, TrayIcon::Anim2, TrayIcon::Anim3};

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

CWatchDlg::CWatchDlg(IWatchView& view, WatchDlgEnvironment env)
    : m_view(view), m_env(std::move(env)), m_state(*m_env.state),
      m_store(*m_env.files, SettingsPathOf(m_env)) {
    StartSettings start = m_store.LoadAtStart(m_env.defaultSettings, SettingsNeed::Optional);
    if (!start.failureLine.empty())
        Report(start.failureLine);
    m_settings = std::move(start.settings);
}

CWatchDlg::~CWatchDlg() {
    m_view.DeleteTrayIcon();
    if (!m_bEnding)
        SaveOrReport();
}

void CWatchDlg::Report(const std::string& line) {
    if (m_env.reportLine)
        m_env.reportLine("kovalin: " + line);
}

WriteOutcome CWatchDlg::Save() {
    return m_store.Save(m_settings);
}

void CWatchDlg::SaveOrReport() {
    const WriteOutcome saved = Save();
    if (!saved)
        Report(m_store.SaveFailureLine(saved));
}

std::string CWatchDlg::SettingsPathOf(const WatchDlgEnvironment& env) {
    return SettingsPathIn(env.settingsFolder ? env.settingsFolder() : std::string());
}

void CWatchDlg::OnInitDialog() {
    UpdateData(false);
    m_view.ShowWindow(false);
    m_trayIcon = TrayIcon::Idle;
    m_view.AddTrayIcon(m_trayIcon, texts::kStarting);
    // The worker must never see the settings unpublished.
    NormaliseAndPublish();
    if (m_env.startWorker)
        m_env.startWorker();
    m_view.StartTimer(kTickMs);
    m_view.ShowWindow(false);
}

void CWatchDlg::OnTimer() {
    if (m_state.g_bConverting != 0) {
        // The frame advances before use: the first converting tick shows Anim2.
        m_state.g_nAnimFrame = (m_state.g_nAnimFrame + 1) % 3;
        m_trayIcon = kAnimIcons[m_state.g_nAnimFrame];
    } else {
        m_trayIcon = TrayIcon::Idle;
    }
    NormaliseAndPublish();
    const std::string status = m_state.g_strStatus.Get();
    m_view.ModifyTrayIcon(m_trayIcon, status);
    m_view.SetBoxText(EditBox::Status, status);
    for (const std::string& title : m_state.g_failedTitles.TakeAll())
        m_view.ShowTrayNotice(texts::kNoticeCaption, texts::FailedNotice(title));
}

void CWatchDlg::NormaliseAndPublish() {
    NormaliseWatchDir(m_settings.strWatchDir, m_env.isLeadByte);
    PublishSettings(m_state, m_settings);
}

void CWatchDlg::OnTrayNotify(unsigned iconId, TrayMouse mouse) {
    if (iconId == kTrayIconId &&
        (mouse == TrayMouse::LeftButtonDown || mouse == TrayMouse::RightButtonDown))
        m_view.OpenTrayMenu();
}

void CWatchDlg::OnTraySettings() {
    if (m_bEnding)
        return; // "終了" is telling why the settings were not saved
    // Raised before showing, so that the paint that showing causes keeps it.
    m_bVisible = 1;
    m_view.ShowWindow(true);
    UpdateData(false);
}

void CWatchDlg::OnApply() {
    // What was taken stays taken even when the limit is refused.
    UpdateData(true);
    if (m_bDestroyed)
        return; // the program ended while the refusal message was open
    OnTraySettings();
    m_bVisible = 0;
    m_view.ShowWindow(false);
}

void CWatchDlg::OnDiscard() {
    OnTraySettings();
    m_bVisible = 0;
    m_view.ShowWindow(false);
}

void CWatchDlg::OnPaint() {
    if (m_bVisible == 0)
        m_view.ShowWindow(false);
}

bool CWatchDlg::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        m_view.SetBoxText(EditBox::WatchDir, m_settings.strWatchDir);
        m_view.SetBoxText(EditBox::Status, m_strStatus);
        m_view.SetBoxText(EditBox::Program, m_settings.strProgram);
        m_view.SetBoxText(EditBox::Limit, std::to_string(m_settings.nLimitMB));
        return true;
    }
    // A line break never reaches a setting: the file holds one per line.
    const std::string folder = m_view.GetBoxText(EditBox::WatchDir);
    const std::string program = m_view.GetBoxText(EditBox::Program);
    m_strStatus = m_view.GetBoxText(EditBox::Status);
    std::optional<EditBox> withLineBreak;
    if (HasLineBreak(program))
        withLineBreak = EditBox::Program;
    else
        m_settings.strProgram = program;
    if (HasLineBreak(folder))
        withLineBreak = EditBox::WatchDir;
    else
        m_settings.strWatchDir = folder;
    const auto limit = ParseLimitText(m_view.GetBoxText(EditBox::Limit));
    if (limit)
        m_settings.nLimitMB = *limit;

    if (withLineBreak) {
        m_view.ShowMessage(*withLineBreak == EditBox::WatchDir ? texts::kLineBreakInFolderBox
                                                               : texts::kLineBreakInProgramBox,
                           MessageIcon::Warning);
        if (m_bDestroyed)
            return false;
    }
    if (!limit) {
        m_view.ShowLimitRefusal();
        if (!m_bDestroyed)
            m_view.FocusAndSelectAll(EditBox::Limit);
        return false;
    }
    if (withLineBreak) {
        m_view.FocusAndSelectAll(*withLineBreak);
        return false;
    }
    return true;
}

void CWatchDlg::OnBrowseProgram() {
    // Starts from the published program, not from the box.
    const auto chosen = m_view.BrowseProgram(m_state.g_settings.Get().strProgram);
    if (!chosen || m_bDestroyed)
        return;
    if (HasLineBreak(*chosen)) {
        m_view.ShowMessage(texts::kLineBreakInChosenProgram, MessageIcon::Warning);
        return;
    }
    // Unquoted, "C:\Program Files\conv.exe" would first run "C:\Program".
    const bool blank = chosen->find_first_of(" \t") != std::string::npos;
    m_view.SetBoxText(EditBox::Program, blank && chosen->find('"') == std::string::npos
                                            ? '"' + *chosen + '"'
                                            : *chosen);
}

void CWatchDlg::OnBrowseDir() {
    const auto chosen = m_view.BrowseFolder(m_state.g_settings.Get().strWatchDir);
    if (!chosen || chosen->empty() || m_bDestroyed)
        return;
    if (HasLineBreak(*chosen)) {
        m_view.ShowMessage(texts::kLineBreakInChosenFolder, MessageIcon::Warning);
        return;
    }
    // A root folder already ends in the separator: the box keeps its text.
    // The separator is looked for as a character, so that a double-byte
    // character whose second byte equals it is not taken for a root.
    if (EndsInSeparator(*chosen, m_env.isLeadByte))
        return;
    m_view.SetBoxText(EditBox::WatchDir, *chosen + kPathSeparator);
}

void CWatchDlg::OnTrayExit() {
    if (m_bDestroyed || m_bEnding)
        return;
    m_bEnding = true;
    const WriteOutcome saved = Save();
    if (!saved)
        m_view.ShowMessage(m_store.SaveFailureMessage(saved), MessageIcon::Error);
    End();
}

void CWatchDlg::OnStopRequest() {
    if (m_bDestroyed)
        return;
    // After "終了" has saved (its message may be open) the settings are not
    // written again.
    if (!m_bEnding) {
        m_bEnding = true;
        SaveOrReport();
    }
    End();
}

void CWatchDlg::End() {
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    m_view.DestroyWindow();
}

void CWatchDlg::OnEndSession() {
    SaveOrReport();
}
