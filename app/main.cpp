#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <algorithm>

#include "app/QtPlatform.h"
#include "app/ZamoMain.h"
#include "ui/Resources.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zamo"));
  zamo::InitResources();
  QApplication::setDesktopFileName(QStringLiteral("zamo"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/zamo/zamo.svg")));
  zamo::QtPlatform platform;
  zamo::TFZamo window(platform);
  if (window.Aborted()) return 1;
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) window.OpenAtStart(arguments.at(1));
  // Centred on the screen; a window taller or wider than the screen (a small screen at a
  // large scale factor) keeps its menu bar and left edge on it.
  if (const QScreen* screen = window.screen()) {
    const QRect available = screen->availableGeometry();
    const QPoint centred = available.center() - window.rect().center();
    window.move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
  }
  window.show();
  return QApplication::exec();
}
