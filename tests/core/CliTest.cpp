#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "cli/CommandLine.h"
#include "document/FullOutputText.h"
#include "document/ProjectReader.h"
#include "document/ResultTable.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/PlotData.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using CliFiles = TempFolderTest;

std::string Scientific(Real value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.20Le", value);
  return buffer;
}

// Every value an option takes is checked before anything is read, with the option's own
// message; status 2, the usage text after it, nothing on standard output.
TEST(CliUsage, WrongUsageSaysWhyAndExitsWithTwo) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "no command given"},
      {{"calc", "--experiment"}, "option --experiment needs a value"},
      {{"deviation", "-o", "x.zam"}, "command deviation has no option -o"},
      {{"report", "a.zam", "b.zam"}, "unexpected argument 'b.zam'"},
      {{"table", "--points", "1"}, "--points takes a whole number from 2 to 10001"},
      {{"import"}, "import needs --left or --right (You have to Load a Zamo-Data-File)"},
      {{"import", "--left", "l.dat", "--right-name", "B\r"},
       "--right-name cannot hold a line break (CR or LF): a project file holds it on one line"},
      {{"fit", "--free", "k1,,k3"}, "--free takes constants k1..k16 separated by commas, not ''"},
      {{"fit", "--free", "k2", "--free-all"}, "--free and --free-all exclude each other"},
      {{"select", "--candidates", "k5-k2"}, "--candidates takes ranges from the lower constant up, not 'k5-k2'"},
      {{"series", "s.zams", "--method", "fast"}, "--method takes two-stage, global or both"},
      // Several wrong: the first in the command's order of checks.
      {{"fit", "--weights", "x", "--starts", "0"}, "--starts takes a whole number from 1 to 1000"},
  };
  for (const auto& [args, message] : cases) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(std::tuple(r.Status, r.Err, r.Out),
              std::tuple(2, "zamo-cli: " + message + "\n\n" + cli::UsageText(), ""));
  }
  EXPECT_EQ(RunCli({"report", "--help"}).Out, cli::UsageText());
}

// calc prints the time and the eight fractions of the asked experiment in %.20Le.
TEST(CliCalc, PrintsTheFractionsOfTheAskedExperiment) {
  std::string expected = Scientific(1800);
  for (const Real c : CalcConc(Example(Side::Right).Coefficients, Side::Right, 1800)) expected += ' ' + Scientific(c);
  EXPECT_EQ(RunCli({"calc", "--experiment", "right", "1800"}).Out, expected + '\n');
}

// A right-only project is evaluated on the right whatever is asked; report shows the asked one.
TEST(CliDeviation, ShowsTheLabelsOfTheEvaluatedExperiment) {
  const std::string rightOnly = DataFilePath("right-only.zam");
  for (const auto& [args, side] :
       {std::pair{std::vector<std::string>{"deviation"}, Side::Left},
        std::pair{std::vector<std::string>{"deviation", "--experiment=right"}, Side::Right},
        std::pair{std::vector<std::string>{"deviation", rightOnly, "--experiment", "left"}, Side::Right}}) {
    const std::string out = RunCli(args).Out;
    const DeviationLabelTexts labels = DeviationLabels(Example(side).DeviationOf(side));
    EXPECT_EQ(out.substr(0, out.find('\n')), labels.Total);
    EXPECT_NE(out.find("\nH\t" + labels.Signed[8] + "\t" + labels.Absolute[8] + "\n"), std::string::npos);
  }
  EXPECT_EQ(SplitLines(RunCli({"report", "--experiment", "right"}).Out), FullOutputText(Example(Side::Right)));
}

// A save writes both experiments' current deviations, whichever is shown.
TEST(CliSave, WritesBothDeviations) {
  const TextLines lines = SplitLines(RunCli({"save", "--date-time", "06.12.26 10:00:00"}).Out);
  EXPECT_EQ(lines[14], "Act. Date/Time: 06.12.26 10:00:00");
  const auto right = std::find(lines.begin(), lines.end(), "Error: Right-Reactions") - lines.begin();
  EXPECT_EQ(lines[static_cast<std::size_t>(right) + 2].substr(0, 25), "TOTAL SQ DIFF SUM = 12.55");
}

// The optimizer run in-process on the example as the tool loads it, both deviations current.
std::string OptimizedInProcess(const OptimizationSettings& settings) {
  KineticProject project = Example();
  project.LeftDeviation = ComputeDeviation(project.Left, Side::Left, project.Coefficients);
  project.RightDeviation = ComputeDeviation(project.Right, Side::Right, project.Coefficients);
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  const RateConstants k = OptimizeRateConstants(settings, {project.K, project.Left, project.Right}, starts, {}, stop);
  std::string lines;
  for (int i = 1; i <= kRateConstantCount; ++i) lines += "k" + std::to_string(i) + " " + Scientific(k[i]) + "\n";
  return lines;
}

