#pragma once

#include <QDialog>

class QTextBrowser;

namespace zamo {

// The program's help, "HMavrin95", a user guide shown at its contents page.
class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kHelpFile = "qrc:/zamo/HMavrin95.html";

  explicit HelpWindow(QWidget* parent);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace zamo
