#include "app/watch_dlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/platform_port.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "fake_file_system.h"
#include "fake_view.h"
#include "platform/system_settings.h"
#include "platform/the_platform.h"
#include "settings/settings_file.h"

namespace {

// The paths below are written with "/"; the separator of the platform replaces it.
std::string P(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = kPathSeparator;
    return path;
}

class WatchDlgTest : public ::testing::Test {
  protected:
    // The settings folder, in the file system in memory.
    static constexpr const char* kFolder = "/exe/";
    static std::string SettingsFile() { return kFolder + std::string(kSettingsFileName); }

    void WriteSettings(const std::string& text) { files.nodes[SettingsFile()].bytes = text; }
    std::string ReadSettings() const { return files.Bytes(SettingsFile()); }

    WatchDlgEnvironment Env() {
        WatchDlgEnvironment env;
        env.state = &state;
        env.settingsFolder = [this] { return exeDirKnown ? kFolder : std::string(); };
        env.defaultSettings = DefaultSettings();
        env.files = &files;
        env.reportLine = [this](Severity severity, const std::string& line) {
            severities.push_back(severity);
            reported.push_back(line);
        };
        env.startWorker = [this] {
            workerSawFolder.push_back(state.g_settings.Get().strWatchDir);
            return true;
        };
        env.isLeadByte = leadBytes;
        return env;
    }

    // Constructs and initialises the controller, as the entry point does.
    CWatchDlg& Start() {
        dlg = std::make_unique<CWatchDlg>(view, Env());
        dlg->OnInitDialog();
        return *dlg;
    }

    // Shows the dialog, puts texts into the boxes and presses "設定".
    void Apply(const std::string& folder, const std::string& program, const std::string& limit) {
        dlg->OnTraySettings();
        view.boxes[EditBox::WatchDir] = folder;
        view.boxes[EditBox::Program] = program;
        view.boxes[EditBox::Limit] = limit;
        dlg->OnApply();
    }

