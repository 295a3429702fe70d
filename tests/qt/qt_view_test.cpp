#include "ui/qt/qt_watch_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "app/settings_dialog_template.h"
#include "app/watch_dlg.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "platform/the_file_system.h"
#include "ui/qt/byte_text.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/stop_bridge.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 10000; // generous: the machine may be busy

// Acts on the next modal dialog as soon as it is open. A dialog that the
// action leaves open (an ASSERT in it failed and returned) is closed after
// it, so that a failing test never waits for ever in the dialog's loop.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(10, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            WhenModal(act);
            return;
        }
        const QPointer<QWidget> open(modal);
        act(modal);
        if (!open || !open->isVisible())
            return;
        if (auto* dialog = qobject_cast<QDialog*>(open.data()))
            dialog->reject();
        else
            open->close();
    });
}

// Types text that QTest::keyClicks cannot (kanji), as an input method would.
void CommitText(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

class QtViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("kovalin-qt-" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(m_dir / "in");
        std::ofstream(m_dir / "Kovaset.ini") << (m_dir / "in").string() << "\n/bin/true\n12\n";
        view = std::make_unique<QtWatchView>();
        StartController();
    }
    // Reads the settings file and starts the controller.
    void StartController() {
        WatchDlgEnvironment env;
        env.state = &state;
        env.settingsFolder = [this] { return m_dir.string() + "/"; };
        env.files = &TheFileSystem();
        env.startWorker = [] { return true; };
        dlg.reset();
        dlg = std::make_unique<CWatchDlg>(*view, env);
        view->Attach(dlg.get());
        dlg->OnInitDialog();
    }
    void TearDown() override {
        dlg.reset();
        view.reset();
        fs::remove_all(m_dir);
    }

    SettingsDialog& Dialog() { return view->Dialog(); }

    // Chooses "設定" in the tray menu.
    void CallUpSettings() {
        view->TrayMenu().actions().at(0)->trigger();
        ASSERT_TRUE(Dialog().isVisible());
    }

    fs::path m_dir;
    SharedState state;
    std::unique_ptr<QtWatchView> view;
    std::unique_ptr<CWatchDlg> dlg;
};

TEST_F(QtViewTest, StartsHiddenWithTrayIconMenuAndTick) {
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_TRUE(view->TrayIconObject().isVisible());
    EXPECT_EQ(view->TrayIconObject().toolTip(), QString::fromUtf8("起動中"));
    EXPECT_TRUE(view->Timer().isActive());
    EXPECT_EQ(view->Timer().interval(), 700);

    const auto actions = view->TrayMenu().actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QString::fromUtf8("設定"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QString::fromUtf8("終了"));
}

TEST_F(QtViewTest, DialogNeverShowsUnlessCalledUp) {
    Dialog().show();
    Dialog().setVisible(true);
    EXPECT_FALSE(Dialog().isVisible());
    CallUpSettings();
    EXPECT_EQ(Dialog().windowTitle(), "Kovalin");
    EXPECT_EQ(Dialog().m_editWatchDir->text().toStdString(), (m_dir / "in").string() + "/");
    EXPECT_EQ(Dialog().m_editLimit->text(), "12");
}

TEST_F(QtViewTest, ButtonPressesOnTheTrayIconOpenTheMenu) {
    emit view->TrayIconObject().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(view->TrayMenu().isVisible());
    view->TrayMenu().hide();
    emit view->TrayIconObject().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(view->TrayMenu().isVisible());
    emit view->TrayIconObject().activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(view->TrayMenu().isVisible());
    view->TrayMenu().hide();
}

TEST_F(QtViewTest, TypedTextIsAppliedAndTheDialogHides) {
    CallUpSettings();
    Dialog().m_editWatchDir->clear();
    CommitText(Dialog().m_editWatchDir, QString::fromUtf8("/srv/録画"));
    Dialog().m_editLimit->clear();
    QTest::keyClicks(Dialog().m_editLimit, "4a0-");
    EXPECT_EQ(Dialog().m_editLimit->text(), "40"); // typing takes digits only
    CommitText(Dialog().m_editLimit, QString::fromUtf8("５"));
    EXPECT_EQ(Dialog().m_editLimit->text(), "40");

    QTest::mouseClick(Dialog().m_buttonApply, Qt::LeftButton);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(dlg->Settings().strWatchDir, "/srv/録画");
    EXPECT_EQ(dlg->Settings().nLimitMB, 40u);
    dlg->OnTimer();
    EXPECT_EQ(state.g_settings.Get().strWatchDir, "/srv/録画/");
}

