// The limit box: typing puts digits only; pasted text is left to the
// controller's limit exchange.
#pragma once

#include <QLineEdit>

class LimitEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
