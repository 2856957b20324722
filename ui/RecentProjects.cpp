#include "ui/RecentProjects.h"

#include <QFileInfo>
#include <QSettings>

#include "ui/Platform.h"

namespace zamo {

namespace {

const QString kKey = QStringLiteral("RecentProjects");

QString Absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

QStringList RecentProjects::Paths() const {
  QStringList paths = platform_.Settings().value(kKey).toStringList();
  paths.removeAll(QString());
  paths.removeDuplicates();
  return paths.mid(0, kMaxCount);
}

void RecentProjects::Add(const QString& path) {
  const QString absolute = Absolute(path);
  QStringList paths = Paths();
  paths.removeAll(absolute);
  paths.prepend(absolute);
  Store(paths.mid(0, kMaxCount));
}

void RecentProjects::Remove(const QString& path) {
  QStringList paths = Paths();
  paths.removeAll(Absolute(path));
  Store(paths);
}

void RecentProjects::Store(const QStringList& paths) {
  QSettings& settings = platform_.Settings();
  settings.setValue(kKey, paths);
  settings.sync();
}

}  // namespace zamo
