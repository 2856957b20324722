#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/DataFileImport.h"
#include "document/TextLines.h"
#include "model/DateTime.h"
#include "model/KineticProject.h"

namespace zamo {

struct ProjectRead;

// What changed, as the session tells its listeners.
enum class SessionChange {
  // A project was read or imported, the shown experiment switched, a step was undone or
  // redone, or the project was refreshed: show everything again (captions, every rate box,
  // deviations, plots).
  Shown,
  // One rate constant was stepped; nothing is computed until the stepper is released.
  RateStepped,
  // Curves and deviations were computed again; the rate boxes keep the texts they show.
  Computed,
  // Modified, the caption, the file name or the history changed.
  Status,
};

struct SessionEvent {
  SessionChange Change = SessionChange::Shown;
  int RateIndex = 0;  // the constant k1..k16 of RateStepped
};

using SessionListener = std::function<void(const SessionEvent&)>;

// The most the undo history keeps: the newest Steps steps, and no more of them than hold
// Bytes beyond what the open project holds itself (the newest step is kept whatever it holds,
// so that the last change can always be undone). The oldest steps go first.
struct HistoryLimits {
  std::size_t Steps = 200;
  std::size_t Bytes = std::size_t{64} << 20;
};

// The one owner of the open project: the KineticProject, its ProjectText, the name last
// chosen in the open dialog, the window caption and the undo history. Windows, dialogs,
// the optimization worker and zamo-cli change the project only through its operations,
// which say what the user wants, and learn of every change through their listeners. It is
// the only code that writes K, Modified, ShowLeft or ProjectText.
//
// History: every change that marks the project modified because its content changed is one
// named step ("k3", "Zamo-Data", "Import", "Optimization", ...). Undo and Redo restore the
// constants, both experiments, the shown experiment and the caption together (a step that
// read a text or imported data files also the descriptive fields and ProjectText; an import
// also the file name), then refresh. Reading a project starts a new history. Modified
// follows the history: back at the state last read or saved it is false. ProjectText, the
// descriptive fields and the caption are held once and shared by every state of the history
// that has them unchanged, so that a step costs about its constants and experiments alone;
// the history is bounded by HistoryLimits.
//
// An operation that fails (a text that is no number, a file that cannot be read or
// written, a solver failure) throws and changes nothing it had not changed before the
// failure; a read is all or nothing.
class ProjectSession {
 public:
  explicit ProjectSession(HistoryLimits limits = {});
  ProjectSession(const ProjectSession&) = delete;
  ProjectSession& operator=(const ProjectSession&) = delete;

  const KineticProject& Project() const { return project_; }
  // The text as last read or saved.
  const TextLines& ProjectText() const { return *text_; }
  // The window caption: "Mavrin" until the first read, then the reader's, the switch's or
  // the import's ("Zamo - Left Reactions: ...").
  const std::string& Caption() const { return *caption_; }
  // The experiment whose deviations the "Quality of Calculation" box shows, once computed.
  std::optional<Side> ShownDeviation() const { return shownDeviation_; }

  // Listeners are called in the order they were added, after every change. The id removes
  // one again.
  int AddListener(SessionListener listener);
  void RemoveListener(int id);

  // The number of curve intervals every recalculation samples (the plots' width).
  void SetPlotIntervals(int intervals) { intervals_ = intervals; }
  int PlotIntervals() const { return intervals_; }

  // ---- Opening: each starts a new history and leaves the project unmodified.

  // The built-in example, offered for saving as "TMCP-ICP Kinetic System for Zamo.zam".
  void OpenExample();
  // Reads a project file; FileName and the open dialog's name become `path`. Errors name
  // the file; on any error the open project stays as it was.
  void OpenFile(const std::string& path);
  // The same for the lines of a file already read, chosen under `fileName`.
  void OpenText(const TextLines& lines, const std::string& fileName);

  // ---- Steps of the history.

