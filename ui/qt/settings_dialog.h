// The settings dialog, built from the description of IDD_MAIN. It draws and
// reports clicks; CWatchDlg decides everything.
#pragma once

#include <QDialog>

#include <functional>
#include <map>

#include "app/watch_view.h"
#include "ui/qt/dialog_units.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct DialogControl;

class SettingsDialog : public QDialog {
  public:
    // `mayShow` tells whether the controller has called the dialog up; the
    // dialog never goes on screen while it is false.
    explicit SettingsDialog(std::function<bool()> mayShow);

    void setVisible(bool visible) override;

    // The edit box of that identifier, as the Win32 view finds it.
    QWidget* Box(EditBox box) const;

    // Enter and Esc end nothing; neither does a close request.
    void accept() override {}
    void reject() override {}

    QLineEdit* m_editWatchDir;
    QLineEdit* m_editProgram;
    QLineEdit* m_editLimit;
    QPlainTextEdit* m_editStatus;
    QPushButton* m_buttonApply;
    QPushButton* m_buttonDiscard;
    QPushButton* m_buttonBrowseProgram;
    QPushButton* m_buttonBrowseDir;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void AddControl(const DialogControl& control);

    std::function<bool()> m_mayShow;
    DialogUnits m_units;                // of the template's font
    std::map<int, QWidget*> m_controls; // the controls that have an identifier, by it
};
