#pragma once

#include <QDialog>

#include "document/TextLines.h"

class QPlainTextEdit;
class QPushButton;

namespace zamo {

class Platform;
class ProjectSession;

// "Edit Zamo-Data" (TEditForm): the project as it is when the dialog opens, as the text a save
// would write, in an editable box. OK reads the text again as the open project, but only
// when it was edited, as one step of the history; a text the reader refuses shows its error
// and the open project stays as it was. Cancel changes nothing.
class TEditForm : public QDialog {
  Q_OBJECT

 public:
  TEditForm(ProjectSession& session, Platform& platform, QWidget* parent);

  QPlainTextEdit* EMemo() const { return memo_; }
  void BitBtn1OKClick();
  void BitBtnCancel2Click();

 private:
  ProjectSession& session_;
  Platform& platform_;
  TextLines shown_;
  QPlainTextEdit* memo_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace zamo
