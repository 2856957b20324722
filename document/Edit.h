#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zamo {

class TFZamo;

// "Edit Zamo-Data" (TEditForm): the project text in an editable box. OK reads the text again
// as the open project, but only when it was edited, and then marks the project modified; a
// text the reader refuses shows its error and the open project stays as it was. Cancel
// changes nothing.
class TEditForm : public QDialog {
  Q_OBJECT

 public:
  TEditForm(TFZamo& main, QWidget* parent);

  QPlainTextEdit* EMemo() const { return memo_; }
  void BitBtn1OKClick();
  void BitBtnCancel2Click();

 private:
  TFZamo& main_;
  QPlainTextEdit* memo_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace zamo
