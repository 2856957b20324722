#include "ui/MaskEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace zamo {

namespace {

// The literal characters of an input mask by position; placeholders are null characters.
QString MaskLiterals(const QString& mask) {
  static const QString kPlaceholders = QStringLiteral("AaNnXx90Dd#HhBb");
  const QString pattern = mask.section(QLatin1Char(';'), 0, 0);
  QString literals;
  for (int i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern.at(i);
    if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
      literals.append(pattern.at(++i));
    } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')) {
      continue;
    } else {
      literals.append(kPlaceholders.contains(c) ? QChar() : c);
    }
  }
  return literals;
}

}  // namespace

MaskEdit::MaskEdit(const QString& name, const QString& mask, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  SetMask(mask);
}

void MaskEdit::SetMask(const QString& mask) {
  mask_ = mask;
  literals_ = MaskLiterals(mask);
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

// Copy and paste belong to the window's menu even while a box has the focus.
bool MaskEdit::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)) {
      event->ignore();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void MaskEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (hasAcceptableInput()) {
      emit exited(this);
    } else {
      emit refused(this);
    }
    return;
  }
  if (event->key() == Qt::Key_Escape && text() != textOnEntry_) {
    setText(textOnEntry_);
    return;
  }
  // Typing a literal ("." or "E") steps over it where it stands at the cursor, and is taken
  // as already typed where the cursor has just passed it, as in the classic masked edit;
  // the toolkit would instead put it into the next place that accepts any character.
  const int at = cursorPosition();
  const auto isLiteral = [&](int position) {
    return event->text().size() == 1 && position >= 0 && position < literals_.size() &&
           !literals_.at(position).isNull() && event->text().at(0).toUpper() == literals_.at(position).toUpper();
  };
  if (!hasSelectedText() && isLiteral(at)) {
    setCursorPosition(at + 1);
    return;
  }
  if (!hasSelectedText() && isLiteral(at - 1)) return;
  QLineEdit::keyPressEvent(event);
}

}  // namespace zamo
