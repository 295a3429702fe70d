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

#include "app/settings_dialog_template.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/limit_edit.h"

namespace {

// The template's font; the CJK fallback stands in where it is not installed.
QFont TemplateFont() {
    QFont font;
    font.setFamilies({QString::fromUtf8(kSettingsDialog.font), "MS PGothic", "Noto Sans CJK JP",
                      "IPAPGothic", "sans-serif"});
    font.setPointSize(kSettingsDialog.pointSize);
    return font;
}

QLineEdit* NewEdit(unsigned style, QWidget* parent) {
    QLineEdit* edit = (style & kNumbersOnly) ? new LimitEdit(parent) : new QLineEdit(parent);
    if (style & kRightAligned)
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QPlainTextEdit* NewMultiLineEdit(QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setTabChangesFocus(true);
    return edit;
}

QLabel* NewLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* NewButton(const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    // No default button: Enter clicks nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// The button of the template named `idName`.
QPushButton* Button(const QDialog& dialog, const char* idName) {
    return dialog.findChild<QPushButton*>(idName, Qt::FindDirectChildrenOnly);
}

} // namespace

SettingsDialog::SettingsDialog(std::function<bool()> mayShow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mayShow(std::move(mayShow)), m_units(TemplateFont()) {
    setObjectName(kSettingsDialog.name);
    setWindowTitle(kSettingsDialog.caption);
    setFont(TemplateFont());

    // Created in template order, which Qt follows as the Tab order.
    for (const DialogControl& control : kSettingsDialog.controls)
        AddControl(control);
    m_editWatchDir = static_cast<QLineEdit*>(Box(EditBox::WatchDir));
    m_editProgram = static_cast<QLineEdit*>(Box(EditBox::Program));
    m_editLimit = static_cast<QLineEdit*>(Box(EditBox::Limit));
    m_editStatus = static_cast<QPlainTextEdit*>(Box(EditBox::Status));
    m_buttonApply = Button(*this, "IDC_APPLY");
    m_buttonDiscard = Button(*this, "IDC_DISCARD");
    m_buttonBrowseProgram = Button(*this, "IDC_BROWSE_PROGRAM");
    m_buttonBrowseDir = Button(*this, "IDC_BROWSE_DIR");

    QSize size = m_units.ToPixels(0, 0, kSettingsDialog.width, kSettingsDialog.height).size();
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        size.setWidth(std::max(size.width(), child->geometry().right() + m_units.BaseX()));
    setFixedSize(size);
    // Centred on the screen when created, as a template without a position is.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SettingsDialog::AddControl(const DialogControl& control) {
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Edit:
        widget = NewEdit(control.style, this);
        break;
    case ControlKind::MultiLineEdit:
        widget = NewMultiLineEdit(this);
        break;
    case ControlKind::Label:
        widget = NewLabel(control.text, this);
        break;
    case ControlKind::Button:
        widget = NewButton(control.text, this);
        break;
    }
    if (control.idName) {
        widget->setObjectName(control.idName);
        m_controls[control.id] = widget;
    }
    widget->setGeometry(m_units.ToPixels(control.x, control.y, control.width, control.height));
    // The template was measured with a font whose kana are narrower than most
    // Linux CJK fonts: a label grows to its text rather than cut it.
    if (control.kind == ControlKind::Label && widget->width() < widget->sizeHint().width())
        widget->resize(widget->sizeHint().width(), widget->height());
}

QWidget* SettingsDialog::Box(EditBox box) const {
    return m_controls.at(static_cast<int>(box));
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
