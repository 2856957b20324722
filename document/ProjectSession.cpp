#include "document/ProjectSession.h"

#include <unordered_set>

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

std::size_t BytesOf(const std::string& text) { return sizeof(std::string) + text.size(); }

// A text keeps its bytes and where each line ends.
std::size_t BytesOf(const TextLines& lines) {
  std::size_t bytes = sizeof(TextLines);
  for (const std::string_view line : lines) bytes += line.size() + sizeof(std::uint32_t);
  return bytes;
}

std::size_t BytesOf(const ProjectData& data) {
  std::size_t bytes = sizeof data;
  for (const std::string* field : {&data.Title, &data.Author, &data.LeftReactantName, &data.LeftDataFile,
                                   &data.RightReactantName, &data.RightDataFile, &data.FileName}) {
    bytes += field->size();
  }
  return bytes;
}

}  // namespace

ProjectSession::ProjectSession(HistoryLimits limits)
    : text_(std::make_shared<const TextLines>()),
      caption_(std::make_shared<const std::string>("Mavrin")),
      limits_(limits) {
  project_.RateConstantsPerReaction = kMaxRateConstantsPerReaction;
}

void ProjectSession::SetCaption(std::string caption) {
  if (caption != *caption_) caption_ = std::make_shared<const std::string>(std::move(caption));
}

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

ProjectSession::State ProjectSession::Snapshot(StepKind kind) {
  State state{project_.K, project_.Left, project_.Right, project_.ShowLeft, caption_, nullptr, nullptr};
  if (kind != StepKind::Constants) {
    if (!fields_) fields_ = std::make_shared<const ProjectData>(project_);
    state.Fields = fields_;
    state.Text = text_;
  }
  return state;
}

void ProjectSession::Record(std::string name, StepKind kind, State before) {
  history_.resize(position_);
  if (savedPosition_ && *savedPosition_ > position_) savedPosition_.reset();
  history_.push_back({std::move(name), kind, std::move(before), Snapshot(kind)});
  position_ = history_.size();
  DropOldSteps();
}

std::size_t ProjectSession::HistoryBytes() const {
  // Each block counts once, and not at all while the open project holds it too.
  std::unordered_set<const void*> counted{caption_.get(), fields_.get(), text_.get()};
  std::size_t bytes = 0;
  const auto add = [&](const auto& block) {
    if (block && counted.insert(block.get()).second) bytes += BytesOf(*block);
  };
  for (const Step& step : history_) {
    bytes += sizeof step + step.Name.size();
    for (const State* state : {&step.Before, &step.After}) {
      add(state->Caption);
      add(state->Fields);
      add(state->Text);
    }
  }
  return bytes;
}

void ProjectSession::DropOldSteps() {
  while (history_.size() > limits_.Steps || (history_.size() > 1 && HistoryBytes() > limits_.Bytes)) {
    history_.erase(history_.begin());
    --position_;
    if (savedPosition_) savedPosition_ = *savedPosition_ > 0 ? std::optional(*savedPosition_ - 1) : std::nullopt;
  }
}

void ProjectSession::StartHistory() {
  history_.clear();
  position_ = 0;
  savedPosition_ = 0;
  stepping_.reset();
}

// The zoom positions, and but for an import the file name, are the user's present choices,
// not part of a step.
void ProjectSession::Restore(const State& state, StepKind kind) {
  if (kind != StepKind::Constants) {
    const ProjectData present = project_;
    static_cast<ProjectData&>(project_) = *state.Fields;
    if (kind == StepKind::Text) project_.FileName = present.FileName;
    project_.ZoomLeft = present.ZoomLeft;
    project_.ZoomRight = present.ZoomRight;
    fields_.reset();
    text_ = state.Text;
  }
  project_.K = state.K;
  project_.Left = state.Left;
  project_.Right = state.Right;
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
  Restore(history_[position_].Before, history_[position_].Kind);
}

void ProjectSession::Redo() {
  if (!CanRedo()) return;
  ++position_;
  Restore(history_[position_ - 1].After, history_[position_ - 1].Kind);
}

// ---- Opening

// Takes a read over: the project, ProjectText, the chosen name and the caption. Showing it
// (computing, telling the listeners) is the caller's.
void ProjectSession::TakeRead(const TextLines& lines, const std::string& chosenFileName) {
  TakeRead(ReadProjectText(project_, lines, chosenFileName), lines, chosenFileName);
}

