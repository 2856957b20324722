#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "document/DataFileImport.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/TextFile.h"
#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "model/PlatformTexts.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/RelativeOptimizationText.h"
#include "ui/FullOutputText.h"
#include "ui/GraphSize.h"

namespace zamo::cli {

namespace {

// Plot width of the main window at its smallest size; curves are not printed, but the
// recalculation samples them as the window does.
constexpr int kPlotIntervals = 565;

std::string Scientific(Real value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.20Le", value);
  return buffer;
}

// What showing a project does to the model after a read: it is valid and recalculated.
void ShowProject(KineticProject& project) {
  project.DataValid = true;
  RecalcCurves(project, kPlotIntervals);
}

// Brings the deviation sums of every present experiment up to date, not only the shown
// one's, so that both error sections of a written file are current.
void EvaluatePresentExperiments(KineticProject& project) {
  for (const Side side : {Side::Left, Side::Right}) {
    if (project.ExperimentOf(side).Present) {
      project.DeviationOf(side) = ComputeDeviation(project.ExperimentOf(side), side, project.Coefficients);
    }
  }
}

DateTime WrittenDateTime(const CommandLine& line) {
  const std::optional<std::string> text = line.Value("--date-time");
  return text ? StrToDateTime(*text) : CurrentDateTime();
}

// The project text to -o (atomically) or to out.
void WriteProject(const CommandLine& line, const KineticProject& project, std::ostream& out) {
  const TextLines text = BuildProjectText(project, WrittenDateTime(line));
  if (const std::optional<std::string> path = line.Value("-o")) {
    WriteTextFileAtomically(*path, text);
  } else {
    out << JoinLinesCrLf(text);
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
    if (const std::optional<std::string> right = line.Value("--right")) return *right;
    if (const std::optional<std::string> left = line.Value("--left")) return *left;
  }
  return line.Project.value_or(kExampleFileName);
}

void LoadProject(const CommandLine& line, KineticProject& project) {
  ReadProjectText(project, ExampleProjectText(), "");
  project.FileName = kExampleFileName;
  ShowProject(project);
  if (line.Project) {
    const TextLines lines = ReadTextFile(*line.Project);
    ReadingFile(*line.Project, [&] {
      ReadProjectText(project, lines, *line.Project);
      ShowProject(project);
    });
  }
  if (const std::optional<Side> side = line.Experiment()) {
    project.ShowLeft = *side == Side::Left;
    RecalcCurves(project, kPlotIntervals);
  }
}

void RunCalc(const CommandLine& line, KineticProject& project, std::ostream& out) {
  for (const std::string& text : line.Times) {
    Real t = 0;
    if (!TryStrToFloat(text, t) || t < 0) throw UsageError("'" + text + "' is not a time in seconds");
  }
  for (const std::string& text : line.Times) {
    const Real t = StrToFloat(text);
    const Concentrations c = CalcConc(project.Coefficients, project.CurrentSide(), t);
    out << Scientific(t);
    for (const Real value : c) out << ' ' << Scientific(value);
    out << '\n';
  }
}

void RunDeviation(KineticProject& project, std::ostream& out) {
  const std::optional<Side> side = DeviationExperiment(project);
  const DeviationLabelTexts labels = side ? DeviationLabels(project.DeviationOf(*side)) : InitialDeviationLabels();
  out << labels.Total << '\n';
  for (int s = 1; s <= kSpeciesCount; ++s) {
    out << static_cast<char>('A' + s - 1) << '\t' << labels.Signed[s] << '\t' << labels.Absolute[s] << '\n';
  }
}

void RunReport(const KineticProject& project, std::ostream& out) {
  for (const std::string& text : FullOutputText(project)) out << text << '\n';
}

void RunSave(const CommandLine& line, KineticProject& project, std::ostream& out) {
  EvaluatePresentExperiments(project);
  WriteProject(line, project, out);
}

void RunOptimize(const CommandLine& line, KineticProject& project, std::ostream& out, std::ostream& err,
                 const Environment& env) {
  EvaluatePresentExperiments(project);
  OptimizationSettings settings = DefaultOptimizationSettings(project);
  if (const auto steps = line.Value("--steps")) settings.Steps = StrToInt(*steps);
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
    project.K = result;
    RecalcCurves(project, kPlotIntervals);
    RunSave(line, project, out);
  }
}

void RunGraph(const CommandLine& line, KineticProject& project, const Environment& env) {
  const std::string path = *line.Value("-o");
  if (!env.SaveGraph) {
    throw FileError(path, texts::CannotCreateFile(
                              path, "this zamo-cli was built without the windows library and draws no pictures"));
  }
  int position = project.ShowLeft ? project.ZoomLeft : project.ZoomRight;
  if (const std::optional<std::string> given = line.Value("--zoom-position")) position = StrToInt(*given);
  // As the window's zoom bar would hold it.
  position = std::clamp(position, 1, 325);
  RecalcCurves(project, kGraphIntervals);
  env.SaveGraph(path, project, position);
}

void RunImport(const CommandLine& line, KineticProject& project, std::ostream& out, std::ostream& err) {
  ImportRequest request;
  // Like the dialog, the fields start from the open project where it has them.
  request.Title = line.Value("--title").value_or(project.Title);
  request.Author = line.Value("--author").value_or(project.Author);
  request.LeftName = line.Value("--left-name").value_or(project.LeftReactantName);
  request.RightName = line.Value("--right-name").value_or(project.RightReactantName);
  for (const auto& [option, choice] : {std::pair{"--left", &request.Left}, std::pair{"--right", &request.Right}}) {
    if (const std::optional<std::string> path = line.Value(option)) {
      *choice = DataFileChoice{*path, ReadTextFile(*path)};
      // Loading a file puts its first line into the dialog's temperature box. Here nothing
      // can be typed, so the box gets the line the file's own temperature is read from, the
      // first that holds anything, and a file without one is refused with its name.
      LineCursor cursor((*choice)->Lines);
      request.TemperatureText = ReadingFile(*path, [&] { return cursor.ReadNextLine("the temperature"); });
      request.TemperatureFile = *path;
      request.TemperatureLine = cursor.LineNumber();
    }
  }
  if (!request.Left && !request.Right)
    throw UsageError("import needs --left or --right (You have to Load a Zamo-Data-File)");
  const std::vector<std::string> problems = CheckImportRequest(request);
  if (!problems.empty()) throw FormatError(problems.front());

  const ImportResult result = ImportDataFiles(project, request, WrittenDateTime(line));
  for (const ImportWarning& warning : result.Warnings) {
    err << "zamo-cli: warning: "
        << EscapeControlCharacters(warning.File + ": " + warning.Text + " (" + warning.Detail + ")") << '\n';
  }
  RecalcCurves(project, kPlotIntervals);
  RunSave(line, project, out);
}

}  // namespace zamo::cli