    FakeFileSystem files;
    SharedState state;
    FakeView view;
    LeadByteTest leadBytes = ThePlatform().LeadBytes();
    std::vector<std::string> workerSawFolder;
    std::vector<Severity> severities;
    std::vector<std::string> reported;
    bool exeDirKnown = true;
    std::unique_ptr<CWatchDlg> dlg;
};

TEST_F(WatchDlgTest, LoadsTheSettingsFileBesideTheExecutable) {
    WriteSettings(P("/data/in\n/bin/conv\n25\n"));
    Start();
    EXPECT_EQ(dlg->Settings().strWatchDir, P("/data/in/"));
    EXPECT_EQ(dlg->Settings().strProgram, P("/bin/conv"));
    EXPECT_EQ(dlg->Settings().nLimitMB, 25u);
    // The entry points name their instance lock after this same file.
    EXPECT_EQ(CWatchDlg::SettingsPathOf(Env()), dlg->SettingsPath());
}

TEST_F(WatchDlgTest, WithoutSettingsFileStartsFromTheDefaults) {
    CWatchDlg fresh(view, Env());
    const SettingsRecord defaults = DefaultSettings();
    EXPECT_EQ(fresh.Settings().strWatchDir, defaults.strWatchDir);
    EXPECT_EQ(fresh.Settings().strProgram, defaults.strProgram);
    EXPECT_EQ(fresh.Settings().nLimitMB, 0u);
    EXPECT_FALSE(fresh.IsVisible());
}

TEST_F(WatchDlgTest, InitialisesHiddenWithStartingTipAndPublishesBeforeTheWorker) {
    WriteSettings(P("/data/in\n/bin/conv\n25\n"));
    Start();
    EXPECT_FALSE(view.shown);
    EXPECT_TRUE(view.trayPresent);
    EXPECT_EQ(view.trayTip, "起動中");
    EXPECT_EQ(view.timerMs, 700u);
    EXPECT_EQ(view.trayIcon, TrayIcon::Idle);
    ASSERT_EQ(workerSawFolder.size(), 1u);
    EXPECT_EQ(workerSawFolder[0], P("/data/in/"));
    EXPECT_EQ(state.g_settings.Get().strProgram, P("/bin/conv"));
    EXPECT_EQ(state.g_settings.Get().nLimitMB, 25u);
    // The first exchange filled the boxes.
    EXPECT_EQ(view.boxes[EditBox::Limit], "25");
    EXPECT_EQ(view.boxes[EditBox::Program], P("/bin/conv"));
}

TEST_F(WatchDlgTest, TickShowsStatusInTipAndStatusBox) {
    Start();
    dlg->OnTimer();
    EXPECT_EQ(view.trayTip, "");
    state.g_strStatus.Set(texts::Idle(0, 0, false));
    dlg->OnTimer();
    EXPECT_EQ(view.trayTip, "待機中");
    EXPECT_EQ(view.boxes[EditBox::Status], "待機中");

    // A long status reaches the view whole: only a view whose platform has
    // less room cuts it.
    const std::string longStatus = std::string(62, 'x') + "を変換中\r\n変換動画数 1";
    state.g_strStatus.Set(texts::Converting(std::string(62, 'x'), 1));
    dlg->OnTimer();
    EXPECT_EQ(view.trayTip, longStatus);
    EXPECT_EQ(view.boxes[EditBox::Status], longStatus);
}

TEST_F(WatchDlgTest, TickAnnouncesEachFailedFileOnce) {
    Start();
    state.g_failedTitles.Push("bad");
    dlg->OnTimer();
    dlg->OnTimer();
    EXPECT_EQ(view.notices,
              std::vector<std::string>{
                  "Kovalin: 「bad」を変換できませんでした。ほかのファイルを先に変換します。"});
}

TEST_F(WatchDlgTest, AnimationAdvancesBeforeUseAndKeepsItsFrame) {
    Start();
    auto tick = [&] {
        dlg->OnTimer();
        return view.trayIcon;
    };
    state.g_bConverting = 1;
    EXPECT_EQ(tick(), TrayIcon::Anim2);
    EXPECT_EQ(tick(), TrayIcon::Anim3);
    EXPECT_EQ(tick(), TrayIcon::Anim1);
    EXPECT_EQ(tick(), TrayIcon::Anim2);
    state.g_bConverting = 0;
    EXPECT_EQ(tick(), TrayIcon::Idle);
    state.g_bConverting = 1;
    EXPECT_EQ(tick(), TrayIcon::Anim3);
}

TEST_F(WatchDlgTest, TickNormalisesTheFolderAndTheFileAtExitHasIt) {
    Start();
    Apply(P("/srv/video"), P("/bin/conv"), "3");
    EXPECT_EQ(dlg->Settings().strWatchDir, P("/srv/video"));
    EXPECT_EQ(state.g_settings.Get().strWatchDir,
              DefaultSettings().strWatchDir + kPathSeparator); // not yet published
    dlg->OnTimer();
    EXPECT_EQ(state.g_settings.Get().strWatchDir, P("/srv/video/"));
    dlg->OnTraySettings();
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/srv/video/"));
    dlg->OnTrayExit();
    dlg.reset();
    EXPECT_EQ(ReadSettings(), P("/srv/video/\n/bin/conv\n3\n"));
}

TEST_F(WatchDlgTest, EmptyFolderStaysEmpty) {
    Start();
    Apply("", P("/bin/conv"), "0");
    dlg->OnTimer();
    EXPECT_EQ(state.g_settings.Get().strWatchDir, "");
}

TEST_F(WatchDlgTest, ButtonPressesOnTheIconOpenTheMenu) {
    Start();
    dlg->OnTrayNotify(1, TrayMouse::LeftButtonDown);
    dlg->OnTrayNotify(1, TrayMouse::RightButtonDown);
    EXPECT_EQ(view.menusOpened, 2);
    dlg->OnTrayNotify(1, TrayMouse::Other);
    dlg->OnTrayNotify(2, TrayMouse::LeftButtonDown);
    EXPECT_EQ(view.menusOpened, 2);
}

TEST_F(WatchDlgTest, AcceptedLimitsAreTaken) {
    Start();
    for (const auto& [text, value] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"0", 0u}, {" 007 ", 7u}, {"99999999999", 4294967295u}}) {
        Apply(P("/in/"), P("/bin/conv"), text);
        EXPECT_EQ(dlg->Settings().nLimitMB, value) << text;
    }
    EXPECT_EQ(view.refusals, 0);
    dlg->OnTimer();
    EXPECT_EQ(state.g_settings.Get().nLimitMB, 4294967295u); // published bit for bit
}

