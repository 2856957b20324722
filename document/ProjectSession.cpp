#include "document/ProjectSession.h"

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/RateConstantStep.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

std::string RateStepName(int index) { return RateConstantName(index); }

}  // namespace

ProjectSession::ProjectSession() { project_.RateConstantsPerReaction = kMaxRateConstantsPerReaction; }

int ProjectSession::AddListener(SessionListener listener) {
  listeners_.emplace_back(nextListenerId_, std::move(listener));
  return nextListenerId_++;
}

void ProjectSession::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void ProjectSession::Notify(SessionChange change, int rateIndex) {
  // A listener may add or remove listeners while it runs.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners) listener({change, rateIndex});
}

void ProjectSession::SetModified(bool modified) { project_.Modified = modified; }

// Curves and deviations; when the solver fails nothing of them changes and the error goes on.
void ProjectSession::Compute(int intervals) {
  if (const std::optional<Side> evaluated = RecalcCurves(project_, intervals)) shownDeviation_ = evaluated;
}

// ---- History

ProjectSession::State ProjectSession::Snapshot() const {
  return {static_cast<const ProjectData&>(project_), project_.ShowLeft, caption_, text_};
}

void ProjectSession::Record(std::string name, bool wholeProject, State before) {
  history_.resize(position_);
  if (savedPosition_ && *savedPosition_ > position_) savedPosition_.reset();
  history_.push_back({std::move(name), wholeProject, std::move(before), Snapshot()});
  position_ = history_.size();
}

void ProjectSession::StartHistory() {
  history_.clear();
  position_ = 0;
  savedPosition_ = 0;
  stepping_.reset();
}

// The file name and the zoom positions are the user's present choices, not part of a step.
void ProjectSession::Restore(const State& state, bool wholeProject) {
  if (wholeProject) {
    const std::string fileName = project_.FileName;
    static_cast<ProjectData&>(project_) = state.Data;
    project_.FileName = fileName;
    text_ = state.Text;
  } else {
    project_.K = state.Data.K;
    project_.Left = state.Data.Left;
    project_.Right = state.Data.Right;
  }
  project_.ShowLeft = state.ShowLeft;
  caption_ = state.Caption;
  project_.DataValid = true;
  stepping_.reset();
  SetModified(savedPosition_ != position_);
  ComputeAndTell(SessionChange::Shown);
}

std::string ProjectSession::UndoName() const { return CanUndo() ? history_[position_ - 1].Name : std::string(); }

std::string ProjectSession::RedoName() const { return CanRedo() ? history_[position_].Name : std::string(); }

void ProjectSession::Undo() {
  if (!CanUndo()) return;
  --position_;
  Restore(history_[position_].Before, history_[position_].WholeProject);
}

void ProjectSession::Redo() {
  if (!CanRedo()) return;
  ++position_;
  Restore(history_[position_ - 1].After, history_[position_ - 1].WholeProject);
}

// ---- Opening

// Takes a read over: the project, ProjectText, the chosen name and the caption. Showing it
// (computing, telling the listeners) is the caller's.
void ProjectSession::TakeRead(const TextLines& lines, const std::string& chosenFileName) {
  ProjectRead read = ReadProjectText(project_, lines, chosenFileName);
  static_cast<ProjectData&>(project_) = std::move(read.Data);
  if (read.ShowLeft) project_.ShowLeft = *read.ShowLeft;
  if (read.Caption) caption_ = *read.Caption;
  text_ = lines;
  openedFileName_ = chosenFileName;
  project_.DataValid = true;
}

void ProjectSession::OpenExample() {
  TakeRead(ExampleProjectText(), "");
  project_.FileName = kExampleFileName;
  StartHistory();
  SetModified(false);
  Refresh(false);
}

void ProjectSession::OpenFile(const std::string& path) {
  const TextLines lines = ReadTextFile(path);
  ReadingFile(path, [&] { OpenText(lines, path); });
}

void ProjectSession::OpenText(const TextLines& lines, const std::string& fileName) {
  TakeRead(lines, fileName);
  StartHistory();
  SetModified(false);
  Refresh(false);
}

ImportResult ProjectSession::Import(const ImportRequest& request, DateTime now) {
  ImportResult result = ImportDataFiles(project_, request, now);
  static_cast<ProjectData&>(project_) = result.Data;
  project_.ShowLeft = result.ShowLeft;
  caption_ = result.Caption;
  project_.DataValid = true;
  StartHistory();
  savedPosition_.reset();
  Refresh(true);
  return result;
}

