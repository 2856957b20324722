#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/CommandLine.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/PlotData.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

class CliFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Write(const std::string& name, const TextLines& lines) {
    std::ofstream(Path(name), std::ios::binary) << JoinLinesCrLf(lines);
    return Path(name);
  }

  const fs::path folder_ =
      fs::temp_directory_path() /
      ("zamo-cli-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
       std::to_string(::getpid()));
};

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
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"calc"}, "calc needs at least one time in seconds"},
      {{"calc", "1800", "soon"}, "'soon' is not a time in seconds"},
      {{"calc", "--experiment", "middle", "1800"}, "--experiment takes left or right"},
      {{"calc", "--experiment"}, "option --experiment needs a value"},
      {{"fit", "--json=yes"}, "option --json takes no value"},
      {{"deviation", "-o", "x.zam"}, "command deviation has no option -o"},
      {{"report", "a.zam", "b.zam"}, "unexpected argument 'b.zam'"},
      {{"table", "--points", "1"}, "--points takes a whole number from 2 to 10001"},
      {{"table", "--points", "many"}, "--points takes a whole number from 2 to 10001"},
      {{"optimize", "--steps", "41"}, "--steps takes a whole number from 1 to 40"},
      {{"graph", "--zoom-position", "326", "-o", "g.bmp"}, "--zoom-position takes a whole number from 1 to 325"},
      {{"graph"}, "graph needs -o OUT.bmp"},
      {{"plot", "--experiment", "up", "-o", "p.png"}, "--experiment takes left, right or both"},
      {{"plot", "--time-unit", "d", "-o", "p.png"}, "--time-unit takes s, min or h"},
      {{"plot", "--dpi", "20"}, "--dpi takes a whole number from 30 to 1200"},
      {{"plot"}, "plot needs -o OUT.png, OUT.svg or OUT.pdf"},
      {{"import"}, "import needs --left or --right (You have to Load a Zamo-Data-File)"},
      {{"import", "--left", "l.csv", "--temperature", "warm"}, "--temperature takes a temperature in degrees Celsius"},
      {{"import", "--left", "l.dat", "--title", "Run 1\nsecond line"},
       "--title cannot hold a line break (CR or LF): a project file holds it on one line"},
      {{"import", "--left", "l.dat", "--right-name", "B\r"},
       "--right-name cannot hold a line break (CR or LF): a project file holds it on one line"},
      {{"fit", "--free", "k1,k17"}, "--free takes constants k1..k16 separated by commas, not 'k17'"},
      {{"fit", "--free", "k1,,k3"}, "--free takes constants k1..k16 separated by commas, not ''"},
      {{"fit", "--free", "k1-k3"}, "--free takes constants k1..k16 separated by commas, not 'k1-k3'"},
      {{"fit", "--free", "k2", "--free-all"}, "--free and --free-all exclude each other"},
      {{"fit", "--experiments", "up"}, "--experiments takes both, left or right"},
      {{"fit", "--weights", "all"}, "--weights takes none or species"},
      {{"fit", "--starts", "0"}, "--starts takes a whole number from 1 to 1000"},
      {{"select", "--candidates", "k5-k2"}, "--candidates takes ranges from the lower constant up, not 'k5-k2'"},
      {{"select", "--keep", "k0"},
       "--keep takes constants k1..k16 or ranges like k1-k14, separated by commas, not 'k0'"},
      {{"select", "--criterion", "aic"}, "--criterion takes aicc or bic"},
      {{"select", "--method", "forward"}, "--method takes exhaustive or backward"},
      {{"select", "--top", "0"}, "--top takes a whole number from 1 to 65536"},
      {{"select", "--threads", "257"}, "--threads takes a whole number from 1 to 256"},
      {{"series"}, "series needs a series file or the project files"},
      {{"series", "s.zams", "--method", "fast"}, "--method takes two-stage, global or both"},
      // Several wrong: the first in the command's order of checks.
      {{"fit", "--weights", "x", "--starts", "0"}, "--starts takes a whole number from 1 to 1000"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "zamo-cli: " + message + "\n\n" + cli::UsageText());
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(CliUsage, HelpShowsTheValuesEachOptionTakes) {
  const CliResult r = RunCli({"report", "--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, cli::UsageText());
  for (const char* text :
       {"\n  calc [PROJECT] [--experiment left|right] T...\n", "(2..10001, default 101)",
        "[--experiments both|left|right] [--weights none|species]", "position P (1..325;",
        "\n  --experiment left|right  the shown experiment", "such as\n                           /dev/stdout"}) {
    EXPECT_NE(r.Out.find(text), std::string::npos) << text;
  }
}

// calc prints the time and the eight fractions of the asked experiment in %.20Le.
TEST(CliCalc, PrintsTheFractionsOfTheAskedExperiment) {
  for (const Side side : {Side::Left, Side::Right}) {
    const CliResult r = RunCli({"calc", "--experiment", side == Side::Left ? "left" : "right", "1800", "36000"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const KineticProject example = Example(side);
    std::string expected;
    for (const Real t : {1800.0L, 36000.0L}) {
      expected += Scientific(t);
      for (const Real c : CalcConc(example.Coefficients, side, t)) expected += ' ' + Scientific(c);
      expected += '\n';
    }
    EXPECT_EQ(r.Out, expected);
  }
}

// A right-only project is evaluated on the right whatever is asked.
TEST(CliDeviation, ShowsTheLabelsOfTheEvaluatedExperiment) {
  const std::string rightOnly = DataFilePath("right-only.zam");
  for (const auto& [args, side] :
       {std::pair{std::vector<std::string>{"deviation"}, Side::Left},
        std::pair{std::vector<std::string>{"deviation", "--experiment=right"}, Side::Right},
        std::pair{std::vector<std::string>{"deviation", rightOnly, "--experiment", "left"}, Side::Right}}) {
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    const DeviationLabelTexts labels = DeviationLabels(Example(side).DeviationOf(side));
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), labels.Total);
    EXPECT_NE(r.Out.find("\nH\t" + labels.Signed[8] + "\t" + labels.Absolute[8] + "\n"), std::string::npos);
  }
}

TEST(CliReport, PrintsTheReportOfTheShownExperiment) {
  const CliResult right = RunCli({"report", "--experiment", "right"});
  ASSERT_EQ(right.Status, 0) << right.Err;
  EXPECT_EQ(right.Out.substr(0, right.Out.find('\n')), "Temperature = 210.1 Grad");
  EXPECT_NE(right.Out.find("\nTIME = 1200.0 s, 20.0 min,  0.3 h\n"), std::string::npos);
  EXPECT_EQ(right.Out.find("TIME = 1800.0 s"), std::string::npos);
}

// A save writes both experiments' current deviations, whichever is shown, and reads back
// to the same numbers.
TEST_F(CliFiles, SaveWritesBothDeviationsAndReadsBack) {
  const CliResult r = RunCli({"save", "--date-time", "06.12.26 10:00:00"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "\r\n");
  const TextLines lines = SplitLines(r.Out);
  EXPECT_EQ(lines[14], "Act. Date/Time: 06.12.26 10:00:00");
  const auto right = std::find(lines.begin(), lines.end(), "Error: Right-Reactions") - lines.begin();
  EXPECT_EQ(lines[static_cast<std::size_t>(right) + 2].substr(0, 25), "TOTAL SQ DIFF SUM = 12.55");

  const std::string saved = Path("saved.zam");
  ASSERT_EQ(RunCli({"save", "-o", saved}).Status, 0);
  for (const char* side : {"left", "right"}) {
    EXPECT_EQ(RunCli({"calc", saved, "--experiment", side, "600", "99999"}).Out,
              RunCli({"calc", "--experiment", side, "600", "99999"}).Out);
  }
}

// Errors name the file (and line) and exit with 1; a failed save writes nothing.
TEST_F(CliFiles, ErrorsNameTheFileAndExitWithOne) {
  const std::string comma = Write("comma.zam", ExampleTextWith({{9, "210,1"}}));
  const std::string missing = Path("missing.dat");
  const std::string table = Write("rows.csv", {"0,0,100,0,0,0,0,0", "30,x,0,0,0,0,0,0"});
  const std::string unwritable = Path("no-such-folder/x.zam");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"deviation", comma}, comma + ":10: '210,1' ist kein gültiger Gleitkommawert"},
      {{"import", "--left", missing}, "Datei " + missing + " kann nicht geöffnet werden: No such file or directory"},
      {{"import", "--right", table}, table + ":2:4: expected a number in column 2 (A in %), found 'x'"},
      {{"fit", DataFilePath("right-only.zam"), "--experiments", "left"},
       DataFilePath("right-only.zam") + ": The project holds no left experiment to fit"},
      {{"save", "-o", unwritable}, "Datei " + unwritable + " kann nicht erstellt werden: No such file or directory"},
  };
  for (const auto& [args, message] : cases) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "zamo-cli: " + message + "\n");
    EXPECT_TRUE(r.Out.empty());
  }
  EXPECT_FALSE(fs::exists(unwritable));
}

