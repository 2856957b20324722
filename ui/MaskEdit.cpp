#include "ui/MaskEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace zamo {

MaskEdit::MaskEdit(const QString& name, const QString& mask, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  setInputMask(mask);
}

void MaskEdit::focusInEvent(QFocusEvent* event) {
  if (!refusing_) textOnEntry_ = text();
  QLineEdit::focusInEvent(event);
}

void MaskEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A window losing the focus as a whole (another application, a menu) is not leaving the box.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  if (refusing_) return;
  if (!hasAcceptableInput()) {
    refusing_ = true;
    emit refused(this);
    QTimer::singleShot(0, this, [this] {
      setFocus(Qt::OtherFocusReason);
      refusing_ = false;
    });
    return;
  }
  emit exited(this);
}

void MaskEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && text() != textOnEntry_) {
    setText(textOnEntry_);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace zamo
