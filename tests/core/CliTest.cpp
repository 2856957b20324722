#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "document/TextLines.h"
#include "model/EvaluateDeviation.h"
#include "model/RecalcCurves.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/PlotData.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

struct Result {
  int Status = -1;
  std::string Out;
  std::string Err;
};

Result RunCli(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Result result;
  result.Status = cli::Run(args, out, err);
  result.Out = out.str();
  result.Err = err.str();
  return result;
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

class CliFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        fs::temp_directory_path() / ("zamo-cli-test-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const TextLines& lines) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << JoinLinesCrLf(lines);
    return path.string();
  }

  fs::path folder_;
};

TEST(CliUsage, HelpPrintsUsageAndSucceeds) {
  const Result r = RunCli({"--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_NE(r.Out.find("usage: zamo-cli COMMAND [PROJECT.zam] [OPTIONS]"), std::string::npos);
  EXPECT_TRUE(r.Err.empty());
}

TEST(CliUsage, WrongUsageExitsWithTwoAndTheUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"calc"},
      {"calc", "--experiment", "middle", "1800"},
      {"calc", "--experiment"},
      {"deviation", "-o", "x.zam"},
      {"report", "a.zam", "b.zam"},
      {"calc", "-5"},
      {"calc", "1800", "soon"},
      {"import", "--left", "l.dat", "--title", "Run 1\nsecond line"},
      {"import", "--left", "l.dat", "--right-name", "B\r"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Result r = RunCli(args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("usage: zamo-cli"), std::string::npos);
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(CliCalc, PrintsTimeAndEightFractionsInScientificForm) {
  const Result r = RunCli({"calc", "1800", "36000"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::istringstream lines(r.Out);
  std::string first;
  std::getline(lines, first);
  const std::vector<std::string> words = SplitWords(first);
  ASSERT_EQ(words.size(), 9u);
  EXPECT_EQ(words[0], "1.80000000000000000000e+03");
  // %.20Le: one digit, a point, twenty digits, the exponent.
  for (const std::string& word : words) EXPECT_EQ(word.find('e'), 22u) << word;
  // The example's left experiment at 30 minutes, in percent to four decimals.
  const double expected[8] = {90.5636, 0.1925, 1.7682, 0.0147, 0.0531, 4.0014, 0.0568, 3.3497};
  long double sum = 0;
  for (int s = 0; s < 8; ++s) {
    const long double value = std::strtold(words[static_cast<std::size_t>(s) + 1].c_str(), nullptr);
    EXPECT_NEAR(static_cast<double>(value * 100), expected[s], 0.5e-4) << "species " << s + 1;
    sum += value;
  }
  EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-15);
}

TEST(CliCalc, ExperimentOptionSelectsTheRightReaction) {
  const Result r = RunCli({"calc", "--experiment", "right", "36000"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::vector<std::string> words = SplitWords(r.Out);
  ASSERT_EQ(words.size(), 9u);
  const double expected[8] = {6.4097, 1.0914, 17.6001, 0.8058, 0.1224, 9.2230, 4.7764, 59.9711};
  for (int s = 0; s < 8; ++s) {
    EXPECT_NEAR(static_cast<double>(std::strtold(words[static_cast<std::size_t>(s) + 1].c_str(), nullptr) * 100),
                expected[s], 0.5e-4);
  }
}

TEST(CliDeviation, ShowsTheLabelsOfTheExampleOnBothSides) {
  const Result left = RunCli({"deviation"});
  ASSERT_EQ(left.Status, 0) << left.Err;
  EXPECT_EQ(left.Out,
            "7.70\n"
            "A\t-0.111\t 4.686\nB\t 0.006\t 0.228\nC\t-0.007\t 0.456\nD\t-0.007\t 0.111\n"
            "E\t 0.008\t 0.277\nF\t-0.005\t 0.628\nG\t 0.721\t 0.721\nH\t-0.606\t 3.899\n");
  const Result right = RunCli({"deviation", "--experiment=right"});
  ASSERT_EQ(right.Status, 0) << right.Err;
  EXPECT_EQ(right.Out,
            "12.55\n"
            "A\t-0.018\t 1.523\nB\t-2.279\t 4.570\nC\t-0.004\t 1.392\nD\t-0.683\t 0.683\n"
            "E\t 0.024\t 0.047\nF\t-0.398\t 1.022\nG\t 3.394\t 3.587\nH\t-0.036\t 3.439\n");
}

TEST_F(CliFiles, ARightOnlyProjectIsEvaluatedOnTheRightWhateverIsAsked) {
  // Without the left block and its empty line.
  TextLines lines(ExampleProjectText().begin(), ExampleProjectText().begin() + 32);
  lines.Append({ExampleProjectText().begin() + 44, ExampleProjectText().end()});
  const std::string path = Write("right-only.zam", lines);
  const Result r = RunCli({"deviation", path, "--experiment", "left"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, 6), "12.55\n");
}

TEST(CliReport, PrintsTheReportOfTheShownExperiment) {
  const Result left = RunCli({"report"});
  ASSERT_EQ(left.Status, 0) << left.Err;
  EXPECT_EQ(left.Out.substr(0, left.Out.find('\n')), "Temperature = 210.1 Grad");
  EXPECT_NE(left.Out.find("\nTIME = 36000.0 s, 600.0 min,  10.0 h\n"), std::string::npos);
  const Result right = RunCli({"report", "--experiment", "right"});
  ASSERT_EQ(right.Status, 0) << right.Err;
  EXPECT_NE(right.Out.find("\nTIME = 1200.0 s, 20.0 min,  0.3 h\n"), std::string::npos);
  EXPECT_EQ(right.Out.find("TIME = 1800.0 s"), std::string::npos);
}

TEST_F(CliFiles, SaveWritesBothErrorSectionsWithCurrentDeviations) {
  const Result r = RunCli({"save", "--date-time", "06.12.26 10:00:00"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  // Every line ends in CR LF, as in a written file.
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "\r\n");
  const TextLines lines = SplitLines(r.Out);
  EXPECT_EQ(lines[14], "Act. Date/Time: 06.12.26 10:00:00");
  const auto at = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text) - lines.begin(); };
  const auto left = at("Error: Left-Reactions");
  const auto right = at("Error: Right-Reactions");
  ASSERT_LT(left, right);
  ASSERT_EQ(right + 8, static_cast<long>(lines.size()));
  // Both sums are those the deviation labels show, although only one experiment is shown.
  EXPECT_EQ(lines[static_cast<std::size_t>(left) + 2], "TOTAL SQ DIFF SUM = 7.696");
  EXPECT_EQ(lines[static_cast<std::size_t>(right) + 2].substr(0, 25), "TOTAL SQ DIFF SUM = 12.55");
  EXPECT_EQ(lines[static_cast<std::size_t>(right) + 6],
            "  -0.018   -2.279   -0.004   -0.683    0.024   -0.398    3.394   -0.036");
}

TEST_F(CliFiles, SavedProjectReadsBackToTheSameNumbers) {
  const std::string out = (folder_ / "saved.zam").string();
  const Result save = RunCli({"save", "-o", out});
  ASSERT_EQ(save.Status, 0) << save.Err;
  EXPECT_TRUE(save.Out.empty());
  for (const char* side : {"left", "right"}) {
    EXPECT_EQ(RunCli({"deviation", out, "--experiment", side}).Out, RunCli({"deviation", "--experiment", side}).Out);
    EXPECT_EQ(RunCli({"calc", out, "--experiment", side, "600", "99999"}).Out,
              RunCli({"calc", "--experiment", side, "600", "99999"}).Out);
  }
}

TEST_F(CliFiles, ErrorsNameTheFileAndLineAndExitWithOne) {
  const TextLines lines = ExampleTextWith({{9, "210,1"}});
  const std::string broken = Write("comma.zam", lines);
  const Result r = RunCli({"deviation", broken});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "zamo-cli: " + broken + ":10: '210,1' ist kein gültiger Gleitkommawert\n");
  EXPECT_TRUE(r.Out.empty());

  const std::string missing = (folder_ / "missing.zam").string();
  const Result m = RunCli({"report", missing});
  EXPECT_EQ(m.Status, 1);
  EXPECT_EQ(m.Err, "zamo-cli: Datei " + missing + " kann nicht geöffnet werden: No such file or directory\n");
}

// A project in which A never reacts is a legitimate network: A stays at 100 %.
TEST_F(CliFiles, AnInertStartSpeciesStaysPut) {
  std::map<std::size_t, std::string> rates;
  for (std::size_t i = 22; i <= 28; ++i) rates[i] = "0.0  3.623E-05";
  const TextLines lines = WithLines(ExampleProjectText(), rates);
  const std::string path = Write("inert-a.zam", lines);
  const Result r = RunCli({"calc", path, "--experiment", "left", "1e9"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, r.Out.find(' ', r.Out.find(' ') + 1)),
            "1.00000000000000000000e+09 1.00000000000000000000e+00");
}

TEST_F(CliFiles, SaveIntoAMissingFolderFailsAndWritesNothing) {
  const std::string out = (folder_ / "no-such-folder" / "x.zam").string();
  const Result r = RunCli({"save", "-o", out});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "zamo-cli: Datei " + out + " kann nicht erstellt werden: No such file or directory\n");
  EXPECT_FALSE(fs::exists(out));
}

// ---- optimize ----

std::string Scientific(Real value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.20Le", value);
  return buffer;
}

// The sixteen "k<i> <value>" lines of a result.
std::string ConstantLines(const RateConstants& k) {
  std::string text;
  for (int i = 1; i <= kRateConstantCount; ++i) text += "k" + std::to_string(i) + " " + Scientific(k[i]) + "\n";
  return text;
}

// The optimizer run in-process on a project as the tool loads it, with both deviations current.
RateConstants OptimizeInProcess(const TextLines& text, const OptimizationSettings& settings) {
  KineticProject project = Opened(text);
  project.LeftDeviation = ComputeDeviation(project.Left, Side::Left, project.Coefficients);
  project.RightDeviation = ComputeDeviation(project.Right, Side::Right, project.Coefficients);
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  return OptimizeRateConstants(settings, {project.K, project.Left, project.Right}, starts, {}, stop);
}

TEST(CliOptimize, PrintsProgressThenTheSixteenConstants) {
  const Result r = RunCli({"optimize", "--steps", "1", "--progress"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const TextLines lines = SplitLines(r.Out);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0].substr(0, 4), "500 ");
  EXPECT_EQ(lines[1].substr(0, 5), "1000 ");
  for (const std::size_t i : {0u, 1u}) {
    // The figure in the dialog's form: digits, a point, two decimals.
    const std::string_view figure = lines[i].substr(lines[i].find(' ') + 1);
    EXPECT_EQ(figure.size() - figure.find('.'), 3u) << figure;
  }
  OptimizationSettings settings;
  settings.Steps = 1;
  EXPECT_EQ(r.Out.substr(r.Out.find("k1 ")), ConstantLines(OptimizeInProcess(ExampleProjectText(), settings)));
}

TEST(CliOptimize, OptionsReachTheSettings) {
  struct Case {
    std::vector<std::string> Args;
    OptimizationSettings Settings;
  };
  OptimizationSettings vary;
  vary.VaryK15K16 = true;
  OptimizationSettings without;
  without.Withoutk6k7k13k14 = true;
  OptimizationSettings plain;
  plain.HighPr_k1k8 = false;
  plain.Steps = 3;
  const Case cases[] = {{{"optimize"}, OptimizationSettings{}},
                        {{"optimize", "--vary-k15-k16"}, vary},
                        {{"optimize", "--without-k6-k7-k13-k14"}, without},
                        {{"optimize", "--no-high-priority", "--steps=3"}, plain}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Args));
    const Result r = RunCli(c.Args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, ConstantLines(OptimizeInProcess(ExampleProjectText(), c.Settings)));
  }
}

TEST_F(CliFiles, EverySpeciesCountsWhenTheHiddenExperimentDeviatesMuch) {
  // The right experiment is not shown, but its total deviation, evaluated at the start,
  // exceeds 100 and makes every species count.
  const TextLines lines = ExampleTextWith({{51, "60.0  9.48  51.24  5.91  0.06  0.00  0.00  1.49"},
                                           {52, "90.0  12.26  40.75  6.94  0.20  0.01  0.90  2.02"}});
  const std::string path = Write("right-far-off.zam", lines);
  ASSERT_EQ(RunCli({"deviation", path}).Out.substr(0, 5), "7.70\n");
  const Result r = RunCli({"optimize", path, "--steps", "2"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  OptimizationSettings all;
  all.Steps = 2;
  all.AllSpecies = true;
  OptimizationSettings selective = all;
  selective.AllSpecies = false;
  EXPECT_EQ(r.Out, ConstantLines(OptimizeInProcess(lines, all)));
  EXPECT_NE(r.Out, ConstantLines(OptimizeInProcess(lines, selective)));
}

TEST_F(CliFiles, OptimizedProjectIsWrittenWithTheNewConstants) {
  const std::string out = (folder_ / "fitted.zam").string();
  const Result r = RunCli({"optimize", "--steps", "2", "-o", out});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const ProjectData written = ReadProjectFile(out).Data;
  OptimizationSettings settings;
  settings.Steps = 2;
  const RateConstants fitted = OptimizeInProcess(ExampleProjectText(), settings);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    EXPECT_NEAR(static_cast<double>(written.K[i]), static_cast<double>(fitted[i]),
                5e-6 * static_cast<double>(fitted[i]))
        << "k" << i;
  }
}

// ---- import ----

std::string DataFile(const std::string& name) { return std::string(ZAMO_TEST_DATA_DIR) + "/" + name; }

// Imports the two files and compares the project written with the example's text, apart
// from the data-file paths, the date and the zoom; returns the lines written.
TextLines ImportedLikeTheExample(const std::string& left, const std::string& right) {
  const Result imported = RunCli({"import", "--left", left, "--right", right, "--date-time", "06.12.26 10:00:00"});
  EXPECT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_TRUE(imported.Err.empty()) << imported.Err;
  const TextLines got = SplitLines(imported.Out);
  const TextLines example = SplitLines(RunCli({"save", "--date-time", "06.12.26 10:00:00"}).Out);
  EXPECT_EQ(got.size(), example.size());
  for (std::size_t i = 0; i < std::min(got.size(), example.size()); ++i) {
    if (i == 4 || i == 6 || i == 7 || i == 16) continue;  // data-file paths, date, zoom
    EXPECT_EQ(got[i], example[i]) << "line " << i + 1;
  }
  return got;
}

TEST(CliImport, BothExampleDataFilesRebuildTheExampleProject) {
  const TextLines got = ImportedLikeTheExample(DataFile("left-tmcp-210.dat"), DataFile("right-ipcp-210.dat"));
  ASSERT_GT(got.size(), 16u);
  EXPECT_EQ(got[4], DataFile("left-tmcp-210.dat"));
  EXPECT_EQ(got[7], "06.12.26 10:00:00");
  EXPECT_EQ(got[16], "315  315");
}

TEST(CliImport, WarningsGoToStandardErrorAndTheImportSucceeds) {
  const Result r = RunCli({"import", "--right", DataFile("left-tmcp-210.dat"), "--title", "Swapped"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "zamo-cli: warning: " + DataFile("left-tmcp-210.dat") +
                       ": Error by Analysing the File (the start row of the right reaction holds no B)\n");
  const TextLines lines = SplitLines(r.Out);
  EXPECT_EQ(lines[1], "Swapped");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Right Reaction:"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Left Reaction:"), 0);
}

TEST_F(CliFiles, ImportErrorsNameTheDataFile) {
  const Result none = RunCli({"import", "--title", "Nothing"});
  EXPECT_EQ(none.Status, 2);
  const std::string missing = (folder_ / "missing.dat").string();
  const Result m = RunCli({"import", "--left", missing});
  EXPECT_EQ(m.Status, 1);
  EXPECT_EQ(m.Err, "zamo-cli: Datei " + missing + " kann nicht geöffnet werden: No such file or directory\n");
  const std::string broken = Write("broken.dat", {"210.1", "1.0E-06  2.0E-06", "oops"});
  const Result b = RunCli({"import", "--left", broken});
  EXPECT_EQ(b.Status, 1);
  EXPECT_EQ(b.Err, "zamo-cli: " + broken + ":3:1: '' ist kein gültiger Gleitkommawert\n");
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
    bool Residuals;
    PictureSize Size;
  };
  const std::vector<Case> cases = {
      {{"plot", "-o", "p.png"}, PlotExperiments::Shown, Side::Left, TimeUnit::Minutes, false, false, {2400, 1800, 300}},
      {{"plot", "--experiment", "right", "--time-unit", "h", "-o", "p.svg"},
       PlotExperiments::Shown,
       Side::Right,
       TimeUnit::Hours,
       false,
       false,
       {2400, 1800, 300}},
      {{"plot", "--experiment", "both", "--residuals", "--log-time", "--time-unit", "s", "--width", "800", "--height",
        "600", "--dpi", "96", "-o", "p.pdf"},
       PlotExperiments::Both,
       Side::Left,
       TimeUnit::Seconds,
       true,
       true,
       {800, 600, 96}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Args));
    std::optional<PlotOptions> options;
    std::optional<PictureSize> size;
    std::string path;
    Side shown = Side::Left;
    cli::Environment env;
    env.SavePlot = [&](const std::string& p, const KineticProject& project, const PlotOptions& o,
                       const PictureSize& s) {
      path = p;
      shown = project.CurrentSide();
      options = o;
      size = s;
    };
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::Run(c.Args, out, err, env), 0) << err.str();
    ASSERT_TRUE(options && size);
    EXPECT_EQ(path, c.Args.back());
    EXPECT_EQ(options->Experiments, c.Experiments);
    EXPECT_EQ(shown, c.Shown);
    EXPECT_EQ(options->Unit, c.Unit);
    EXPECT_EQ(options->LogTime, c.Log);
    EXPECT_EQ(options->Residuals, c.Residuals);
    EXPECT_FALSE(options->Range);
    EXPECT_EQ(size->Width, c.Size.Width);
    EXPECT_EQ(size->Height, c.Size.Height);
    EXPECT_EQ(size->Dpi, c.Size.Dpi);
  }
}

