#include "ui/qt/settings_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

#include "core/texts.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/limit_edit.h"

namespace {

// The template's font; the CJK fallback stands in where it is not installed.
QFont TemplateFont() {
    QFont font;
    font.setFamilies({QString::fromUtf8(texts::kDialogFont), "MS PGothic", "Noto Sans CJK JP",
                      "IPAPGothic", "sans-serif"});
    font.setPointSize(9);
    return font;
}

QLineEdit* ConfigureEdit(QLineEdit* edit, const char* name) {
    edit->setObjectName(name);
    return edit;
}

} // namespace

SettingsDialog::SettingsDialog(std::function<bool()> mayShow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mayShow(std::move(mayShow)), m_units(TemplateFont()) {
    setObjectName("IDD_MAIN");
    setWindowTitle("Kovalin");
    setFont(TemplateFont());

    // Controls in template order, which is also the Tab order.
    m_editWatchDir = ConfigureEdit(new QLineEdit(this), "IDC_WATCH_DIR");
    Place(m_editWatchDir, 5, 17, 193, 14);
    AddLabel(texts::kLabelWatchDir, 5, 7, 52, 8);
    m_editProgram = ConfigureEdit(new QLineEdit(this), "IDC_PROGRAM");
    Place(m_editProgram, 5, 46, 192, 14);
    AddLabel(texts::kLabelProgram, 5, 36, 58, 8);
    AddLabel(texts::kLabelLimitBefore, 5, 68, 64, 8);
    m_editLimit = new LimitEdit(this);
    ConfigureEdit(m_editLimit, "IDC_LIMIT");
    m_editLimit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(m_editLimit, 74, 63, 40, 14);
    AddLabel(texts::kLabelLimitAfter, 117, 67, 130, 8);
    m_buttonApply = AddButton("IDC_APPLY", texts::kButtonApply, 198, 166, 50);
    m_buttonDiscard = AddButton("IDC_DISCARD", texts::kButtonDiscard, 143, 166, 50);
    m_buttonBrowseProgram = AddButton("IDC_BROWSE_PROGRAM", texts::kButtonBrowse, 200, 46, 36);
    m_buttonBrowseDir = AddButton("IDC_BROWSE_DIR", texts::kButtonBrowse, 201, 17, 36);
    AddLabel(texts::kLabelLimitZero, 73, 80, 87, 8);
    m_editStatus = new QPlainTextEdit(this);
    m_editStatus->setObjectName("IDC_STATUS");
    m_editStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editStatus->setTabChangesFocus(true);
    Place(m_editStatus, 5, 92, 243, 68);

    QWidget* const tabOrder[] = {m_editWatchDir,    m_editProgram,   m_editLimit,
                                 m_buttonApply,     m_buttonDiscard, m_buttonBrowseProgram,
                                 m_buttonBrowseDir, m_editStatus};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    QSize size = m_units.ToPixels(0, 0, 255, 187).size();
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        size.setWidth(std::max(size.width(), child->geometry().right() + m_units.BaseX()));
    setFixedSize(size);
    // Centred on the screen when created, as a template without a position is.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SettingsDialog::Place(QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(m_units.ToPixels(x, y, width, height));
}

QLabel* SettingsDialog::AddLabel(const char* text, int x, int y, int width, int height) {
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(label, x, y, width, height);
    // The template was measured with a font whose kana are narrower than most
    // Linux CJK fonts: a label grows to its text rather than cut it.
    if (label->width() < label->sizeHint().width())
        label->resize(label->sizeHint().width(), label->height());
    return label;
}

QPushButton* SettingsDialog::AddButton(const char* name, const char* text, int x, int y,
                                       int width) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(name);
    // No default button: Enter clicks nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    Place(button, x, y, width, 14);
    return button;
}

void SettingsDialog::setVisible(bool visible) {
    if (visible && !m_mayShow())
        return;
    QDialog::setVisible(visible);
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}
