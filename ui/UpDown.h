#pragma once

#include <QWidget>

class QToolButton;

namespace zamo {

// An up/down stepper with a counter of its own (-10000..10000, no wrap-around). A click on
// an arrow, repeated while the arrow is held, moves the counter and reports the direction;
// at the counter's end a click in that direction is ignored. Releasing the mouse reports
// once per press. It takes the keyboard focus when clicked or tabbed to, and then shows a
// frame in the highlight colour around its arrows; Up and Down keys step as well.
class UpDown : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinimum = -10000;
  static constexpr int kMaximum = 10000;

  explicit UpDown(const QString& name, QWidget* parent = nullptr);

  int Position() const { return position_; }
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void stepped(UpDown* stepper, bool up);
  void released(UpDown* stepper);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Step(bool up);

  int position_ = 0;
  QToolButton* up_;
  QToolButton* down_;
  // Over the arrows, which cover the stepper whole and never take the focus themselves.
  QWidget* focusMark_;
};

}  // namespace zamo