// ---- tables ----

// A project read back from zamo-cli's output.
KineticProject ReadOutput(const std::string& out) {
  KineticProject project;
  ReadInto(project, SplitLines(out), "out.zam");
  return project;
}

TEST(CliImport, ExampleTablesRebuildTheExampleWithItsConstantsAndTemperature) {
  const TextLines got =
      ImportedLikeTheExample(DataFile("example-left.csv"), DataFile("example-right-decimal-comma.tsv"));
  ASSERT_GT(got.size(), 4u);
  EXPECT_EQ(got[4], DataFile("example-left.csv"));
}

TEST_F(CliFiles, TableTakesConstantsFromAProjectAndTheTemperatureFromTheOption) {
  const KineticProject source = test::Example();
  const std::string constants = Write("constants.zam", test::ExampleTextWith({{22, "2.5E-06  3.623E-05"}}));
  const Result r = RunCli({"import", "--right", DataFile("example-right-decimal-comma-semicolon.txt"), "--constants",
                           constants, "--temperature", "150.5"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const KineticProject imported = ReadOutput(r.Out);
  EXPECT_EQ(imported.K[1], 2.5e-6L);
  EXPECT_EQ(imported.K[2], source.K[2]);
  EXPECT_EQ(imported.Temperature, 150.5L);
  EXPECT_FALSE(imported.Left.Present);
  EXPECT_TRUE(imported.Right == source.Right);
}

TEST_F(CliFiles, RefusedTablesAndOptionsNameWhatIsWrong) {
  const std::string broken = Write("rows.csv", {"0,0,100,0,0,0,0,0", "30,x,0,0,0,0,0,0"});
  const Result b = RunCli({"import", "--right", broken});
  EXPECT_EQ(b.Status, 1);
  EXPECT_EQ(b.Err, "zamo-cli: " + broken + ":2:4: expected a number in column 2 (A in %), found 'x'\n");
  EXPECT_TRUE(b.Out.empty());

  const Result mixed = RunCli({"import", "--left", DataFile("left-tmcp-210.dat"), "--temperature", "20"});
  EXPECT_EQ(mixed.Status, 2);
  const Result temperature = RunCli({"import", "--left", broken, "--temperature", "warm"});
  EXPECT_EQ(temperature.Status, 2);
  EXPECT_NE(temperature.Err.find("--temperature takes a temperature in degrees Celsius"), std::string::npos);
}

TEST_F(CliFiles, TableGoesToStandardOutputOrTheFile) {
  const Result printed = RunCli({"table", "--points", "3"});
  ASSERT_EQ(printed.Status, 0) << printed.Err;
  const TextLines lines = SplitLines(printed.Out);
  // Header, 7 + 7 rows, an empty line, header, 3 + 3 points.
  ASSERT_EQ(lines.size(), 1u + 14 + 1 + 1 + 6);
  EXPECT_EQ(lines[16].substr(0, 33), "Experiment,Reactant,Point,Time (m");
  EXPECT_EQ(lines[18].substr(0, 47), "Left,\"1,3,3-Trimethylcyclopropene\",1,300,18000,");

  const std::string path = (folder_ / "table.csv").string();
  const Result written = RunCli({"table", "--points", "3", "-o", path});
  EXPECT_EQ(written.Status, 0);
  EXPECT_TRUE(written.Out.empty());
  EXPECT_EQ(ReadTextFile(path), lines);
  EXPECT_EQ(RunCli({"table", "--points", "3", "-o", "-"}).Out, printed.Out);

  for (const char* points : {"1", "10002", "many"}) {
    EXPECT_EQ(RunCli({"table", "--points", points}).Status, 2) << points;
  }
  const Result missing = RunCli({"table", (folder_ / "none.zam").string()});
  EXPECT_EQ(missing.Status, 1);
}

}  // namespace
}  // namespace zamo