// ---- Steps

void ProjectSession::ReadEditedText(const TextLines& lines) {
  State before = Snapshot();
  TakeRead(lines, openedFileName_);
  Record("Zamo-Data", true, std::move(before));
  Refresh(true);
}

void ProjectSession::SetRateFromText(int index, std::string_view text) {
  if (!project_.DataValid) return;
  const Real value = RateFromText(text);
  if (value != project_.K[index]) {
    State before = Snapshot();
    project_.K[index] = value;
    Record(RateStepName(index), false, std::move(before));
  }
  SetModified(true);
  ComputeAndTell(SessionChange::Computed);
}

void ProjectSession::PasteRate(int index, std::string_view text) {
  const Real value = RateFromText(text);
  if (value != project_.K[index]) {
    State before = Snapshot();
    project_.K[index] = value;
    Record("Paste", false, std::move(before));
  }
  Refresh();
}

void ProjectSession::StepRate(int index, int stepper, bool up) {
  if (!project_.DataValid) return;
  if (!stepping_) stepping_.emplace(index, Snapshot());
  project_.K[index] = SteppedRate(project_.K[index], stepper, up);
  Notify(SessionChange::RateStepped, index);
}

void ProjectSession::EndStepping() {
  if (stepping_) {
    auto [index, before] = std::move(*stepping_);
    stepping_.reset();
    if (!(before.Data.K == project_.K)) Record(RateStepName(index), false, std::move(before));
  }
  SetModified(true);
  if (project_.DataValid) {
    ComputeAndTell(SessionChange::Computed);
  } else {
    Notify(SessionChange::Computed);
    Notify(SessionChange::Status);
  }
}

void ProjectSession::PutConstantsInPlace(const RateConstants& k, std::string_view stepName) {
  if (!(k == project_.K)) {
    State before = Snapshot();
    project_.K = k;
    Record(std::string(stepName), false, std::move(before));
  }
  Refresh();
}

// ---- Not steps

void ProjectSession::ShowExperiment(Side side) {
  project_.ShowLeft = side == Side::Left;
  caption_ = ExperimentCaption("Zamo", project_.ShowLeft, project_);
  if (project_.DataValid) {
    ComputeAndTell(SessionChange::Shown);
  } else {
    Notify(SessionChange::Shown);
    Notify(SessionChange::Status);
  }
}

void ProjectSession::RememberZoom(int position) {
  (project_.ShowLeft ? project_.ZoomLeft : project_.ZoomRight) = position;
}

void ProjectSession::Refresh() { Refresh(true); }

void ProjectSession::Refresh(bool markModified) {
  project_.DataValid = true;
  if (markModified) SetModified(true);
  ComputeAndTell(SessionChange::Shown);
}

void ProjectSession::KeepModified() {
  SetModified(true);
  Notify(SessionChange::Status);
}

void ProjectSession::Recalculate(int intervals) {
  Compute(intervals);
  Notify(SessionChange::Computed);
}

// Listeners hear of the change also when computing fails, so that what they show matches
// what was stored before the failure.
void ProjectSession::ComputeAndTell(SessionChange change) {
  try {
    Compute(intervals_);
  } catch (...) {
    Notify(change);
    Notify(SessionChange::Status);
    throw;
  }
  Notify(change);
  Notify(SessionChange::Status);
}

// ---- Saving

void ProjectSession::ComputeEveryDeviation() {
  for (const Side side : {Side::Left, Side::Right}) {
    if (project_.ExperimentOf(side).Present) {
      project_.DeviationOf(side) = ComputeDeviation(project_.ExperimentOf(side), side, project_.Coefficients);
    }
  }
}

TextLines ProjectSession::SavedText(DateTime now) {
  ComputeEveryDeviation();
  return BuildProjectText(project_, now);
}

void ProjectSession::Save(const std::string& path, DateTime now) {
  TextLines lines = SavedText(now);
  WriteTextFileAtomically(path, lines);
  text_ = std::move(lines);
  project_.FileName = path;
  savedPosition_ = position_;
  SetModified(false);
  Notify(SessionChange::Status);
}

}  // namespace zamo
