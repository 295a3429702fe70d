#include "app/watch_dlg.h"

#include <optional>
#include <utility>

#include "app/limit_text.h"
#include "app/settings_dialog_template.h"
#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/shared_state.h"
#include "core/texts.h"

namespace {

constexpr TrayIcon kAnimIcons[3] = {TrayIcon::Anim1, TrayIcon::Anim2, TrayIcon::Anim3};

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A setting as its box shows it: a number unsigned.
std::string TextOf(const SettingsRecord& settings, const SettingField& field) {
    return field.text ? settings.*field.text : std::to_string(settings.*field.number);
}

enum class Taken { Yes, LineBreak, NotANumber };

// Takes a box's text into its setting, unless it is refused: a line break
// never reaches a setting, as the file holds one per line.
Taken Take(const std::string& text, const SettingField& field, SettingsRecord& settings) {
    if (field.text) {
        if (HasLineBreak(text))
            return Taken::LineBreak;
        settings.*field.text = text;
        return Taken::Yes;
    }
    const auto number = ParseLimitText(text);
    if (!number)
        return Taken::NotANumber;
    settings.*field.number = *number;
    return Taken::Yes;
}

} // namespace

CWatchDlg::CWatchDlg(IWatchView& view, WatchDlgEnvironment env)
    : m_view(view), m_env(std::move(env)), m_state(*m_env.state),
      m_store(*m_env.files, SettingsPathOf(m_env)) {
    StartSettings start = m_store.LoadAtStart(m_env.defaultSettings, SettingsNeed::Optional);
    if (!start.failureLine.empty())
        Report(Severity::Warning, start.failureLine);
    m_settings = std::move(start.settings);
}

CWatchDlg::~CWatchDlg() {
    m_view.DeleteTrayIcon();
    if (!m_bEnding)
        SaveOrReport();
}

void CWatchDlg::Report(Severity severity, const std::string& line) {
    if (m_env.reportLine)
        m_env.reportLine(severity, line);
}

WriteOutcome CWatchDlg::Save() {
    return m_store.Save(m_settings);
}

void CWatchDlg::SaveOrReport() {
    const WriteOutcome saved = Save();
    if (!saved)
        Report(Severity::Error, m_store.SaveFailureLine(saved));
}

std::string CWatchDlg::SettingsPathOf(const WatchDlgEnvironment& env) {
    return SettingsPathIn(env.settingsFolder ? env.settingsFolder() : std::string());
}

void CWatchDlg::OnInitDialog() {
    UpdateData(false);
    m_view.ShowWindow(false);
    m_trayIcon = TrayIcon::Idle;
    m_view.AddTrayIcon(m_trayIcon, texts::Starting().text);
    // The worker must never see the settings unpublished.
    NormaliseAndPublish();
    if (m_env.startWorker)
        m_env.startWorker();
    m_view.StartTimer(kTickMs);
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
    const std::string status = m_state.g_strStatus.Get().text;
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
    // What was taken stays taken and the dialog hides, whether a box was
    // refused or not; a refusal's message may have ended the program.
    if (!UpdateData(true) && m_bDestroyed)
        return;
    RefillAndHide();
}

void CWatchDlg::OnDiscard() {
    RefillAndHide();
}

void CWatchDlg::RefillAndHide() {
    UpdateData(false);
    m_bVisible = 0;
    m_view.ShowWindow(false);
}

void CWatchDlg::OnPaint() {
    if (m_bVisible == 0)
        m_view.ShowWindow(false);
}

bool CWatchDlg::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        for (const SettingBox& box : kSettingBoxes)
            m_view.SetBoxText(box.box, TextOf(m_settings, box.field));
        m_view.SetBoxText(EditBox::Status, m_strStatus);
        return true;
    }
    m_strStatus = m_view.GetBoxText(EditBox::Status);
    const SettingBox* withLineBreak = nullptr;
    const SettingBox* notANumber = nullptr;
    for (const SettingBox& box : kSettingBoxes) {
        const Taken taken = Take(m_view.GetBoxText(box.box), box.field, m_settings);
        if (taken == Taken::LineBreak && !withLineBreak)
            withLineBreak = &box;
        if (taken == Taken::NotANumber && !notANumber)
            notANumber = &box;
    }

    if (withLineBreak) {
        m_view.ShowMessage(texts::LineBreakInBox(withLineBreak->label), MessageIcon::Warning);
        if (m_bDestroyed)
            return false;
    }
    if (notANumber) {
        m_view.ShowLimitRefusal();
        if (!m_bDestroyed)
            m_view.FocusAndSelectAll(notANumber->box);
        return false;
    }
    if (withLineBreak) {
        m_view.FocusAndSelectAll(withLineBreak->box);
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
