#pragma once

#include <QSize>

class QWidget;

namespace zamo {

// Sizes a window to `preferred`, or to less where the available area of its screen (the
// screen without the desktop's panels) leaves less room for it and its frame, never below
// the window's minimum size, and places it within that area: centred over its parent window
// when it has one, else on the screen. Call it once the window's contents are laid out and
// before it is shown. A window whose minimum size is larger than the area still has its top
// left corner on the screen, so that its title bar and menus can be reached.
void FitToScreen(QWidget& window, QSize preferred);

// The room the available area of the window's screen leaves for the window without its
// frame.
QSize ScreenRoom(const QWidget& window);

}  // namespace zamo