  // Builds a project from data files (the import dialog); it is modified until saved. Step
  // "Import", whose undo brings back the project it replaced, file name and all.
  ImportResult Import(const ImportRequest& request, DateTime now);
  // The edit dialog's accepted text `edited`, read as the open project (FileName keeps the
  // name last chosen in the open dialog) and marked modified. Step "Zamo-Data". `shown` is
  // the text the dialog showed (SavedText when it opened): a rate constant or an experiment
  // that reads the same from both keeps the project's value, which the text holds only
  // rounded (six digits of a constant, a tenth of a minute).
  void ReadEditedText(const TextLines& shown, const TextLines& edited);
  // A typed rate constant: converted (ConversionError when the text is no number, and then
  // nothing changes), clamped to 0..1, stored into K[index] and computed. Nothing while no
  // project is valid. Step "k<index>".
  void SetRateFromText(int index, std::string_view text);
  // A pasted rate constant, committed as a typed one, followed by a refresh. Step "Paste".
  void PasteRate(int index, std::string_view text);
  // One click of stepper 1..3 of K[index]: stored and shown, not computed. Nothing while no
  // project is valid.
  void StepRate(int index, int stepper, bool up);
  // The stepper was released: the clicks since the last release become one step
  // "k<index>", the project is marked modified and computed.
  void EndStepping();
  // Constants from elsewhere (an optimization's result, its abort, a fit) put in place
  // together as one step named `stepName`, followed by a refresh.
  void PutConstantsInPlace(const RateConstants& k, std::string_view stepName);

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < history_.size(); }
  // The name of the step Undo or Redo would take; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  void Undo();
  void Redo();
  // The steps held, and the bytes they hold beyond the open project's own state.
  std::size_t HistorySteps() const { return history_.size(); }
  std::size_t HistoryBytes() const;

  // ---- Changes that are not steps.

  // Shows the left or the right experiment ("Zamo - Left Reactions: ..." in the caption)
  // and computes it.
  void ShowExperiment(Side side);
  // The zoom bar position remembered for the shown experiment.
  void RememberZoom(int position);
  // The refresh step: the project counts as valid and modified and is computed again.
  void Refresh();
  // The user kept the window open at the save prompt: the project stays modified.
  void KeepModified();
  // Computes the curves for another number of intervals (the exported picture's) and the
  // deviations. PlotIntervals stays.
  void Recalculate(int intervals);

  // ---- Saving.

  // Computes the deviations of every present experiment, as a save writes them all; the
  // shown deviations stay those of ShownDeviation.
  void ComputeEveryDeviation();
  // The project text as saved now, after ComputeEveryDeviation: the project as it is, as the
  // edit dialog shows it.
  TextLines SavedText(DateTime now);
  // Writes SavedText to `path` atomically. Only when the file was written do ProjectText,
  // FileName and Modified change (and this becomes the state Undo clears Modified at).
  void Save(const std::string& path, DateTime now);

 private:
  // What a step restores: the constants, the experiments, the shown experiment and the
  // caption; in a step that replaced the whole project also the descriptive fields (Fields,
  // whose constants and experiments are not used) and ProjectText.
  struct State {
    RateConstants K{};
    Experiment Left;
    Experiment Right;
    bool ShowLeft = true;
    std::shared_ptr<const std::string> Caption;
    std::shared_ptr<const ProjectData> Fields;
    std::shared_ptr<const TextLines> Text;
  };
  enum class StepKind {
    Constants,
    Text,    // an edited text: the file name stays the user's present choice
    Import,  // imported data files: the file name goes with the project
  };
  struct Step {
    std::string Name;
    StepKind Kind = StepKind::Constants;
    State Before;
    State After;
  };

  State Snapshot(StepKind kind);
  void Restore(const State& state, StepKind kind);
  void Record(std::string name, StepKind kind, State before);
  void DropOldSteps();
  void StartHistory();
  void SetCaption(std::string caption);
  void TakeRead(const TextLines& lines, const std::string& chosenFileName);
  void TakeRead(ProjectRead read, const TextLines& lines, const std::string& chosenFileName);
  void KeepUnchangedValues(const TextLines& shown, ProjectData& edited) const;
  void Compute(int intervals);
  void ComputeAndTell(SessionChange change);
  void Refresh(bool markModified);
  void SetModified(bool modified);
  void Notify(SessionChange change, int rateIndex = 0);

  KineticProject project_;
  std::shared_ptr<const TextLines> text_;
  // The descriptive fields as they are, once a step has needed them; reset by every change
  // of them.
  std::shared_ptr<const ProjectData> fields_;
  std::string openedFileName_;
  std::shared_ptr<const std::string> caption_;
  std::optional<Side> shownDeviation_;
  int intervals_ = 0;

  HistoryLimits limits_;
  std::vector<Step> history_;
  std::size_t position_ = 0;
  // The history position of the state last read or saved; none when no position holds it.
  std::optional<std::size_t> savedPosition_ = 0;
  // The state before the first click of a stepper not yet released.
  std::optional<std::pair<int, State>> stepping_;

  std::vector<std::pair<int, SessionListener>> listeners_;
  int nextListenerId_ = 1;
};

}  // namespace zamo