// The optimizer run in-process on a project as the tool loads it, with both deviations current.
std::string OptimizedInProcess(const TextLines& text, const OptimizationSettings& settings) {
  KineticProject project = Opened(text);
  project.LeftDeviation = ComputeDeviation(project.Left, Side::Left, project.Coefficients);
  project.RightDeviation = ComputeDeviation(project.Right, Side::Right, project.Coefficients);
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  const RateConstants k = OptimizeRateConstants(settings, {project.K, project.Left, project.Right}, starts, {}, stop);
  std::string lines;
  for (int i = 1; i <= kRateConstantCount; ++i) lines += "k" + std::to_string(i) + " " + Scientific(k[i]) + "\n";
  return lines;
}

TEST(CliOptimize, OptionsReachTheSettings) {
  OptimizationSettings vary;
  vary.VaryK15K16 = true;
  vary.Steps = 2;
  OptimizationSettings without;
  without.Withoutk6k7k13k14 = true;
  without.Steps = 2;
  OptimizationSettings plain;
  plain.HighPr_k1k8 = false;
  plain.Steps = 3;
  const std::pair<std::vector<std::string>, OptimizationSettings> cases[] = {
      {{"optimize", "--steps", "2", "--vary-k15-k16"}, vary},
      {{"optimize", "--steps", "2", "--without-k6-k7-k13-k14"}, without},
      {{"optimize", "--no-high-priority", "--steps=3"}, plain}};
  for (const auto& [args, settings] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, OptimizedInProcess(ExampleProjectText(), settings));
  }
  // --progress: one line per cycle, position and the figure with two decimals, first.
  const CliResult progress = RunCli({"optimize", "--steps", "1", "--progress"});
  const TextLines lines = SplitLines(progress.Out);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0].substr(0, 4), "500 ");
  EXPECT_EQ(lines[1].size() - lines[1].find('.'), 3u) << lines[1];
}

