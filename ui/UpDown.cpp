#include "ui/UpDown.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

namespace zamo {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setAutoRepeatDelay(400);
  button->setAutoRepeatInterval(60);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(false);
  return button;
}

// A frame in the highlight colour, drawn while the stepper it lies on has the focus.
class FocusMark : public QWidget {
 public:
  explicit FocusMark(QWidget* stepper) : QWidget(stepper) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!parentWidget()->hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
  }
};

}  // namespace

UpDown::UpDown(const QString& name, QWidget* parent)
    : QWidget(parent),
      up_(MakeArrow(this, Qt::UpArrow)),
      down_(MakeArrow(this, Qt::DownArrow)),
      focusMark_(new FocusMark(this)) {
  setObjectName(name);
  setFocusPolicy(Qt::StrongFocus);
  // A step happens when an arrow goes down and again at every repetition while it is held
  // (auto-repeat sends released, clicked and pressed each time with the button still down).
  for (QToolButton* button : {up_, down_}) {
    const bool up = button == up_;
    connect(button, &QToolButton::pressed, this, [this, up] {
      if (!hasFocus()) setFocus(Qt::MouseFocusReason);
      Step(up);
    });
    connect(button, &QToolButton::released, this, [this, button] {
      if (!button->isDown()) emit released(this);
    });
  }
}

void UpDown::Step(bool up) {
  if (up ? position_ >= kMaximum : position_ <= kMinimum) return;
  position_ += up ? 1 : -1;
  emit stepped(this, up);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    Step(event->key() == Qt::Key_Up);
    return;
  }
  QWidget::keyPressEvent(event);
}

void UpDown::keyReleaseEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && !event->isAutoRepeat()) {
    emit released(this);
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void UpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
  focusMark_->setGeometry(rect());
  focusMark_->raise();
}

void UpDown::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  focusMark_->update();
}

void UpDown::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  focusMark_->update();
}

}  // namespace zamo
