#pragma once

#include <QDialog>
#include <optional>

#include "document/DataFileImport.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zamo {

class MaskEdit;
class TFZamo;

// "Import Zamo-Data-File" (TNewFileForm): builds a new project from one or two experimental
// data files. It collects the title, author, names and files, checks them, lets the core
// analyse the files into the project, shows it and has it saved under a new name.
//
// The dialog keeps its own record of the files loaded in it; the open project, its
// experiments included, is left as it is until an import succeeds (so a Save while the
// dialog is open still writes every experiment), and Cancel leaves it untouched.
class TNewFileForm : public QDialog {
  Q_OBJECT

 public:
  TNewFileForm(TFZamo& main, QWidget* parent);

  void BitBtn3Click();  // load the left file
  void BitBtn4Click();  // load the right file
  void BitBtn1OKClick();
  void BitBtn2Click();

  bool Imported() const { return imported_; }

 private:
  void LoadFile(bool left);
  ImportRequest Request() const;

  TFZamo& main_;
  std::optional<DataFileChoice> left_;
  std::optional<DataFileChoice> right_;
  bool imported_ = false;

  QLineEdit* title_;
  QLineEdit* author_;
  QLineEdit* leftName_;
  QLineEdit* rightName_;
  QLabel* leftFile_;
  QLabel* rightFile_;
  MaskEdit* temperature_;
  MaskEdit* rateCount_;
};

}  // namespace zamo
