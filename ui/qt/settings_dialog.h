// The settings dialog, laid out from the IDD_MAIN template. It draws and
// reports clicks; CWatchDlg decides everything.
#pragma once

#include <QDialog>

#include <functional>

#include "ui/qt/dialog_units.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class LimitEdit;

class SettingsDialog : public QDialog {
  public:
    // `mayShow` tells whether the controller has called the dialog up; the
    // dialog never goes on screen while it is false.
    explicit SettingsDialog(std::function<bool()> mayShow);

    void setVisible(bool visible) override;

    // Enter and Esc end nothing; neither does a close request.
    void accept() override {}
    void reject() override {}

    QLineEdit* m_editWatchDir;
    QLineEdit* m_editProgram;
    LimitEdit* m_editLimit;
    QPlainTextEdit* m_editStatus;
    QPushButton* m_buttonApply;
    QPushButton* m_buttonDiscard;
    QPushButton* m_buttonBrowseProgram;
    QPushButton* m_buttonBrowseDir;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Place(QWidget* control, int x, int y, int width, int height);
    QLabel* AddLabel(const char* text, int x, int y, int width, int height);
    QPushButton* AddButton(const char* name, const char* text, int x, int y, int width);

    std::function<bool()> m_mayShow;
    DialogUnits m_units; // of the template's font
};
