#include "app/watch_dlg.h"

#include <utility>

#include "app/limit_exchange.h"
#include "app/tray_tip.h"
#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/shared_state.h"
#include "settings/settings_file.h"

namespace {

constexpr const char* kStartingTip = "起動中";
constexpr const char* kFailedNoticeCaption = "Kovalin";

constexpr TrayIcon kAnimIcons[3] = {TrayIcon::Anim1, TrayIcon::Anim2, TrayIcon::Anim3};

std::string SettingsPathIn(const std::string& exeDir) {
    return exeDir + kSettingsFileName;
}

} // namespace

CWatchDlg::CWatchDlg(IWatchView& view, WatchDlgEnvironment env)
    : m_view(view), m_env(std::move(env)), m_state(*m_env.state) {
    const SettingsRecord defaults = DefaultSettings();
    m_strWatchDir = defaults.watchDir;
    m_strProgram = defaults.program;
    m_nLimitMB = defaults.limitMB;
    m_bVisible = 0;
    m_strExeDir = m_env.executableDirectory ? m_env.executableDirectory() : std::string();

    SettingsRecord loaded{m_strWatchDir, m_strProgram, m_nLimitMB};
    LoadSettings(SettingsPath(), loaded);
    m_strWatchDir = loaded.watchDir;
    m_strProgram = loaded.program;
    m_nLimitMB = loaded.limitMB;
}

CWatchDlg::~CWatchDlg() {
    m_view.DeleteTrayIcon();
    OnEndSession();
}

std::string CWatchDlg::SettingsPath() const {
    return SettingsPathIn(m_strExeDir);
}

std::string CWatchDlg::SettingsPathOf(const WatchDlgEnvironment& env) {
    return SettingsPathIn(env.executableDirectory ? env.executableDirectory() : std::string());
}

void CWatchDlg::OnInitDialog() {
    UpdateData(false);
    m_view.ShowWindow(false);
    m_trayIcon = TrayIcon::Idle;
    m_view.AddTrayIcon(m_trayIcon, kStartingTip);
    // The worker must never see the settings unpublished.
    NormaliseAndPublish();
    if (m_env.startWorker)
        m_env.startWorker();
    m_view.StartTimer(kTickMs);
    m_view.ShowWindow(false);
}

void CWatchDlg::OnTimer() {
    if (m_state.g_bConverting != 0) {
        // The frame advances before use: the first converting tick shows 130.
        m_state.g_nAnimFrame = (m_state.g_nAnimFrame + 1) % 3;
        m_trayIcon = kAnimIcons[m_state.g_nAnimFrame];
    } else {
        m_trayIcon = TrayIcon::Idle;
    }
    NormaliseAndPublish();
    const std::string status = m_state.g_strStatus.Get();
    m_view.ModifyTrayIcon(m_trayIcon, CutAtCharBoundary(status, kTrayTipBytes, m_env.isLeadByte));
    m_view.SetBoxText(EditBox::Status, status);
    for (const std::string& title : m_state.g_failedTitles.TakeAll())
        m_view.ShowTrayNotice(kFailedNoticeCaption, FailedNoticeText(title));
}

void CWatchDlg::NormaliseAndPublish() {
    NormaliseWatchDir(m_strWatchDir);
    PublishSettings(m_state, m_strWatchDir, m_strProgram, m_nLimitMB);
}

void CWatchDlg::OnTrayNotify(unsigned iconId, TrayMouse mouse) {
    if (iconId == kTrayIconId &&
        (mouse == TrayMouse::LeftButtonDown || mouse == TrayMouse::RightButtonDown))
        m_view.OpenTrayMenu();
}

void CWatchDlg::OnTraySettings() {
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
        m_view.SetBoxText(EditBox::WatchDir, m_strWatchDir);
        m_view.SetBoxText(EditBox::Status, m_strStatus);
        m_view.SetBoxText(EditBox::Program, m_strProgram);
        m_view.SetBoxText(EditBox::Limit, std::to_string(m_nLimitMB));
        return true;
    }
    m_strWatchDir = m_view.GetBoxText(EditBox::WatchDir);
    m_strStatus = m_view.GetBoxText(EditBox::Status);
    m_strProgram = m_view.GetBoxText(EditBox::Program);
    const auto limit = ExchangeLimitText(m_view.GetBoxText(EditBox::Limit));
    if (!limit) {
        m_view.ShowLimitRefusal();
        if (!m_bDestroyed)
            m_view.FocusAndSelectAll(EditBox::Limit);
        return false;
    }
    m_nLimitMB = *limit;
    return true;
}

void CWatchDlg::OnBrowseProgram() {
    // Starts from the published program, not from the box.
    const auto chosen = m_view.BrowseProgram(m_state.g_strProgram.Get());
    if (chosen && !m_bDestroyed)
        m_view.SetBoxText(EditBox::Program, *chosen);
}

void CWatchDlg::OnBrowseDir() {
    const auto chosen = m_view.BrowseFolder(m_state.g_strWatchDir.Get());
    if (!chosen || chosen->empty() || m_bDestroyed)
        return;
    // A root folder already ends in the separator: the box keeps its text.
    // The separator is looked for as a character, so that a double-byte
    // character whose second byte equals it is not taken for a root.
    const std::size_t last = FindLastChar(*chosen, kPathSeparator, m_env.isLeadByte);
    if (last == chosen->size() - 1)
        return;
    m_view.SetBoxText(EditBox::WatchDir, *chosen + kPathSeparator);
}

void CWatchDlg::OnTrayExit() {
    m_bDestroyed = true;
    m_view.DestroyWindow();
}

void CWatchDlg::OnEndSession() {
    SaveSettings(SettingsPath(), {m_strWatchDir, m_strProgram, m_nLimitMB});
}
