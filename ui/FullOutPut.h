#pragma once

#include <QDialog>

#include "model/KineticProject.h"

class QPlainTextEdit;

namespace zamo {

class Platform;

// The full output report (TOutPutForm): a read-only text in a fixed-pitch font with the
// report of the current experiment, empty while no project is valid or the experiment is
// absent. Any key pressed while text is selected copies the selection to the clipboard.
class TOutPutForm : public QDialog {
  Q_OBJECT

 public:
  TOutPutForm(const KineticProject& project, Platform& platform, QWidget* parent);

  QPlainTextEdit* OutPut() const { return output_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Platform& platform_;
  QPlainTextEdit* output_;
};

}  // namespace zamo
