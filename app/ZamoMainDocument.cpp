// The main window's document lifecycle: open, save, the save prompt, switching the shown
// experiment.

#include <QMessageBox>

#include "app/ErrorText.h"
#include "app/ZamoMain.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/TextFile.h"
#include "model/DateTime.h"
#include "model/ZamoError.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

const QString kProjectFilter = QStringLiteral("Zamo-Files (*.zam)");
const QString kProjectSuffix = QStringLiteral("zam");

}  // namespace

// Asks whether to save a changed project. Cancel also when "&Ja" did not lead to a saved
// file (dialog cancelled or writing failed), so that the caller keeps the changes.
PromptAnswer TFZamo::SavePrompt() {
  if (!project_.Modified) return PromptAnswer::No;
  const PromptAnswer answer = platform_.AskSaveFile(this);
  if (answer == PromptAnswer::Yes && !SaveProject(false)) return PromptAnswer::Cancel;
  return answer;
}

void TFZamo::ReadProjectText(const TextLines& lines, const std::string& chosenFileName) {
  const ReadOutcome outcome = zamo::ReadProjectText(project_, lines, chosenFileName);
  projectText_ = lines;
  openedFileName_ = chosenFileName;
  if (outcome.Caption) setWindowTitle(FromBytes(*outcome.Caption));
  ShowTheProject();
}

void TFZamo::ReadProjectText(const TextLines& lines) { ReadProjectText(lines, openedFileName_); }

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
  OpenProjectFile(path->toStdString());
}

void TFZamo::OpenAtStart(const QString& path) {
  RunGuarded([&] { OpenProjectFile(path.toStdString()); });
}

// Reads the whole file before anything of the open project changes; errors name the file.
void TFZamo::OpenProjectFile(const std::string& file) {
  const TextLines lines = ReadTextFile(file);
  ReadingFile(file, [&] { ReadProjectText(lines, file); });
}

// Writes the project to a file the user chooses. Unlike a bare write, nothing of the
// project changes unless the file was written: a cancelled dialog or a failed write leaves
// ProjectText, FileName and Modified as they were, and the old file intact.
bool TFZamo::SaveProject(bool saveAs) {
  FileDialogOptions options;
  options.Title = saveAs ? QStringLiteral("Save Zamo-File As") : QStringLiteral("Save Zamo-File");
  options.Filter = kProjectFilter;
  options.DefaultSuffix = kProjectSuffix;
  options.InitialName = FromBytes(project_.FileName);
  options.ConfirmOverwrite = saveAs;
  const std::optional<QString> path = platform_.ChooseSaveFile(this, options);
  if (!path) {
    if (saveAs) DrawPlots();
    return false;
  }
  const std::string file = path->toStdString();
  TextLines lines;
  try {
    lines = BuildProjectText(project_, CurrentDateTime());
    WriteTextFileAtomically(file, lines);
  } catch (const ZamoError& error) {
    ShowError(error);
    return false;
  }
  projectText_ = std::move(lines);
  project_.FileName = file;
  project_.Modified = false;
  return true;
}

void TFZamo::Save1Click() { SaveProject(false); }

void TFZamo::SaveAs1Click() {
  SaveProject(true);
  DrawPlots();
}

void TFZamo::Exit1Click() { close(); }

void TFZamo::QuitRequested() { close(); }

void TFZamo::LeftReactions1Click() { SwitchExperiment(true); }

void TFZamo::RightReactions1Click() { SwitchExperiment(false); }

void TFZamo::SwitchExperiment(bool left) {
  project_.ShowLeft = left;
  SetExperimentMenuItems();
  setWindowTitle(FromBytes(ExperimentCaption("Zamo", left, project_)));
  if (project_.DataValid) Recalculate();
  panel_->ShowRateCaptions();
  SetZoomBar(left ? project_.ZoomLeft : project_.ZoomRight);
  DrawPlots();
}

}  // namespace zamo
