#pragma once

#include <QDialog>

#include "document/TextLines.h"
#include "model/KineticProject.h"

class QPlainTextEdit;
class QPushButton;

namespace zamo {

class Platform;

// The full output report (TOutPutForm): a read-only text in a fixed-pitch font with the
// report of the current experiment, empty while no project is valid or the experiment is
// absent. Any key pressed while text is selected copies the selection to the clipboard.
// Below the 632 x 547 text, "Save As" writes the report as a text file and "Print" prints it
// through the print dialog (to a printer or a PDF file); both are disabled for an empty
// report. The report stays as it was built when the window was created.
class TOutPutForm : public QDialog {
  Q_OBJECT

 public:
  TOutPutForm(const KineticProject& project, Platform& platform, QWidget* parent);

  QPlainTextEdit* OutPut() const { return output_; }

  void SaveAsClick();
  void PrintClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Platform& platform_;
  TextLines lines_;
  QPlainTextEdit* output_;
};

}  // namespace zamo