// The options reach the settings; -o writes the constants printed (six significant digits).
TEST_F(CliFiles, OptimizeOptionsReachTheSettings) {
  OptimizationSettings vary;
  vary.VaryK15K16 = true;
  vary.Steps = 2;
  OptimizationSettings plain;
  plain.HighPr_k1k8 = false;
  plain.Withoutk6k7k13k14 = true;
  plain.Steps = 3;
  EXPECT_EQ(RunCli({"optimize", "--steps", "2", "--vary-k15-k16"}).Out, OptimizedInProcess(vary));
  const std::string out = RunCli({"optimize", "--no-high-priority", "--without-k6-k7-k13-k14", "--steps=3", "-o",
                                  (dir_ / "o.zam").string()})
                              .Out;
  EXPECT_EQ(out, OptimizedInProcess(plain));
  const ProjectData written = ReadProjectFile((dir_ / "o.zam").string()).Data;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    const std::string line = "k" + std::to_string(i) + " ";
    const Real printed = std::strtold(out.c_str() + out.find(line) + line.size(), nullptr);
    EXPECT_NEAR(written.K[i], printed, 5e-6L * printed) << line;
  }
}

// Data files rebuild the example's text, apart from the data-file paths, the date and the zoom.
TEST(CliImport, DataFilesRebuildTheExample) {
  const std::string left = DataFilePath("left-tmcp-210.dat");
  const CliResult imported = RunCli(
      {"import", "--left", left, "--right", DataFilePath("right-ipcp-210.dat"), "--date-time", "06.12.26 10:00:00"});
  EXPECT_EQ(std::tuple(imported.Status, imported.Err), std::tuple(0, ""));
  const TextLines saved = SplitLines(RunCli({"save", "--date-time", "06.12.26 10:00:00"}).Out);
  const TextLines imports = SplitLines(imported.Out);
  std::vector<std::string> got(imports.begin(), imports.end());
  ASSERT_EQ(got.size(), saved.size());
  EXPECT_EQ(got[4], left);
  for (const std::size_t i : {4u, 6u, 7u, 16u}) got[i] = saved[i];  // paths, date, zoom
  EXPECT_EQ(got, std::vector<std::string>(saved.begin(), saved.end()));

  const CliResult swapped = RunCli({"import", "--right", left});
  EXPECT_EQ(swapped.Err, "zamo-cli: warning: " + left +
                             ": Error by Analysing the File (the start row of the right reaction holds no B)\n");
}

TEST_F(CliFiles, TableTakesConstantsFromAProjectAndTheTemperatureFromTheOption) {
  const std::string constants = (dir_ / "constants.zam").string();
  PutFile(constants, JoinLinesCrLf(ExampleTextWith({{22, "2.5E-06  3.623E-05"}})));
  const CliResult r = RunCli({"import", "--right", DataFilePath("example-right-decimal-comma-semicolon.txt"),
                              "--constants", constants, "--temperature", "150.5"});
  KineticProject imported;
  ReadInto(imported, SplitLines(r.Out), "out.zam");
  EXPECT_EQ(std::tuple(imported.K[1], imported.Temperature, imported.Left.Present), std::tuple(2.5e-6L, 150.5L, false));
  EXPECT_TRUE(imported.Right == Example().Right);
  EXPECT_EQ(RunCli({"import", "--left", DataFilePath("left-tmcp-210.dat"), "--temperature", "20"}).Status, 2);
}

// zamo-cli plot hands the windows library what the options ask for: the experiments (the
// shown one switched first), the time axis, the residuals and the picture's size.
TEST(CliPlot, OptionsReachThePicture) {
  using Seen = std::tuple<std::string, PlotExperiments, Side, TimeUnit, bool, bool, int, int, int>;
  const std::pair<std::vector<std::string>, Seen> cases[] = {
      {{"plot", "--experiment", "right", "--time-unit", "h", "-o", "p.svg"},
       {"p.svg", PlotExperiments::Shown, Side::Right, TimeUnit::Hours, false, false, 2400, 1800, 300}},
      {{"plot", "--experiment", "both", "--residuals", "--log-time", "--time-unit", "s", "--width", "800", "--height",
        "600", "--dpi", "96", "-o", "p.pdf"},
       {"p.pdf", PlotExperiments::Both, Side::Left, TimeUnit::Seconds, true, true, 800, 600, 96}},
  };
  for (const auto& [args, expected] : cases) {
    Seen seen;
    cli::Environment env;
    env.SavePlot = [&seen](const std::string& p, const KineticProject& project, const PlotOptions& o,
                           const PictureSize& s) {
      seen = {p, o.Experiments, project.CurrentSide(), o.Unit, o.LogTime, o.Residuals, s.Width, s.Height, s.Dpi};
    };
    ASSERT_EQ(RunCli(args, env).Status, 0);
    EXPECT_EQ(seen, expected) << ::testing::PrintToString(args);
  }
}

TEST_F(CliFiles, TableGoesToStandardOutputOrTheFile) {
  EXPECT_EQ(RunCli({"table", "--points", "3"}).Out, ResultTableCsv(Example(), 3));
  EXPECT_TRUE(RunCli({"table", "--points", "3", "-o", (dir_ / "table.csv").string()}).Out.empty());
  EXPECT_EQ(ReadTextFile((dir_ / "table.csv").string()), SplitLines(ResultTableCsv(Example(), 3)));
}

}  // namespace
}  // namespace zamo