TEST_F(WatchDlgTest, RefusedLimitKeepsTheOldValueButTakesFolderAndProgram) {
    WriteSettings(P("/old/\n/bin/old\n40\n"));
    Start();
    for (const char* bad : {"", "+0", "12a", "-5"}) {
        const int refusals = view.refusals;
        view.focused.reset();
        Apply(P("/new/"), P("/bin/new"), bad);
        EXPECT_EQ(dlg->Settings().nLimitMB, 40u) << bad;
        EXPECT_EQ(dlg->Settings().strWatchDir, P("/new/"));
        EXPECT_EQ(dlg->Settings().strProgram, P("/bin/new"));
        // The refusal is shown and the limit box focused; the dialog hides anyway.
        EXPECT_EQ(view.refusals, refusals + 1);
        EXPECT_EQ(view.focused, EditBox::Limit);
        EXPECT_FALSE(view.shown);
        EXPECT_FALSE(dlg->IsVisible());
    }
    dlg->OnTraySettings();
    EXPECT_EQ(view.boxes[EditBox::Limit], "40");
}

TEST_F(WatchDlgTest, TickRunsWhileTheRefusalIsOpen) {
    Start();
    view.duringRefusal = [&] { dlg->OnTimer(); };
    Apply(P("/new"), P("/bin/new"), "x");
    EXPECT_EQ(state.g_settings.Get().strWatchDir, P("/new/"));
    EXPECT_EQ(state.g_settings.Get().strProgram, P("/bin/new"));
}

TEST_F(WatchDlgTest, ShowingRefillsTheBoxesAndDropsUnappliedEdits) {
    Start();
    Apply(P("/a/"), P("/bin/a"), "5");
    dlg->OnTraySettings();
    view.boxes[EditBox::WatchDir] = P("/typed/");
    view.boxes[EditBox::Limit] = "77";
    dlg->OnTraySettings();
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/a/"));
    EXPECT_EQ(view.boxes[EditBox::Limit], "5");
}

TEST_F(WatchDlgTest, StatusBoxShowsTheTextTakenAtTheLastApply) {
    Start();
    dlg->OnTraySettings();
    EXPECT_EQ(view.boxes[EditBox::Status], "");
    view.boxes[EditBox::Status] = "typed";
    dlg->OnApply();
    state.g_strStatus.Set(texts::Idle(0, 0, false));
    dlg->OnTimer();
    dlg->OnTraySettings();
    EXPECT_EQ(view.boxes[EditBox::Status], "typed");
}

TEST_F(WatchDlgTest, DiscardDropsBrowseResults) {
    Start();
    dlg->OnTraySettings();
    view.folderAnswers.push_back(P("/srv/picked"));
    view.programAnswers = {P("/usr/bin/picked"), P("/opt/my conv")};
    dlg->OnBrowseDir();
    dlg->OnBrowseProgram();
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/srv/picked/"));
    EXPECT_EQ(view.boxes[EditBox::Program], P("/usr/bin/picked"));
    dlg->OnBrowseProgram(); // a path with a blank is one word
    EXPECT_EQ(view.boxes[EditBox::Program], "\"" + P("/opt/my conv") + "\"");
    dlg->OnDiscard();
    EXPECT_FALSE(view.shown);
    dlg->OnTraySettings();
    EXPECT_EQ(view.boxes[EditBox::WatchDir], DefaultSettings().strWatchDir + kPathSeparator);
    EXPECT_EQ(view.boxes[EditBox::Program], DefaultSettings().strProgram);
}

TEST_F(WatchDlgTest, BrowseDialogsStartFromThePublishedValues) {
    WriteSettings(P("/pub/\n/bin/pub\n0\n"));
    Start();
    dlg->OnTraySettings();
    view.boxes[EditBox::Program] = P("/typed/prog");
    view.folderAnswers = {P("/first"), P("/second")};
    dlg->OnBrowseDir();
    dlg->OnBrowseDir();
    dlg->OnBrowseProgram();
    EXPECT_EQ(view.folderStarts, (std::vector<std::string>{P("/pub/"), P("/pub/")}));
    EXPECT_EQ(view.programStarts, (std::vector<std::string>{P("/bin/pub")}));
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/second/"));
    EXPECT_EQ(view.boxes[EditBox::Program], P("/typed/prog")); // cancelled
    EXPECT_EQ(dlg->Settings().strWatchDir, P("/pub/"));        // only the box changed
}

TEST_F(WatchDlgTest, RootCancelledOrPathlessFolderKeepsTheBox) {
    Start();
    dlg->OnTraySettings();
    view.boxes[EditBox::WatchDir] = P("/kept");
    view.folderAnswers = {P("/"), std::nullopt, ""};
    for (int i = 0; i < 3; ++i)
        dlg->OnBrowseDir();
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/kept"));
}

