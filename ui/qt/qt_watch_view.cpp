#include "ui/qt/qt_watch_view.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "app/watch_dlg.h"
#include "core/texts.h"
#include "ui/qt/byte_text.h"

namespace {

// The status as shown on screen: the worker ends its lines with CR LF.
QString StatusText(const std::string& status) {
    QString text = TextFromBytes(status);
    text.replace("\r\n", "\n");
    return text;
}

// The tooltip and the notices may be drawn as rich text (by Qt itself, or by
// a D-Bus tray host), where a title's "<img>" or "<a href>" would act: text
// with markup characters goes out escaped, as HTML that shows exactly the
// plain text. Other text stays plain.
QString TrayText(const std::string& text) {
    const QString plain = StatusText(text);
    return plain.toHtmlEscaped() == plain ? plain : Qt::convertFromPlainText(plain);
}

// An icon with every drawn size of one picture.
QIcon LoadIcon(const QString& name, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes)
        icon.addFile(QString(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

// The tray pictures in TrayIcon order: the program's icon, then the frames.
std::array<QIcon, kTrayIconCount> LoadTrayIcons() {
    std::array<QIcon, kTrayIconCount> icons;
    icons[0] = LoadIcon("kovalin", {16, 24, 32, 48, 64, 128, 256});
    for (std::size_t frame = 1; frame < icons.size(); ++frame)
        icons[frame] = LoadIcon(QString("kovalin-anim%1").arg(frame), {16, 32, 48});
    return icons;
}

} // namespace

QtWatchView::QtWatchView()
    : m_trayIcons(LoadTrayIcons()),
      m_dialog(std::make_unique<SettingsDialog>([this] { return m_dlg && m_dlg->IsVisible(); })) {
    m_dialog->setWindowIcon(Icon(TrayIcon::Idle));
    QApplication::setWindowIcon(Icon(TrayIcon::Idle));
    m_menuTray.setObjectName("IDR_TRAY_MENU");
    QAction* settings = m_menuTray.addAction(QString::fromUtf8(texts::kMenuSettings));
    m_menuTray.addSeparator();
    QAction* exit = m_menuTray.addAction(QString::fromUtf8(texts::kMenuExit));
    settings->setObjectName("ID_TRAY_SETTINGS");
    exit->setObjectName("ID_TRAY_EXIT");
    // Hosts that draw the menu themselves (StatusNotifierItem over D-Bus, as
    // on KDE Plasma and GNOME's AppIndicator) read it from the tray icon.
    m_trayIcon.setContextMenu(&m_menuTray);

    QObject::connect(settings, &QAction::triggered, [this] {
        if (m_dlg)
            m_dlg->OnTraySettings();
    });
    QObject::connect(exit, &QAction::triggered, [this] {
        if (m_dlg)
            m_dlg->OnTrayExit();
    });
    QObject::connect(&m_trayIcon, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!m_dlg)
                             return;
                         // Qt reports a left press as Trigger and a right one as Context.
                         const TrayMouse mouse =
                             reason == QSystemTrayIcon::Trigger   ? TrayMouse::LeftButtonDown
                             : reason == QSystemTrayIcon::Context ? TrayMouse::RightButtonDown
                                                                  : TrayMouse::Other;
                         m_dlg->OnTrayNotify(CWatchDlg::kTrayIconId, mouse);
                     });
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_dlg)
            m_dlg->OnTimer();
    });
    ConnectDialog();
}

QtWatchView::~QtWatchView() = default;

void QtWatchView::Attach(CWatchDlg* dlg) {
    m_dlg = dlg;
}

void QtWatchView::ConnectDialog() {
    QObject::connect(m_dialog->m_buttonApply, &QPushButton::clicked, [this] {
        if (m_dlg)
            m_dlg->OnApply();
    });
    QObject::connect(m_dialog->m_buttonDiscard, &QPushButton::clicked, [this] {
        if (m_dlg)
            m_dlg->OnDiscard();
    });
    QObject::connect(m_dialog->m_buttonBrowseProgram, &QPushButton::clicked, [this] {
        if (m_dlg)
            m_dlg->OnBrowseProgram();
    });
    QObject::connect(m_dialog->m_buttonBrowseDir, &QPushButton::clicked, [this] {
        if (m_dlg)
            m_dlg->OnBrowseDir();
    });
}

