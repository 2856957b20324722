#pragma once

#include <QDialog>

class QTextBrowser;

namespace zamo {

// The program's help, "HMavrin95": the user guide docs/help.md, also read beside the README,
// shown from its start. Its headings take the anchors GitHub gives them, so that the guide's
// links to its own sections work alike here and there.
class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kHelpFile = "qrc:/zamo/HMavrin95.md";

  explicit HelpWindow(QWidget* parent);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace zamo
