// The main window's exchange of files beyond the project itself: the result table, the
// recent projects and files dropped on the window.

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/ZamoMain.h"
#include "document/ResultTable.h"
#include "document/windows/NewFile.h"
#include "model/Limits.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

enum class DroppedKind { Project, Data, Other };

DroppedKind KindOfDropped(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("zam")) return DroppedKind::Project;
  if (suffix == QStringLiteral("dat") || suffix == QStringLiteral("csv") || suffix == QStringLiteral("tsv")) {
    return DroppedKind::Data;
  }
  return DroppedKind::Other;
}

// The local files of a drop that the window takes: one project, or up to two data files.
QStringList DroppedFiles(const QMimeData* mime) {
  QStringList projects;
  QStringList data;
  if (mime == nullptr || !mime->hasUrls()) return {};
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    switch (KindOfDropped(path)) {
      case DroppedKind::Project:
        projects.append(path);
        break;
      case DroppedKind::Data:
        data.append(path);
        break;
      case DroppedKind::Other:
        break;
    }
  }
  if (!projects.isEmpty()) return projects.mid(0, 1);
  return data.mid(0, 2);
}

}  // namespace

// The curve spacing is asked first, then the file; either cancelled writes nothing.
void TFZamo::ExportTable1Click() {
  IntegerQuestion question;
  question.Title = QStringLiteral("Export Table");
  question.Label = QStringLiteral("Curve points per experiment (evenly spaced from 0 to the last reaction time):");
  question.Value = kTablePointsDefault;
  question.Minimum = kTablePointsMin;
  question.Maximum = kTablePointsMax;
  const std::optional<int> points = platform_.AskInteger(this, question);
  if (!points) return;
  const FileDialogOptions options = SaveFileOptions(
      QStringLiteral("Export Table"), QStringLiteral("CSV Files (*.csv);;All Files (*)"), QStringLiteral("csv"),
      QFileInfo(FromBytes(session_.Project().FileName)).completeBaseName() + QStringLiteral(".csv"));
  const std::optional<QString> path = platform_.ChooseSaveFile(this, options);
  if (!path) return;
  WriteResultTable(path->toStdString(), session_.Project(), *points);
}

void TFZamo::OpenProjectFile(const QString& path) {
  session_.OpenFile(path.toStdString());
  recent_.Add(path);
  ShowRecentProjects();
}

void TFZamo::OpenRecentProject(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    recent_.Remove(path);
    ShowRecentProjects();
    platform_.ShowMessage(
        this, QStringLiteral("The project \"%1\" no longer exists; it was removed from the recent files.").arg(path),
        QStringLiteral("Error"), MessageIcon::Error);
    return;
  }
  if (SavePrompt() == PromptAnswer::Cancel) {
    DrawPlots();
    return;
  }
  OpenProjectFile(path);
}

void TFZamo::ShowRecentProjects() {
  recentMenu_->clear();
  const QStringList paths = recent_.Paths();
  for (int i = 0; i < paths.size(); ++i) {
    const QString& path = paths[i];
    auto* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
    action->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
    action->setData(path);
    connect(action, &QAction::triggered, this, [this, path] {
      if (!panel_->CommitPendingText()) return;
      RunGuarded([&] { OpenRecentProject(path); });
    });
  }
}

TNewFileForm* TFZamo::OpenImportDialog() {
  auto* dialog = new TNewFileForm(
      session_, platform_, [this] { return SavePrompt() != PromptAnswer::Cancel; }, [this] { SaveProject(true); },
      this);
  dialog->show();
  return dialog;
}

void TFZamo::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

// A project opens after the save prompt; data files open the import dialog with them loaded.
void TFZamo::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  if (!panel_->CommitPendingText()) return;
  RunGuarded([&] {
    if (KindOfDropped(files.front()) == DroppedKind::Project) {
      if (SavePrompt() == PromptAnswer::Cancel) {
        DrawPlots();
        return;
      }
      OpenProjectFile(files.front());
    } else {
      OpenImportDialog()->LoadFiles(files);
    }
  });
}

}  // namespace zamo
