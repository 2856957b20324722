#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "document/DataFileImport.h"
#include "document/ExampleProject.h"
#include "document/FullOutputText.h"
#include "document/ResultTable.h"
#include "document/TextFile.h"
#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "model/Limits.h"
#include "model/NumberFormat.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/PlotData.h"
#include "optimize/RelativeOptimizationText.h"

namespace zamo::cli {

namespace {

// The curve intervals of the main window's plots at the window's smallest width; curves are
// not printed, but the recalculation samples them as the window does.
constexpr int kPlotIntervals = PlotIntervalsOfWindowWidth(kMainWindowMinimumWidth);

std::string Scientific(Real value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.20Le", value);
  return buffer;
}

DateTime WrittenDateTime(const CommandLine& line) {
  const std::optional<std::string> text = line.Value("--date-time");
  return text ? StrToDateTime(*text) : CurrentDateTime();
}

// The file -o names; none when it is absent or "-", standard output. What the command has
// printed so far is flushed first, so that a file that is standard output itself
// (/dev/stdout) gets it before the file's bytes.
std::optional<std::string> OutputFile(const CommandLine& line, std::ostream& out) {
  std::optional<std::string> path = line.Value("-o");
  if (!path || *path == kStandardOutputName) return std::nullopt;
  out.flush();
  return path;
}

// The project as saved to -o (atomically) or as its text to out.
void WriteProject(const CommandLine& line, ProjectSession& session, std::ostream& out) {
  if (const std::optional<std::string> path = OutputFile(line, out)) {
    session.Save(*path, WrittenDateTime(line));
  } else {
    out << JoinLinesCrLf(session.SavedText(WrittenDateTime(line)));
  }
}

void DrawProgressBar(std::ostream& err, int position, Real relative) {
  constexpr int kWidth = 40;
  const int filled = position * kWidth / 1000;
  err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
      << std::string(static_cast<std::size_t>(kWidth - filled), '-') << "] " << position / 10 << "." << position % 10
      << " %  relative optimization " << RelativeOptimizationText(relative) << " %" << std::flush;
}

}  // namespace

std::string SubjectFile(const CommandLine& line) {
  if (line.Command == "import") {
    for (const char* option : {"--right", "--left"}) {
      const std::optional<std::string> path = line.Value(option);
      if (path && DataFormatOfPath(*path) == DataFormat::ZamoData) return *path;
    }
    if (const std::optional<std::string> constants = line.Value("--constants")) return *constants;
  }
  if (line.Command == "series") return line.Files.front();
  return line.Project.value_or(kExampleFileName);
}

std::optional<OneBased<bool, kRateConstantCount>> GivenFreeSet(const CommandLine& line) {
  std::optional<OneBased<bool, kRateConstantCount>> free;
  if (const std::optional<std::vector<int>> list = line.Constants("--free")) {
    free.emplace();
    for (const int i : *list) (*free)[i] = true;
  } else if (line.Has("--free-all")) {
    free.emplace();
    free->Fill(true);
  }
  if (free && line.Has("--vary-k15-k16")) (*free)[15] = (*free)[16] = true;
  return free;
}

void LoadProject(const CommandLine& line, ProjectSession& session) {
  session.SetPlotIntervals(kPlotIntervals);
  session.OpenExample();
  if (line.Project) session.OpenFile(*line.Project);
  if (const std::optional<Side> side = line.Experiment()) {
    ReadingFile(line.Project.value_or(kExampleFileName), [&] { session.ShowExperiment(*side); });
  }
}

void RunCalc(const CommandLine& line, const ProjectSession& session, std::ostream& out) {
  const KineticProject& project = session.Project();
  for (const std::string& text : line.Times) {
    Real t = 0;
    if (!TryStrToFloat(text, t) || t < 0) throw UsageError("'" + Excerpt(text) + "' is not a time in seconds");
  }
  for (const std::string& text : line.Times) {
    const Real t = StrToFloat(text);
    const Concentrations c = CalcConc(project.Coefficients, project.CurrentSide(), t);
    out << Scientific(t);
    for (const Real value : c) out << ' ' << Scientific(value);
    out << '\n';
  }
}

void RunDeviation(const ProjectSession& session, std::ostream& out) {
  const std::optional<Side> side = session.ShownDeviation();
  const DeviationLabelTexts labels =
      side ? DeviationLabels(session.Project().DeviationOf(*side)) : InitialDeviationLabels();
  out << labels.Total << '\n';
  for (int s = 1; s <= kSpeciesCount; ++s) {
    out << static_cast<char>('A' + s - 1) << '\t' << labels.Signed[s] << '\t' << labels.Absolute[s] << '\n';
  }
}

void RunReport(const ProjectSession& session, std::ostream& out) {
  for (const std::string_view text : FullOutputText(session.Project())) out << text << '\n';
}

void RunTable(const CommandLine& line, const ProjectSession& session, std::ostream& out) {
  const int points = line.Number("--points").value_or(kTablePointsDefault);
  if (const std::optional<std::string> path = OutputFile(line, out)) {
    WriteResultTable(*path, session.Project(), points);
  } else {
    out << ResultTableCsv(session.Project(), points);
  }
}

void RunSave(const CommandLine& line, ProjectSession& session, std::ostream& out) { WriteProject(line, session, out); }

void RunOptimize(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err,
                 const Environment& env) {
  // Both experiments' deviations, as a save writes them, decide whether every species counts.
  session.ComputeEveryDeviation();
  const KineticProject& project = session.Project();
  OptimizationSettings settings = DefaultOptimizationSettings(project);
  if (const auto steps = line.Number("--steps")) settings.Steps = *steps;
  settings.VaryK15K16 = line.Has("--vary-k15-k16");
  settings.Withoutk6k7k13k14 = line.Has("--without-k6-k7-k13-k14");
  settings.HighPr_k1k8 = !line.Has("--no-high-priority");

  const bool printProgress = line.Has("--progress");
  const ProgressSink sink = [&](int position, Real relative, const RateConstants&) {
    if (printProgress) out << position << ' ' << RelativeOptimizationText(relative) << std::endl;
    if (env.ProgressBar) DrawProgressBar(err, position, relative);
  };
  const std::atomic<bool> never{false};
  StartObjectives starts;
  const RateConstants result = OptimizeRateConstants(settings, {project.K, project.Left, project.Right}, starts, sink,
                                                     env.Stop != nullptr ? *env.Stop : never);
  if (env.ProgressBar) err << '\n';

  for (int i = 1; i <= kRateConstantCount; ++i) out << 'k' << i << ' ' << Scientific(result[i]) << '\n';
  if (line.Has("-o")) {
    session.PutConstantsInPlace(result, "Optimization");
    RunSave(line, session, out);
  }
}

void RunGraph(const CommandLine& line, ProjectSession& session, const Environment& env) {
  const std::string path = *line.Value("-o");
  if (!env.SaveGraph) {
    throw FileError(path, texts::CannotCreateFile(
                              path, "this zamo-cli was built without the windows library and draws no pictures"));
  }
  const KineticProject& project = session.Project();
  // A remembered zoom as the window's zoom bar would hold it.
  const int position = line.Number("--zoom-position")
                           .value_or(std::clamp(project.ShowLeft ? project.ZoomLeft : project.ZoomRight,
                                                kZoomPositionMin, kZoomPositionMax));
  session.Recalculate(kGraphIntervals);
  env.SaveGraph(path, project, position);
}

void RunPlot(const CommandLine& line, ProjectSession& session, const Environment& env) {
  const std::string path = *line.Value("-o");
  if (path != kStandardOutputName && !PictureFormatOfPath(path)) {
    throw FileError(path, texts::CannotCreateFile(path, kPictureExtensionReason));
  }
  if (!env.SavePlot) {
    throw FileError(path, texts::CannotCreateFile(
                              path, "this zamo-cli was built without the windows library and draws no pictures"));
  }
  PlotOptions options;
  // LoadProject has shown the chosen experiment; "both" leaves the shown one and draws both.
  options.Experiments = line.Has("--experiment") && !line.Experiment() ? PlotExperiments::Both : PlotExperiments::Shown;
  if (const std::optional<TimeUnit> unit = line.Choice<TimeUnit>("--time-unit")) options.Unit = *unit;
  options.LogTime = line.Has("--log-time");
  options.Residuals = line.Has("--residuals");
  PictureSize size;
  size.Width = line.Number("--width").value_or(size.Width);
  size.Height = line.Number("--height").value_or(size.Height);
  size.Dpi = line.Number("--dpi").value_or(size.Dpi);
  env.SavePlot(path, session.Project(), options, size);
}

void RunImport(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err) {
  if (!line.Has("--left") && !line.Has("--right")) {
    throw UsageError("import needs --left or --right (You have to Load a Zamo-Data-File)");
  }
  bool dataFile = false;
  for (const char* option : {"--left", "--right"}) {
    const std::optional<std::string> path = line.Value(option);
    dataFile = dataFile || (path && DataFormatOfPath(*path) == DataFormat::ZamoData);
  }
  if (dataFile && (line.Has("--constants") || line.Has("--temperature"))) {
    throw UsageError("--constants and --temperature are for tables alone: a .dat file holds its own");
  }
  // A table holds neither rate constants nor a temperature: they come from this project.
  if (const std::optional<std::string> constants = line.Value("--constants")) session.OpenFile(*constants);
  const KineticProject& project = session.Project();
  ImportRequest request;
  // Like the dialog, the fields start from the open project where it has them.
  request.Title = line.Value("--title").value_or(project.Title);
  request.Author = line.Value("--author").value_or(project.Author);
  request.LeftName = line.Value("--left-name").value_or(project.LeftReactantName);
  request.RightName = line.Value("--right-name").value_or(project.RightReactantName);
  for (const auto& [option, choice] : {std::pair{"--left", &request.Left}, std::pair{"--right", &request.Right}}) {
    const std::optional<std::string> path = line.Value(option);
    if (!path) continue;
    *choice = DataFileChoice{*path, ReadTextFile(*path), DataFormatOfPath(*path)};
    if ((*choice)->Format == DataFormat::Table) continue;
    // Loading a file puts its first line into the dialog's temperature box. Here nothing
    // can be typed, so the box gets the line the file's own temperature is read from, the
    // first that holds anything, and a file without one is refused with its name.
    LineCursor cursor((*choice)->Lines);
    request.TemperatureText = ReadingFile(*path, [&] { return cursor.ReadNextLine("the temperature"); });
    request.TemperatureFile = *path;
    request.TemperatureLine = cursor.LineNumber();
  }
  if (!dataFile) request.TemperatureText = line.Value("--temperature").value_or(FloatToText(project.Temperature));
  const std::vector<std::string> problems = CheckImportRequest(request);
  if (!problems.empty()) throw FormatError(problems.front());

  const ImportResult result = session.Import(request, WrittenDateTime(line));
  for (const ImportWarning& warning : result.Warnings) {
    err << "zamo-cli: warning: "
        << EscapeControlCharacters(warning.File + ": " + warning.Text + " (" + warning.Detail + ")") << '\n';
  }
  RunSave(line, session, out);
}

}  // namespace zamo::cli