TEST_F(QtViewTest, PastedTextReachesTheLimitText) {
    CallUpSettings();
    Dialog().m_editLimit->setText("x");
    WhenModal(
        [](QWidget* modal) { static_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click(); });
    QTest::mouseClick(Dialog().m_buttonApply, Qt::LeftButton);
    EXPECT_EQ(dlg->Settings().nLimitMB, 12u);
}

TEST_F(QtViewTest, RefusalMessageWhileTheTickGoesOn) {
    CallUpSettings();
    Dialog().m_editProgram->setText("/usr/bin/conv");
    Dialog().m_editLimit->clear();
    state.g_strStatus.Set(texts::Idle(0, 0, false));

    QString shownText;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    bool tickedMeanwhile = false;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownIcon = box->icon();
        tickedMeanwhile = QTest::qWaitFor(
            [&] { return view->TrayIconObject().toolTip() == QString::fromUtf8("待機中"); },
            kWaitMs);
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(Dialog().m_buttonApply, Qt::LeftButton);

    EXPECT_EQ(shownText, QString::fromUtf8("正の整数を入力してください。"));
    EXPECT_EQ(shownIcon, QMessageBox::Warning);
    EXPECT_TRUE(tickedMeanwhile);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(dlg->Settings().strProgram, "/usr/bin/conv");
    EXPECT_EQ(dlg->Settings().nLimitMB, 12u);
    CallUpSettings();
    EXPECT_EQ(Dialog().m_editLimit->text(), "12");
}

TEST_F(QtViewTest, RefusalSelectsTheLimitBox) {
    // The view's part: focus and the whole text selected.
    CallUpSettings();
    Dialog().m_editLimit->setText("12a");
    view->FocusAndSelectAll(EditBox::Limit);
    EXPECT_EQ(Dialog().m_editLimit->selectedText(), "12a");
}

TEST_F(QtViewTest, EnterEscAndCloseChangeNothing) {
    CallUpSettings();
    Dialog().m_editWatchDir->setFocus();
    QTest::keyClick(Dialog().m_editWatchDir, Qt::Key_Return);
    QTest::keyClick(Dialog().m_editLimit, Qt::Key_Enter);
    QTest::keyClick(&Dialog(), Qt::Key_Escape);
    EXPECT_FALSE(Dialog().close());
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_TRUE(dlg->IsVisible());

    // Enter in the status box starts a new line there.
    Dialog().m_editStatus->setPlainText("a");
    Dialog().m_editStatus->moveCursor(QTextCursor::End);
    QTest::keyClick(Dialog().m_editStatus, Qt::Key_Return);
    EXPECT_EQ(Dialog().m_editStatus->toPlainText(), "a\n");
    EXPECT_TRUE(Dialog().isVisible());
}

TEST_F(QtViewTest, TabFollowsTheTemplateOrder) {
    CallUpSettings();
    QApplication::setActiveWindow(&Dialog());
    Dialog().m_editWatchDir->setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order,
              (QStringList{"IDC_WATCH_DIR", "IDC_PROGRAM", "IDC_LIMIT", "IDC_APPLY", "IDC_DISCARD",
                           "IDC_BROWSE_PROGRAM", "IDC_BROWSE_DIR", "IDC_STATUS", "IDC_WATCH_DIR"}));
}

TEST_F(QtViewTest, ControlsFollowTheDescriptionInDialogUnits) {
    const DialogUnits units(Dialog().font());
    const auto widgets = Dialog().findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(widgets.size(), static_cast<qsizetype>(kSettingsDialog.controls.size()));
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        const DialogControl& control = kSettingsDialog.controls[static_cast<std::size_t>(i)];
        const QWidget* widget = widgets[i];
        const QRect place = units.ToPixels(control.x, control.y, control.width, control.height);
        QRect shown = widget->geometry();
        if (control.kind == ControlKind::Label) // it may grow to its text
            shown.setWidth(std::min(shown.width(), place.width()));
        EXPECT_EQ(shown, place) << i;
        if (control.text) { // a label's or a button's
            EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(control.text)) << i;
        }
    }
    EXPECT_EQ(Dialog().height(), units.ToPixels(0, 0, 0, kSettingsDialog.height).height());
    EXPECT_TRUE(Dialog().m_editLimit->alignment() & Qt::AlignRight);
    EXPECT_FALSE(Dialog().m_buttonApply->isDefault());
    EXPECT_FALSE(Dialog().m_buttonApply->autoDefault());
    EXPECT_FALSE(Dialog().m_editStatus->isReadOnly());
}

