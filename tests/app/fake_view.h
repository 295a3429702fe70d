// A view that keeps the dialog's boxes and the tray icon in memory and logs
// every call, for driving CWatchDlg without a window system.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/watch_view.h"

class FakeView : public IWatchView {
  public:
    std::map<EditBox, std::string> boxes;
    bool shown = false;
    bool trayPresent = false;
    TrayIcon trayIcon = TrayIcon::Idle;
    std::string trayTip;
    std::optional<EditBox> focused;
    unsigned timerMs = 0;
    bool destroyed = false;
    int menusOpened = 0;
    int refusals = 0;
    std::vector<std::string> notices;
    struct Message {
        std::string text;
        MessageIcon icon;
    };
    std::vector<Message> messages;
    std::vector<std::string> log;

    // Answers of the next browse dialogs, and the start paths they were given.
    std::deque<std::optional<std::string>> programAnswers, folderAnswers;
    std::vector<std::string> programStarts, folderStarts;
    // Runs while the refusal message, or any other message, is "open".
    std::function<void()> duringRefusal, duringMessage;

    void ShowWindow(bool show) override {
        shown = show;
        log.push_back(show ? "show" : "hide");
    }
    std::string GetBoxText(EditBox box) override { return boxes[box]; }
    void SetBoxText(EditBox box, const std::string& text) override { boxes[box] = text; }
    void FocusAndSelectAll(EditBox box) override {
        focused = box;
        log.push_back("focus");
    }
    void AddTrayIcon(TrayIcon icon, const std::string& tip) override {
        trayPresent = true;
        trayIcon = icon;
        trayTip = tip;
        log.push_back("tray add " + tip);
    }
    void ModifyTrayIcon(TrayIcon icon, const std::string& tip) override {
        trayIcon = icon;
        trayTip = tip;
    }
    void DeleteTrayIcon() override {
        trayPresent = false;
        log.push_back("tray delete");
    }
    void ShowTrayNotice(const std::string& caption, const std::string& text) override {
        notices.push_back(caption + ": " + text);
    }
    void OpenTrayMenu() override { ++menusOpened; }
    void ShowLimitRefusal() override {
        ++refusals;
        log.push_back("refusal");
        if (duringRefusal)
            duringRefusal();
    }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back({text, icon});
        log.push_back(icon == MessageIcon::Error ? "error message" : "warning message");
        if (duringMessage)
            duringMessage();
    }
    std::optional<std::string> BrowseProgram(const std::string& startPath) override {
        programStarts.push_back(startPath);
        return Next(programAnswers);
    }
    std::optional<std::string> BrowseFolder(const std::string& startPath) override {
        folderStarts.push_back(startPath);
        return Next(folderAnswers);
    }
    void StartTimer(unsigned periodMs) override {
        timerMs = periodMs;
        log.push_back("timer " + std::to_string(periodMs));
    }
    void DestroyWindow() override {
        destroyed = true;
        shown = false;
        timerMs = 0;
        log.push_back("destroy");
    }

  private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
