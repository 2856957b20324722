#pragma once

#include <QStringList>

namespace zamo {

class Platform;

// The projects last opened or saved, newest first, kept in the platform's settings (key
// "RecentProjects") so that they outlive the program. Paths are kept absolute; a path is
// listed once, and only the newest kMaxCount stay.
class RecentProjects {
 public:
  static constexpr int kMaxCount = 8;

  explicit RecentProjects(Platform& platform) : platform_(platform) {}

  QStringList Paths() const;
  // To the front of the list.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Store(const QStringList& paths);

  Platform& platform_;
};

}  // namespace zamo