void ProjectSession::TakeRead(ProjectRead read, const TextLines& lines, const std::string& chosenFileName) {
  static_cast<ProjectData&>(project_) = std::move(read.Data);
  if (read.ShowLeft) project_.ShowLeft = *read.ShowLeft;
  if (read.Caption) SetCaption(std::move(*read.Caption));
  text_ = std::make_shared<const TextLines>(lines);
  fields_.reset();
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

// ---- Steps

ImportResult ProjectSession::Import(const ImportRequest& request, DateTime now) {
  ImportResult result = ImportDataFiles(project_, request, now);
  State before = Snapshot(StepKind::Import);
  static_cast<ProjectData&>(project_) = result.Data;
  project_.ShowLeft = result.ShowLeft;
  SetCaption(result.Caption);
  fields_.reset();
  project_.DataValid = true;
  Record("Import", StepKind::Import, std::move(before));
  Refresh(true);
  return result;
}

// What the user left as the text showed it keeps the value the text rounded. A shown text
// that does not read back (it always should) keeps nothing.
void ProjectSession::KeepUnchangedValues(const TextLines& shown, ProjectData& edited) const {
  std::optional<ProjectData> asShown;
  try {
    asShown = ReadProjectText(project_, shown, openedFileName_).Data;
  } catch (const ZamoError&) {
    return;
  }
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (edited.K[i] == asShown->K[i]) edited.K[i] = project_.K[i];
  }
  for (const Side side : {Side::Left, Side::Right}) {
    if (edited.ExperimentOf(side) == asShown->ExperimentOf(side)) {
      edited.ExperimentOf(side) = project_.ExperimentOf(side);
    }
  }
}

void ProjectSession::ReadEditedText(const TextLines& shown, const TextLines& edited) {
  ProjectRead read = ReadProjectText(project_, edited, openedFileName_);
  KeepUnchangedValues(shown, read.Data);
  State before = Snapshot(StepKind::Text);
  TakeRead(std::move(read), edited, openedFileName_);
  Record("Zamo-Data", StepKind::Text, std::move(before));
  Refresh(true);
}

void ProjectSession::SetRateFromText(int index, std::string_view text) {
  if (!project_.DataValid) return;
  const Real value = RateFromText(text);
  if (value != project_.K[index]) {
    State before = Snapshot(StepKind::Constants);
    project_.K[index] = value;
    Record(RateStepName(index), StepKind::Constants, std::move(before));
  }
  SetModified(true);
  ComputeAndTell(SessionChange::Computed);
}

void ProjectSession::PasteRate(int index, std::string_view text) {
  const Real value = RateFromText(text);
  if (value != project_.K[index]) {
    State before = Snapshot(StepKind::Constants);
    project_.K[index] = value;
    Record("Paste", StepKind::Constants, std::move(before));
  }
  Refresh();
}

void ProjectSession::StepRate(int index, int stepper, bool up) {
  if (!project_.DataValid) return;
  if (!stepping_) stepping_.emplace(index, Snapshot(StepKind::Constants));
  project_.K[index] = SteppedRate(project_.K[index], stepper, up);
  Notify(SessionChange::RateStepped, index);
}

void ProjectSession::EndStepping() {
  if (stepping_) {
    auto [index, before] = std::move(*stepping_);
    stepping_.reset();
    if (!(before.K == project_.K)) Record(RateStepName(index), StepKind::Constants, std::move(before));
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
    State before = Snapshot(StepKind::Constants);
    project_.K = k;
    Record(std::string(stepName), StepKind::Constants, std::move(before));
  }
  Refresh();
}

// ---- Not steps

void ProjectSession::ShowExperiment(Side side) {
  project_.ShowLeft = side == Side::Left;
  SetCaption(ExperimentCaption("Zamo", project_.ShowLeft, project_));
  if (project_.DataValid) {
    ComputeAndTell(SessionChange::Shown);
  } else {
    Notify(SessionChange::Shown);
    Notify(SessionChange::Status);
  }
}

void ProjectSession::RememberZoom(int position) {
  (project_.ShowLeft ? project_.ZoomLeft : project_.ZoomRight) = position;
  fields_.reset();
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
  text_ = std::make_shared<const TextLines>(std::move(lines));
  project_.FileName = path;
  fields_.reset();
  savedPosition_ = position_;
  SetModified(false);
  Notify(SessionChange::Status);
}

}  // namespace zamo