void QtWatchView::ShowWindow(bool show) {
    if (!show) {
        m_dialog->hide();
        return;
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

std::string QtWatchView::GetBoxText(EditBox box) {
    QWidget* edit = m_dialog->Box(box);
    if (auto* lines = qobject_cast<QPlainTextEdit*>(edit))
        return BytesFromText(lines->toPlainText());
    return BytesFromText(static_cast<QLineEdit*>(edit)->text());
}

void QtWatchView::SetBoxText(EditBox box, const std::string& text) {
    QWidget* edit = m_dialog->Box(box);
    if (auto* lines = qobject_cast<QPlainTextEdit*>(edit)) {
        // The status box keeps plain line feeds.
        const QString status = StatusText(text);
        if (status != lines->toPlainText())
            lines->setPlainText(status);
        return;
    }
    static_cast<QLineEdit*>(edit)->setText(TextFromBytes(text));
}

void QtWatchView::FocusAndSelectAll(EditBox box) {
    QWidget* edit = m_dialog->Box(box);
    edit->setFocus();
    if (auto* lines = qobject_cast<QPlainTextEdit*>(edit))
        lines->selectAll();
    else
        static_cast<QLineEdit*>(edit)->selectAll();
}

void QtWatchView::AddTrayIcon(TrayIcon icon, const std::string& tip) {
    m_shownIcon = icon;
    m_trayIcon.setIcon(Icon(icon));
    m_trayIcon.setToolTip(TrayText(tip));
    m_trayIcon.show();
}

void QtWatchView::ModifyTrayIcon(TrayIcon icon, const std::string& tip) {
    // Only what changed is sent on: a tray host redraws on every change.
    // The tip is the whole status: a Linux tray has no byte limit.
    if (icon != m_shownIcon) {
        m_shownIcon = icon;
        m_trayIcon.setIcon(Icon(icon));
    }
    const QString qtTip = TrayText(tip);
    if (qtTip != m_trayIcon.toolTip())
        m_trayIcon.setToolTip(qtTip);
}

void QtWatchView::ShowTrayNotice(const std::string& caption, const std::string& text) {
    m_lastNotice = {TextFromBytes(caption), TrayText(text)};
    m_trayIcon.showMessage(m_lastNotice.caption, m_lastNotice.text, QSystemTrayIcon::Warning);
}

void QtWatchView::DeleteTrayIcon() {
    m_trayIcon.hide();
}

void QtWatchView::OpenTrayMenu() {
    // On a right click an X11 tray icon has opened its context menu already.
    if (!m_menuTray.isVisible())
        m_menuTray.popup(QCursor::pos());
}

void QtWatchView::ShowLimitRefusal() {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString::fromUtf8(texts::kLimitRefusal), QMessageBox::Ok, m_dialog.get());
    box.setObjectName("LimitRefusal");
    box.exec();
}

void QtWatchView::ShowMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning,
                    QCoreApplication::applicationName(), TextFromBytes(text), QMessageBox::Ok,
                    m_dialog.get());
    box.setObjectName("Message");
    box.exec();
}

std::optional<std::string> QtWatchView::BrowseProgram(const std::string& startPath) {
    QFileDialog dialog(m_dialog.get());
    dialog.setObjectName("BrowseProgram");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Programs carry no extension here: the one entry lists every file.
    dialog.setNameFilter(QString::fromUtf8(texts::kEveryFileFilter));
    if (!startPath.empty())
        dialog.selectFile(TextFromBytes(startPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return BytesFromText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

std::optional<std::string> QtWatchView::BrowseFolder(const std::string& startPath) {
    QFileDialog dialog(m_dialog.get(), QString::fromUtf8(texts::kFolderBrowserTitle),
                       TextFromBytes(startPath));
    dialog.setObjectName("BrowseFolder");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString folder = QDir::toNativeSeparators(dialog.selectedFiles().first());
    // A root stays the separator alone; any other folder loses a trailing one.
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return BytesFromText(folder);
}

void QtWatchView::StartTimer(unsigned periodMs) {
    m_timer.start(static_cast<int>(periodMs));
}

void QtWatchView::DestroyWindow() {
    m_timer.stop();
    m_dialog->hide();
    m_menuTray.hide();
    QCoreApplication::exit(0);
}
