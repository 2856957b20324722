#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <optional>

#include "document/DataFileImport.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zamo {

class MaskEdit;
class Platform;
class ProjectSession;

// "Import Zamo-Data-File" (TNewFileForm): builds a new project from one or two experimental
// data files. It collects the title, author, names and files, checks them, lets the core
// analyse the files into the project, shows it and has it saved under a new name.
//
// Besides ".dat" files it reads delimited tables (".csv", ".tsv", ".txt"), chosen as files
// or pasted from the clipboard ("Paste Table", what a spreadsheet copies). A table is read
// when it is loaded; one that is refused shows its error (file or "clipboard", line and
// column) and changes nothing. A table holds no temperature: loading one into an empty
// temperature box puts the open project's temperature there, and without a ".dat" file the
// box's temperature and the open project's rate constants count.
//
// The dialog keeps its own record of the files loaded in it; the open project, its
// experiments included, is left as it is until an import succeeds (so a Save while the
// dialog is open still writes every experiment), and Cancel leaves it untouched. OK asks the
// main window's save question about a modified project first, as Open does; the import is
// one step of the history.
class TNewFileForm : public QDialog {
  Q_OBJECT

 public:
  // savePrompt runs the main window's save prompt and answers false when the user cancelled
  // it; saveAs runs its "Save &As" for the imported project.
  TNewFileForm(ProjectSession& session, Platform& platform, std::function<bool()> savePrompt,
               std::function<void()> saveAs, QWidget* parent);

  void BitBtn3Click();  // load the left file
  void BitBtn4Click();  // load the right file
  void BitBtn1OKClick();
  void BitBtn2Click();
  void PasteTableClick(bool left);

  // Loads one or two files dropped on the main window, each into the experiment its start row
  // fits (a start without B is the left reaction's); when both fit the same one, the second
  // goes to the other. A file that cannot be read shows its error.
  void LoadFiles(const QStringList& paths);

  bool Imported() const { return imported_; }

 private:
  void LoadFile(bool left);
  // Takes the choice for an experiment: the file panel shows its source, the temperature box
  // its temperature. A table that is refused throws and changes nothing.
  void Take(bool left, DataFileChoice choice);
  ImportRequest Request() const;

  void Guarded(const std::function<void()>& handler);

  ProjectSession& session_;
  Platform& platform_;
  std::function<bool()> savePrompt_;
  std::function<void()> saveAs_;
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