TEST_F(WatchDlgTest, DoubleByteCharacterEndingInTheSeparatorByteIsNoRoot) {
    // A lead byte followed by the separator's byte is one character.
    leadBytes = [](unsigned char c) { return c == 0x81; };
    Start();
    dlg->OnTraySettings();
    const std::string folder = std::string(P("/srv/\x81")) + kPathSeparator;
    view.folderAnswers = {folder};
    dlg->OnBrowseDir();
    EXPECT_EQ(view.boxes[EditBox::WatchDir], folder + kPathSeparator);
}

TEST_F(WatchDlgTest, TickAppendsTheSeparatorAfterADoubleByteCharacterEndingInItsByte) {
    // As "表" (0x95 0x5C) ends in a backslash's byte in code page 932.
    leadBytes = [](unsigned char c) { return c == 0x81; };
    Start();
    const std::string folder = std::string(P("/srv/\x81")) + kPathSeparator;
    Apply(folder, P("/bin/conv"), "0");
    dlg->OnTimer();
    EXPECT_EQ(state.g_settings.Get().strWatchDir, folder + kPathSeparator);
}

TEST_F(WatchDlgTest, LineBreaksNeverReachASetting) {
    Start();
    Apply(P("/kept/"), P("/bin/kept"), "3");
    dlg->OnTraySettings();
    view.folderAnswers = {P("/srv/a\nb")};
    view.programAnswers = {P("/bin/a\rb")};
    dlg->OnBrowseDir();
    dlg->OnBrowseProgram();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, texts::kLineBreakInChosenFolder);
    EXPECT_EQ(view.messages[1].text, texts::kLineBreakInChosenProgram);
    EXPECT_EQ(view.boxes[EditBox::WatchDir], P("/kept/"));
    EXPECT_EQ(view.boxes[EditBox::Program], P("/bin/kept"));

    // Typed or pasted into a box: refused, the other settings are taken.
    Apply(P("/a\n/b/"), P("/bin/new"), "4");
    ASSERT_EQ(view.messages.size(), 3u);
    EXPECT_EQ(view.messages[2].text, "監視するフォルダに改行を含めることはできません。\n"
                                     "改行を取り除いてから、もう一度「設定」を押してください。");
    EXPECT_EQ(view.focused, EditBox::WatchDir);
    EXPECT_EQ(dlg->Settings().strWatchDir, P("/kept/"));
    EXPECT_EQ(dlg->Settings().strProgram, P("/bin/new"));
    EXPECT_EQ(dlg->Settings().nLimitMB, 4u);
}

