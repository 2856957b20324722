// The main window's document lifecycle: open, save, the save prompt, undo and redo,
// switching the shown experiment.

#include "app/ZamoMain.h"
#include "model/DateTime.h"
#include "ui/ErrorText.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

const QString kProjectFilter = QStringLiteral("Zamo-Files (*.zam)");
const QString kProjectSuffix = QStringLiteral("zam");

}  // namespace

// Asks whether to save a changed project. Cancel also when "&Ja" did not lead to a saved
// file (dialog cancelled or writing failed), so that the caller keeps the changes.
PromptAnswer TFZamo::SavePrompt() {
  if (!session_.Project().Modified) return PromptAnswer::No;
  const PromptAnswer answer = platform_.AskSaveFile(this);
  if (answer == PromptAnswer::Yes && !SaveProject(false)) return PromptAnswer::Cancel;
  return answer;
}

void TFZamo::Open1Click() {
  if (SavePrompt() == PromptAnswer::Cancel) {
    DrawPlots();
    return;
  }
  FileDialogOptions options;
  options.Title = QStringLiteral("Load Zamo-File");
  options.Filter = kProjectFilter;
  options.DefaultSuffix = kProjectSuffix;
  const std::optional<QString> path = platform_.ChooseOpenFile(this, options);
  if (!path) {
    DrawPlots();
    return;
  }
  OpenProjectFile(*path);
}

void TFZamo::OpenAtStart(const QString& path) {
  RunGuarded([&] { OpenProjectFile(path); });
}

// Writes the project to a file the user chooses. Unlike a bare write, nothing of the
// project changes unless the file was written: a cancelled dialog or a failed write leaves
// ProjectText, FileName and Modified as they were, and the old file intact.
bool TFZamo::SaveProject(bool saveAs) {
  FileDialogOptions options;
  options.Title = saveAs ? QStringLiteral("Save Zamo-File As") : QStringLiteral("Save Zamo-File");
  options.Filter = kProjectFilter;
  options.DefaultSuffix = kProjectSuffix;
  options.InitialName = FromBytes(session_.Project().FileName);
  options.ConfirmOverwrite = saveAs;
  const std::optional<QString> path = platform_.ChooseSaveFile(this, options);
  if (!path) {
    if (saveAs) DrawPlots();
    return false;
  }
  return zamo::RunGuarded(platform_, this, [&] {
    session_.Save(path->toStdString(), CurrentDateTime());
    recent_.Add(*path);
    ShowRecentProjects();
  });
}

void TFZamo::Save1Click() { SaveProject(false); }

void TFZamo::SaveAs1Click() {
  SaveProject(true);
  DrawPlots();
}

void TFZamo::Exit1Click() { close(); }

void TFZamo::QuitRequested() { close(); }

void TFZamo::Undo1Click() { session_.Undo(); }

void TFZamo::Redo1Click() { session_.Redo(); }

void TFZamo::LeftReactions1Click() { session_.ShowExperiment(Side::Left); }

void TFZamo::RightReactions1Click() { session_.ShowExperiment(Side::Right); }

}  // namespace zamo
