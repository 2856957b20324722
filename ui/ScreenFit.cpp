#include "ui/ScreenFit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace zamo {

namespace {

// The frame the desktop puts around a window: known once a window is shown (this one or
// another of the program's); before that, a title bar and a thin border are assumed.
QSize FrameExtent(const QWidget& window) {
  const auto extent = [](const QWidget& shown) { return shown.frameGeometry().size() - shown.geometry().size(); };
  if (window.isVisible()) return extent(window);
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other != &window && other->isVisible() && extent(*other) != QSize(0, 0)) return extent(*other);
  }
  return {10, 40};
}

const QScreen* ScreenOf(const QWidget& window) {
  return window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
}

}  // namespace

QSize ScreenRoom(const QWidget& window) {
  const QScreen* screen = ScreenOf(window);
  if (screen == nullptr) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
  return (screen->availableGeometry().size() - FrameExtent(window)).expandedTo(QSize(1, 1));
}

void FitToScreen(QWidget& window, QSize preferred) {
  const QScreen* screen = ScreenOf(window);
  if (screen == nullptr) {
    window.resize(preferred);
    return;
  }
  const QRect available = screen->availableGeometry();
  const QSize frame = FrameExtent(window);
  const QSize minimum = window.minimumSize().expandedTo(window.minimumSizeHint());
  const QSize size = preferred.boundedTo(ScreenRoom(window)).expandedTo(minimum);
  window.resize(size);

  const QWidget* parent = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
  const QPoint centre =
      parent != nullptr && parent->isVisible() ? parent->frameGeometry().center() : available.center();
  const QSize outer = size + frame;
  const int x =
      std::max(available.left(), std::min(centre.x() - outer.width() / 2, available.right() + 1 - outer.width()));
  const int y =
      std::max(available.top(), std::min(centre.y() - outer.height() / 2, available.bottom() + 1 - outer.height()));
  window.move(x, y);
}

}  // namespace zamo