// The hidden right experiment's deviation, above 100, makes every species count.
TEST_F(CliFiles, EverySpeciesCountsWhenTheHiddenExperimentDeviatesMuch) {
  const TextLines lines = ExampleTextWith({{51, "60.0  9.48  51.24  5.91  0.06  0.00  0.00  1.49"},
                                           {52, "90.0  12.26  40.75  6.94  0.20  0.01  0.90  2.02"}});
  const CliResult r = RunCli({"optimize", Write("right-far-off.zam", lines), "--steps", "2"});
  OptimizationSettings all;
  all.Steps = 2;
  all.AllSpecies = true;
  EXPECT_EQ(r.Out, OptimizedInProcess(lines, all));
}

// -o writes the project with the constants each command reached (six significant digits).
TEST_F(CliFiles, WrittenProjectHoldsTheConstantsPrinted) {
  const std::string out = Path("optimized.zam");
  const CliResult r = RunCli({"optimize", "--steps", "1", "-o", out});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const ProjectData written = ReadProjectFile(out).Data;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    const std::string line = "k" + std::to_string(i) + " ";
    const std::size_t at = r.Out.find(line);
    const Real printed = std::strtold(r.Out.c_str() + at + line.size(), nullptr);
    EXPECT_NEAR(written.K[i], printed, 5e-6L * printed) << line;
  }
}

// Imports the two files and compares the project written with the example's text, apart
// from the data-file paths, the date and the zoom.
void ExpectTheExampleImported(const std::string& left, const std::string& right) {
  const CliResult imported = RunCli({"import", "--left", left, "--right", right, "--date-time", "06.12.26 10:00:00"});
  EXPECT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_TRUE(imported.Err.empty()) << imported.Err;
  const TextLines imports = SplitLines(imported.Out);
  const TextLines saves = SplitLines(RunCli({"save", "--date-time", "06.12.26 10:00:00"}).Out);
  std::vector<std::string> got(imports.begin(), imports.end());
  const std::vector<std::string> example(saves.begin(), saves.end());
  ASSERT_EQ(got.size(), example.size());
  EXPECT_EQ(got[4], left);
  for (const std::size_t i : {4u, 6u, 7u, 16u}) got[i] = example[i];  // paths, date, zoom
  EXPECT_EQ(got, example);
}

