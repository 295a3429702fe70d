#include "ui/qt/limit_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

bool IsTypedNonDigit(const QString& text) {
    for (const QChar c : text) {
        if (c.isPrint() && !(c >= u'0' && c <= u'9'))
            return true;
    }
    return false;
}

} // namespace

void LimitEdit::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Paste) && IsTypedNonDigit(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LimitEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (IsTypedNonDigit(event->commitString()) || !event->preeditString().isEmpty()) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}
