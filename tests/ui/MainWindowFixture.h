#pragma once

#include <QKeyCombination>
#include <QObject>
#include <optional>

#include "app/ZamoMain.h"
#include "tests/ui/FakePlatform.h"

class QLabel;
class QScrollBar;
namespace zamo {
class MaskEdit;
class UpDown;
}  // namespace zamo

namespace zamo::testing {

// A main window on a scripted platform; its controls are found by their object names.
class MainWindowFixture {
 public:
  MainWindowFixture() = default;
  MainWindowFixture(const MainWindowFixture&) = delete;
  MainWindowFixture& operator=(const MainWindowFixture&) = delete;

  // Shows the window and waits until it is active (focus changes need that); false if never.
  [[nodiscard]] bool Show();

  MaskEdit* Box(int row) const;
  UpDown* Stepper(int row, int number) const;
  QLabel* Label(int number) const;
  QScrollBar* ZoomBar() const;
  QAction* Item(const QString& name) const;

  QString Caption() const;  // without the modified marker "[*]", which must end it
  // Label16, then Label18..Label33: the total, the signed and the absolute deviations.
  QStringList DeviationTexts() const;
  void ClickArrow(UpDown* stepper, bool up);  // a mouse press and release on one arrow
  void Press(QKeyCombination key);            // in the window, where the menus' shortcuts take it
  // Clicks into the box of a row, selects its text, types over it and, unless told not to,
  // leaves it with Tab. The text is written in the box's shape, "0.0000E+00".
  void TypeInto(int row, const QString& text, bool leave = true);

  FakePlatform Platform;
  TFZamo Window{Platform};
};

// The base of the window test suites: every test fails on a Qt warning (other than what the
// offscreen platform says it cannot do), and closing the last window does not end the program.
class WindowTestCase : public QObject {
  Q_OBJECT

 protected:
  // The test's main window, shown and active; made at the first call, closed after the test.
  MainWindowFixture& ShownWindow();

 private slots:
  void initTestCase();
  void init();
  void cleanup();

 private:
  std::optional<MainWindowFixture> window_;
};

// Agreement to twelve digits, for constants that went through a text.
bool CloseTo(Real value, Real expected);
// The user turns back to the main window, whose keys then reach its menus again.
[[nodiscard]] bool BackToMainWindow(MainWindowFixture& f);
// The built-in example with some lines replaced (index from 0), as a project text to write.
TextLines ExampleTextWith(const std::vector<std::pair<int, std::string>>& replacements);

}  // namespace zamo::testing