TEST(CliImport, DataFilesOrTablesRebuildTheExample) {
  ExpectTheExampleImported(DataFilePath("left-tmcp-210.dat"), DataFilePath("right-ipcp-210.dat"));
  ExpectTheExampleImported(DataFilePath("example-left.csv"), DataFilePath("example-right-decimal-comma.tsv"));
}

TEST(CliImport, WarningsGoToStandardErrorAndTheImportSucceeds) {
  const CliResult r = RunCli({"import", "--right", DataFilePath("left-tmcp-210.dat"), "--title", "Swapped"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "zamo-cli: warning: " + DataFilePath("left-tmcp-210.dat") +
                       ": Error by Analysing the File (the start row of the right reaction holds no B)\n");
  EXPECT_EQ(SplitLines(r.Out)[1], "Swapped");
}

TEST_F(CliFiles, TableTakesConstantsFromAProjectAndTheTemperatureFromTheOption) {
  const std::string constants = Write("constants.zam", ExampleTextWith({{22, "2.5E-06  3.623E-05"}}));
  const CliResult r = RunCli({"import", "--right", DataFilePath("example-right-decimal-comma-semicolon.txt"),
                              "--constants", constants, "--temperature", "150.5"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  KineticProject imported;
  ReadInto(imported, SplitLines(r.Out), "out.zam");
  EXPECT_EQ(imported.K[1], 2.5e-6L);
  EXPECT_EQ(imported.Temperature, 150.5L);
  EXPECT_FALSE(imported.Left.Present);
  EXPECT_TRUE(imported.Right == Example().Right);
  EXPECT_EQ(RunCli({"import", "--left", DataFilePath("left-tmcp-210.dat"), "--temperature", "20"}).Status, 2);
}

// zamo-cli plot hands the windows library what the options ask for: the experiments (the
// shown one switched first), the time axis, the residuals and the picture's size.
TEST(CliPlot, OptionsReachThePicture) {
  struct Case {
    std::vector<std::string> Args;
    PlotExperiments Experiments;
    Side Shown;
    TimeUnit Unit;
    bool Log;
    PictureSize Size;
  };
  const Case cases[] = {
      {{"plot", "-o", "p.png"}, PlotExperiments::Shown, Side::Left, TimeUnit::Minutes, false, {2400, 1800, 300}},
      {{"plot", "--experiment", "right", "--time-unit", "h", "-o", "p.svg"},
       PlotExperiments::Shown,
       Side::Right,
       TimeUnit::Hours,
       false,
       {2400, 1800, 300}},
      {{"plot", "--experiment", "both", "--residuals", "--log-time", "--time-unit", "s", "--width", "800", "--height",
        "600", "--dpi", "96", "-o", "p.pdf"},
       PlotExperiments::Both,
       Side::Left,
       TimeUnit::Seconds,
       true,
       {800, 600, 96}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Args));
    std::string path;
    Side shown = Side::Left;
    PlotOptions options;
    PictureSize size{};
    cli::Environment env;
    env.SavePlot = [&](const std::string& p, const KineticProject& project, const PlotOptions& o,
                       const PictureSize& s) {
      path = p;
      shown = project.CurrentSide();
      options = o;
      size = s;
    };
    ASSERT_EQ(RunCli(c.Args, env).Status, 0);
    EXPECT_EQ(path, c.Args.back());
    EXPECT_EQ(options.Experiments, c.Experiments);
    EXPECT_EQ(shown, c.Shown);
    EXPECT_EQ(options.Unit, c.Unit);
    EXPECT_EQ(options.LogTime, c.Log);
    EXPECT_EQ(options.Residuals, c.Log);
    EXPECT_EQ(std::tuple(size.Width, size.Height, size.Dpi), std::tuple(c.Size.Width, c.Size.Height, c.Size.Dpi));
  }
}

TEST_F(CliFiles, TableGoesToStandardOutputOrTheFile) {
  const CliResult printed = RunCli({"table", "--points", "3"});
  ASSERT_EQ(printed.Status, 0) << printed.Err;
  const TextLines lines = SplitLines(printed.Out);
  // Header, 7 + 7 rows, an empty line, header, 3 + 3 points.
  ASSERT_EQ(lines.size(), 1u + 14 + 1 + 1 + 6);
  EXPECT_EQ(lines[18].substr(0, 47), "Left,\"1,3,3-Trimethylcyclopropene\",1,300,18000,");
  const std::string path = Path("table.csv");
  EXPECT_TRUE(RunCli({"table", "--points", "3", "-o", path}).Out.empty());
  EXPECT_EQ(ReadTextFile(path), lines);
}

}  // namespace
}  // namespace zamo
