#pragma once

#include <QLineEdit>

namespace zamo {

// An edit box with an input mask. Leaving it runs the owner's exit handler; leaving it
// while the text does not fill the mask's required places is refused instead: the box
// keeps the focus and the owner is told (it beeps and says so). Enter commits the text as
// leaving would, and keeps the focus. Escape puts back the text the box had when it got
// the focus.
class MaskEdit : public QLineEdit {
  Q_OBJECT

 public:
  MaskEdit(const QString& name, const QString& mask, QWidget* parent = nullptr);

  // The text as shown, mask literals included and blank places as the blank character.
  QString ShownText() const { return displayText(); }

  const QString& Mask() const { return mask_; }
  void SetMask(const QString& mask);

 signals:
  void exited(MaskEdit* box);
  void refused(MaskEdit* box);

 protected:
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString mask_;
  QString literals_;
  QString textOnEntry_;
  bool refusing_ = false;
};

}  // namespace zamo