TEST_F(QtViewTest, StatusBoxShowsTheConvertingStatusOnTwoLines) {
    state.g_strStatus.Set(texts::Converting("clip", 1));
    state.g_bConverting = 1;
    dlg->OnTimer();
    EXPECT_EQ(Dialog().m_editStatus->toPlainText(),
              QString::fromUtf8("clipを変換中\n変換動画数 1"));
    EXPECT_EQ(view->TrayIconObject().icon().cacheKey(), view->Icon(TrayIcon::Anim2).cacheKey());
}

TEST_F(QtViewTest, BrowseProgramStartsFromThePublishedProgramAndListsEveryFile) {
    const fs::path converter = m_dir / "convert-it";
    std::ofstream(converter) << "#!/bin/sh\n";
    CallUpSettings();
    QStringList filters;
    QString startDir;
    bool listsEverything = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        startDir = dialog->directory().absolutePath();
        auto* model = dialog->findChild<QFileSystemModel*>();
        listsEverything = model && QDir::match(model->nameFilters(), "convert-it");
        dialog->selectFile(QString::fromStdString(converter.string()));
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
    });
    QTest::mouseClick(Dialog().m_buttonBrowseProgram, Qt::LeftButton);
    EXPECT_EQ(filters, QStringList{QString::fromUtf8("すべてのファイル (*)")});
    EXPECT_EQ(startDir, "/bin");
    EXPECT_TRUE(listsEverything);
    EXPECT_EQ(Dialog().m_editProgram->text().toStdString(), converter.string());
    EXPECT_EQ(dlg->Settings().strProgram, "/bin/true"); // only the box changed
}

TEST_F(QtViewTest, BrowseFolderPutsTheFolderWithSeparatorAndKeepsTheBoxForRoot) {
    fs::create_directories(m_dir / "in" / "next");
    CallUpSettings();
    QString title, startDir;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        startDir = dialog->directory().absolutePath();
        // The user opens "next" and presses Choose. (selectFile would leave
        // the name box alone whenever it has the focus, which varies.)
        dialog->setDirectory(QString::fromStdString((m_dir / "in" / "next").string()));
        static_cast<QDialog*>(dialog)->accept(); // as the Choose button does
    });
    QTest::mouseClick(Dialog().m_buttonBrowseDir, Qt::LeftButton);
    EXPECT_EQ(title, QString::fromUtf8("監視フォルダの指定"));
    EXPECT_EQ(startDir.toStdString(), (m_dir / "in").string());
    EXPECT_EQ(Dialog().m_editWatchDir->text().toStdString(),
              (m_dir / "in" / "next").string() + "/");

    WhenModal([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->setDirectory("/");
        dialog->selectFile("/");
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
    });
    QTest::mouseClick(Dialog().m_buttonBrowseDir, Qt::LeftButton);
    EXPECT_EQ(Dialog().m_editWatchDir->text().toStdString(),
              (m_dir / "in" / "next").string() + "/");
}

// Answers the next modal message box with OK and keeps its text and icon.
struct MessageSeen {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
void AnswerNextMessage(MessageSeen& seen) {
    WhenModal([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->icon()};
        box->button(QMessageBox::Ok)->click();
    });
}

TEST_F(QtViewTest, BoxesGiveBackTheBytesTheyWereGivenAndWhatWasTypedAroundThem) {
    // A folder in Latin-1, which is not UTF-8.
    dlg.reset(); // which writes the file
    std::ofstream(m_dir / "Kovaset.ini") << "/srv/caf\xe9/\n/bin/\xff conv\n12\n";
    StartController();
    CallUpSettings();
    Dialog().m_editLimit->setText("13");
    Dialog().m_editProgram->end(false);
    CommitText(Dialog().m_editProgram, QString::fromUtf8(" 録画"));
    QTest::mouseClick(Dialog().m_buttonApply, Qt::LeftButton);
    EXPECT_EQ(dlg->Settings().strWatchDir, "/srv/caf\xe9/");
    EXPECT_EQ(dlg->Settings().strProgram, "/bin/\xff conv 録画");
    EXPECT_EQ(dlg->Settings().nLimitMB, 13u);

    for (const std::string bytes : {"\xed\xb2\x80", "\xc0\xaf", "\xf4\x90\x80\x80", "a\xe3\x81",
                                    "\xf0\x9f\x98\x80\x80", "録画"})
        EXPECT_EQ(BytesFromText(TextFromBytes(bytes)), bytes);
}

