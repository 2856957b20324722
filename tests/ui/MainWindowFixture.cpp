#include "tests/ui/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "document/ExampleProject.h"
#include "ui/MaskEdit.h"
#include "ui/UpDown.h"

namespace zamo::testing {

template <class T>
static T* Named(const QWidget& window, const QString& name) {
  T* found = window.findChild<T*>(name);
  if (found == nullptr) QTest::qFail(qPrintable(QStringLiteral("no control named ") + name), __FILE__, __LINE__);
  return found;
}

bool MainWindowFixture::Show() {
  Window.show();
  if (!QTest::qWaitForWindowExposed(&Window)) return false;
  Window.activateWindow();
  return QTest::qWaitForWindowActive(&Window);
}
MaskEdit* MainWindowFixture::Box(int row) const {
  return Named<MaskEdit>(Window, QStringLiteral("MaskEdit%1").arg(row));
}
UpDown* MainWindowFixture::Stepper(int row, int number) const {
  return Named<UpDown>(Window, QStringLiteral("UpDown%1%2").arg(row).arg(number));
}
QLabel* MainWindowFixture::Label(int number) const {
  return Named<QLabel>(Window, QStringLiteral("Label%1").arg(number));
}
QScrollBar* MainWindowFixture::ZoomBar() const { return Named<QScrollBar>(Window, QStringLiteral("ZoomBar")); }
QAction* MainWindowFixture::Item(const QString& name) const { return Named<QAction>(Window, name); }

QString MainWindowFixture::Caption() const {
  const QString title = Window.windowTitle();
  return title.endsWith(QLatin1String("[*]")) ? title.chopped(3) : QStringLiteral("<no [*] marker> ") + title;
}

QStringList MainWindowFixture::DeviationTexts() const {
  QStringList texts{Label(16)->text()};
  for (int number = 18; number <= 33; ++number) texts.append(Label(number)->text());
  return texts;
}
void MainWindowFixture::ClickArrow(UpDown* stepper, bool up) {
  QTest::mouseClick(up ? stepper->UpButton() : stepper->DownButton(), Qt::LeftButton);
}
void MainWindowFixture::Press(QKeyCombination key) { QTest::keyClick(&Window, key.key(), key.keyboardModifiers()); }

void MainWindowFixture::TypeInto(int row, const QString& text, bool leave) {
  MaskEdit* box = Box(row);
  QTest::mouseClick(box, Qt::LeftButton);
  QTest::keyClick(box, Qt::Key_Home);
  QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
  // The box steps over its literals "." and "E" by itself; typing them would move them on.
  for (qsizetype i = 0; i < text.size(); ++i) QTest::keyClicks(box, i == 1 || i == 6 ? QString() : text.at(i));
  if (leave) QTest::keyClick(box, Qt::Key_Tab);
}

TextLines ExampleTextWith(const std::vector<std::pair<int, std::string>>& replacements) {
  std::vector<std::string_view> lines(ExampleProjectText().begin(), ExampleProjectText().end());
  for (const auto& [index, line] : replacements) lines.at(static_cast<std::size_t>(index)) = line;
  return {lines.begin(), lines.end()};
}

void WindowTestCase::initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
void WindowTestCase::cleanup() { window_.reset(); }

// What the offscreen platform cannot do (raise a popup, grab the keyboard for it, pass on
// size hints) is said by the platform, not by this program.
void WindowTestCase::init() {
  QTest::failOnWarning(
      QRegularExpression(QStringLiteral("^(?!This plugin does not support)(?!.*propagateSizeHints).*$"),
                         QRegularExpression::DotMatchesEverythingOption));
}

MainWindowFixture& WindowTestCase::ShownWindow() {
  if (!window_) {
    window_.emplace();
    if (!window_->Show()) QTest::qFail("the main window was not shown", __FILE__, __LINE__);
  }
  return *window_;
}

bool CloseTo(Real value, Real expected) { return std::fabs(value - expected) <= 1e-12L * std::fabs(expected); }
bool BackToMainWindow(MainWindowFixture& f) {
  f.Window.activateWindow();
  return QTest::qWaitFor([&f] { return QApplication::activeWindow() == &f.Window; });
}

}  // namespace zamo::testing
