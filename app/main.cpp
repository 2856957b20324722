#include <QApplication>
#include <QIcon>

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
  window.show();
  return QApplication::exec();
}