TEST_F(WatchDlgTest, AFailedSaveAtExitIsShownBeforeTheEnd) {
    WriteSettings(P("/old/\n/bin/old\n1\n"));
    files.nodes[SettingsFile()].readOnly = true;
    Start();
    Apply(P("/new/"), P("/bin/new"), "2");
    view.log.clear();
    dlg->OnTrayExit();
    EXPECT_EQ(view.log, (std::vector<std::string>{"error message", "destroy"}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(view.messages[0].text.find(dlg->SettingsPath()), std::string::npos);
    EXPECT_NE(view.messages[0].text.find("読み取り専用"), std::string::npos);
    dlg->OnStopRequest(); // a signal meanwhile changes nothing
    dlg.reset();
    EXPECT_TRUE(reported.empty()); // the message told it; no second attempt
    EXPECT_EQ(ReadSettings(), P("/old/\n/bin/old\n1\n"));
}

TEST_F(WatchDlgTest, AFailedSaveAtASignalOrTheSessionEndIsOneReportLine) {
    Start();
    files.nodes[SettingsFile()].folder = true; // a folder in the way
    dlg->OnEndSession();
    dlg->OnStopRequest();
    EXPECT_TRUE(view.destroyed);
    EXPECT_TRUE(view.messages.empty());
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_NE(reported[0].find(dlg->SettingsPath()), std::string::npos);
    EXPECT_EQ(severities[0], Severity::Error); // the changes are lost
    dlg.reset();
    EXPECT_EQ(reported.size(), 2u); // written on the way out already
}

TEST_F(WatchDlgTest, AFileThatCouldNotBeReadIsNeverWrittenOver) {
    // Every way out says so once: "終了" in its message, a signal or the end
    // of the session in a report line after the load's.
    const struct {
        const char* way;
        void (CWatchDlg::*out)();
        std::size_t messages, lines;
    } cases[] = {
        {"exit", &CWatchDlg::OnTrayExit, 1, 1},
        {"signal", &CWatchDlg::OnStopRequest, 0, 2},
        {"end of session", &CWatchDlg::OnEndSession, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        files = FakeFileSystem();
        view = FakeView();
        reported.clear();
        WriteSettings(P("/user/\n/bin/user\n5\n"));
        files.unreadable.insert(SettingsFile());
        Start();
        Apply(P("/new/"), P("/bin/new"), "2");
        (dlg.get()->*c.out)();
        ASSERT_EQ(view.messages.size(), c.messages);
        ASSERT_EQ(reported.size(), c.lines);
        const std::string said = c.messages ? view.messages[0].text : reported.back();
        EXPECT_NE(said.find(dlg->SettingsPath()), std::string::npos) << said;
        EXPECT_NE(said.find(c.messages ? texts::kReasonNotRead : "could not be read"),
                  std::string::npos)
            << said;
        dlg.reset();
        EXPECT_EQ(ReadSettings(), P("/user/\n/bin/user\n5\n"));
    }
}

TEST_F(WatchDlgTest, EveryStopRequestEndsTheProgramWithTheSettingsWritten) {
    Start();
    Apply(P("/applied/"), P("/bin/applied"), "9");
    dlg->OnStopRequest();
    EXPECT_TRUE(view.destroyed);
    EXPECT_EQ(ReadSettings(), P("/applied/\n/bin/applied\n9\n"));
    view.log.clear();
    dlg->OnStopRequest();
    dlg->OnTrayExit();
    EXPECT_TRUE(view.log.empty());
}

TEST_F(WatchDlgTest, WithoutTheExecutableFolderNoFileIsReadOrWritten) {
    // The file of the current folder is what a relative name would reach.
    files.nodes[kSettingsFileName].bytes = P("/cwd/\n/bin/cwd\n5\n");
    exeDirKnown = false;
    Start();
    EXPECT_EQ(dlg->Settings().strWatchDir, DefaultSettings().strWatchDir + kPathSeparator);
    Apply(P("/new/"), P("/bin/new"), "6");
    dlg->OnTrayExit();
    dlg.reset();
    EXPECT_EQ(files.nodes.size(), 1u);
    EXPECT_EQ(files.Bytes(kSettingsFileName), P("/cwd/\n/bin/cwd\n5\n"));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("neither read nor written"), std::string::npos);
    EXPECT_EQ(severities[0], Severity::Warning); // it runs on
}

TEST_F(WatchDlgTest, PaintKeepsTheDialogHiddenUntilCalledUp) {
    Start();
    view.shown = true; // something else showed it
    dlg->OnPaint();
    EXPECT_FALSE(view.shown);
    dlg->OnTraySettings();
    dlg->OnPaint();
    EXPECT_TRUE(view.shown);
}

TEST_F(WatchDlgTest, ExitRemovesTheIconAndWritesTheMembersNotTheBoxes) {
    Start();
    Apply(P("/applied/"), P("/bin/applied"), "9");
    dlg->OnTraySettings();
    view.boxes[EditBox::WatchDir] = P("/unapplied/");
    dlg->OnTrayExit();
    EXPECT_TRUE(view.destroyed);
    EXPECT_TRUE(view.trayPresent); // until the controller is destroyed
    dlg.reset();
    EXPECT_FALSE(view.trayPresent);
    EXPECT_EQ(view.log.back(), "tray delete");
    EXPECT_EQ(ReadSettings(), P("/applied/\n/bin/applied\n9\n"));
}

TEST_F(WatchDlgTest, EndOfSessionWritesTheSettingsAtOnce) {
    Start();
    Apply(P("/applied"), P("/bin/applied"), "9");
    dlg->OnTimer();
    dlg->OnEndSession();
    EXPECT_EQ(ReadSettings(), P("/applied/\n/bin/applied\n9\n"));
}

TEST_F(WatchDlgTest, ExitWhileTheRefusalIsOpenTouchesTheViewNoMore) {
    Start();
    dlg->OnTraySettings();
    view.boxes[EditBox::Limit] = "bad";
    view.duringRefusal = [&] { dlg->OnTrayExit(); };
    view.log.clear();
    dlg->OnApply();
    EXPECT_EQ(view.log, (std::vector<std::string>{"refusal", "destroy"}));
}

} // namespace