TEST_F(QtViewTest, AFolderWithALineFeedIsRefusedInTheBrowser) {
    const fs::path odd = m_dir / "in" / "two\nlines";
    fs::create_directories(odd);
    CallUpSettings();
    const QString before = Dialog().m_editWatchDir->text();
    MessageSeen seen;
    WhenModal([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->setDirectory(QString::fromStdString(odd.string()));
        AnswerNextMessage(seen);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(Dialog().m_buttonBrowseDir, Qt::LeftButton);
    EXPECT_EQ(seen.text, QString::fromUtf8(texts::kLineBreakInChosenFolder));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(Dialog().m_editWatchDir->text(), before);
}

TEST_F(QtViewTest, AFailedSaveIsShownBeforeTheEnd) {
    const fs::path file = m_dir / "Kovaset.ini";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    MessageSeen seen;
    AnswerNextMessage(seen);
    view->TrayMenu().actions().at(2)->trigger();
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(seen.text.contains(QString::fromStdString(file.string())));
    EXPECT_TRUE(seen.text.contains(QString::fromUtf8("読み取り専用")));
    EXPECT_FALSE(view->Timer().isActive()); // ended after the message
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(QtViewTest, TheTooltipHoldsTheWholeStatus) {
    const std::string title = "二十文字の題名がある長い録画のファイルです";
    state.g_strStatus.Set(texts::Converting(title, 3));
    dlg->OnTimer();
    EXPECT_EQ(view->TrayIconObject().toolTip(),
              QString::fromStdString(title + "を変換中\n変換動画数 3"));

    // Markup in a title is escaped: a rich-text tray shows it as it stands.
    const std::string markup = "<img src=x>&<a href=y>";
    state.g_strStatus.Set(texts::Converting(markup, 1));
    dlg->OnTimer();
    QTextDocument shown;
    shown.setHtml(view->TrayIconObject().toolTip());
    EXPECT_EQ(shown.toPlainText(), QString::fromStdString(markup + "を変換中\n変換動画数 1"));
}

TEST_F(QtViewTest, ANoticeShowsTheMarkupOfAFailedTitleAsItStands) {
    const std::string markup = "<img src=x>&<a href=y>";
    state.g_failedTitles.Push(markup);
    dlg->OnTimer();
    QTextDocument shown;
    shown.setHtml(view->LastNotice().text);
    EXPECT_EQ(shown.toPlainText(), QString::fromStdString(texts::FailedNotice(markup)));
}

TEST_F(QtViewTest, EveryStopRequestEndsTheProgramWithTheSettingsWritten) {
    std::function<void()> request;
    static StopBridge& bridge = *new StopBridge; // as the process's, never destroyed
    ASSERT_TRUE(bridge.Watch([&](std::function<void()> onStop) {
        request = std::move(onStop);
        return true;
    }));
    request(); // before the controller runs: remembered
    Dialog().m_editWatchDir->setText("/srv/typed/");
    bridge.Run(qApp, dlg.get());
    std::thread([&] { request(); }).join(); // a second one, from another thread
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->Timer().isActive(); }, kWaitMs));
    QCoreApplication::processEvents();
    // Written by the request, as the controller still runs: the folder as
    // published (the file had it without "/"), not the box's unapplied text.
    std::ifstream in(m_dir / "Kovaset.ini");
    std::string folder;
    std::getline(in, folder);
    EXPECT_EQ(folder, (m_dir / "in").string() + "/");
    bridge.Run(nullptr, nullptr);
    request(); // after the end: nothing happens
    dlg.reset();
    EXPECT_FALSE(bridge.Watch([](std::function<void()>) { return false; }));
}

TEST_F(QtViewTest, ExitStopsTheTickAndRemovesTheIconAtDestruction) {
    CallUpSettings();
    view->TrayMenu().actions().at(2)->trigger();
    EXPECT_FALSE(view->Timer().isActive());
    EXPECT_FALSE(Dialog().isVisible());
    dlg.reset();
    EXPECT_FALSE(view->TrayIconObject().isVisible());
}

} // namespace
