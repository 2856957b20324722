#include "optimize/SeriesSession.h"

#include <algorithm>
#include <utility>

#include "document/SeriesFile.h"
#include "document/TextFile.h"

namespace zamo {

void SeriesSession::Replace(TemperatureSeries series) {
  if (order_ == SeriesOrder::ByTemperature) {
    std::stable_sort(series.begin(), series.end(), [](const SeriesProject& a, const SeriesProject& b) {
      return a.Data.AbsoluteTemperature < b.Data.AbsoluteTemperature;
    });
  }
  series_ = std::move(series);
  result_.reset();
  resultKept_ = true;
}

void SeriesSession::AddProject(const std::string& path) {
  TemperatureSeries series = series_;
  series.push_back(ReadSeriesProject(path));
  if (series.size() >= 2) CheckSeriesTemperatures(series);
  Replace(std::move(series));
}

void SeriesSession::RemoveProject(std::size_t index) {
  if (index >= series_.size()) return;
  TemperatureSeries series = series_;
  series.erase(series.begin() + static_cast<std::ptrdiff_t>(index));
  Replace(std::move(series));
}

void SeriesSession::OpenSeries(const std::string& path) {
  Replace(ReadSeries(path));
  path_ = path;
}

void SeriesSession::OpenProjects(const std::vector<std::string>& paths) { Replace(ReadSeriesProjects(paths)); }

void SeriesSession::Save(const std::string& path) {
  std::vector<std::string> files;
  for (const SeriesProject& project : series_) files.push_back(project.File);
  WriteTextFileAtomically(path, BuildSeriesText(path, files, {}));
  path_ = path;
}

FitJob<SeriesResult>::Work SeriesSession::FitWork(const SeriesSettings& settings, SeriesProgressSink progress) {
  CheckSeriesTemperatures(series_);
  result_.reset();
  return [settings, series = series_, progress = std::move(progress)](const std::atomic<bool>& stop) {
    return FitSeries(settings, series, progress, stop);
  };
}

void SeriesSession::SetResult(SeriesResult result) {
  result_ = std::move(result);
  resultKept_ = false;
}

const SeriesResult& SeriesSession::Fit(const SeriesSettings& settings, const SeriesProgressSink& progress,
                                       const std::atomic<bool>& stop) {
  SetResult(FitSeries(settings, series_, progress, stop));
  return *result_;
}

}  // namespace zamo
