#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/TemperatureSeries.h"
#include "optimize/FitJob.h"
#include "optimize/SeriesFit.h"

namespace zamo {

// Where the projects of a series stand: as given (zamo-cli reports them in the order of its
// arguments), or in the order of their temperatures (the series window, whose plots and
// tables read them so).
enum class SeriesOrder { AsGiven, ByTemperature };

// The one owner of an open temperature series: its projects, the series file it was read
// from or saved to, and the result of its last fit. The series window and zamo-cli series
// change it only through these operations. A change of the projects drops the result, which
// belongs to the projects it was fitted to.
//
// An operation that fails (a project or series file that cannot be read, a temperature the
// series already holds, a file that cannot be written) throws and leaves the session as it
// was.
class SeriesSession {
 public:
  explicit SeriesSession(SeriesOrder order) : order_(order) {}

  const TemperatureSeries& Series() const { return series_; }
  // The series file last read or saved; empty before either.
  const std::string& Path() const { return path_; }
  const std::optional<SeriesResult>& Result() const { return result_; }
  // The result went somewhere (copied or exported), so it may be closed away unasked.
  bool ResultKept() const { return resultKept_; }
  void KeepResult() { resultKept_ = true; }

  // Adds the project file at `path`. A second project at a temperature the series holds is
  // refused now, naming both files.
  void AddProject(const std::string& path);
  // Removes the project at `index` (nothing when there is none).
  void RemoveProject(std::size_t index);
  // Reads a series file (ReadSeries) in place of the open series; it becomes Path().
  void OpenSeries(const std::string& path);
  // Reads the projects at the paths as a series (ReadSeriesProjects); Path() stays empty.
  void OpenProjects(const std::vector<std::string>& paths);
  // Writes the series file listing the projects (BuildSeriesText); it becomes Path().
  void Save(const std::string& path);

  // The fit of the open series by the settings, as a job's work: it fits a copy, so the
  // session may be read while it runs. The result of an earlier fit is dropped. Refuses
  // (SeriesError) a series that cannot be fitted (too few projects, two at one temperature)
  // before any thread starts, and then keeps the result.
  FitJob<SeriesResult>::Work FitWork(const SeriesSettings& settings, SeriesProgressSink progress);
  // The result of a fit job that ran FitWork, to be kept until the projects change.
  void SetResult(SeriesResult result);
  // Fits the series on the calling thread and keeps the result.
  const SeriesResult& Fit(const SeriesSettings& settings, const SeriesProgressSink& progress,
                          const std::atomic<bool>& stop);

 private:
  void Replace(TemperatureSeries series);

  SeriesOrder order_;
  TemperatureSeries series_;
  std::string path_;
  std::optional<SeriesResult> result_;
  bool resultKept_ = true;
};

}  // namespace zamo
