#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "document/ProjectReader.h"
#include "document/SeriesFile.h"
#include "document/SyntheticSeries.h"
#include "document/TextFile.h"
#include "model/IsoprCalcConc.h"
#include "model/NumberFormat.h"
#include "model/TemperatureSeries.h"

namespace zamo {
namespace {

const std::string kSeriesDir = std::string(ZAMO_TEST_DATA_DIR) + "/series/";

template <typename Step>
std::string Described(Step&& step) {
  try {
    step();
  } catch (const ZamoError& error) {
    return error.Describe();
  }
  return "no error";
}

// The series of tests/data/series/synthetic-series.zams, as the command in its first
// lines made it: the pathways of the example series at other temperatures.
SyntheticSeriesRecipe StoredSeriesRecipe() {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {195, 205, 215, 225};
  recipe.Noise = 0.05L;
  recipe.Seed = 16;
  return recipe;
}

struct ParseCase {
  const char* Name;
  std::string SeriesPath;
  TextLines Lines;
  std::vector<SeriesFileEntry> Expected;
};

class SeriesFileParse : public testing::TestWithParam<ParseCase> {};

TEST_P(SeriesFileParse, KeepsProjectLinesResolvedAgainstTheSeriesFolder) {
  const ParseCase& c = GetParam();
  const std::vector<SeriesFileEntry> entries = ParseSeriesText(c.Lines, c.SeriesPath);
  ASSERT_EQ(entries.size(), c.Expected.size());
  for (std::size_t n = 0; n < entries.size(); ++n) {
    EXPECT_EQ(entries[n].Path, c.Expected[n].Path);
    EXPECT_EQ(entries[n].Line, c.Expected[n].Line);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeriesFileParse,
    testing::Values(
        ParseCase{
            "CommentsBlanksAndAbsolutePaths",
            "/data/runs/s.zams",
            {"# made by hand", "", "   ", "a.zam", "  sub/b.zam\t", "\t# indented comment", "/abs/c.zam", "../d.zam"},
            {{"/data/runs/a.zam", 4}, {"/data/runs/sub/b.zam", 5}, {"/abs/c.zam", 7}, {"/data/runs/../d.zam", 8}}},
        ParseCase{"SeriesFileInTheWorkingFolder", "s.zams", {"a.zam", "b c.zam"}, {{"a.zam", 1}, {"b c.zam", 2}}},
        ParseCase{"OnlyComments", "x/s.zams", {"#a.zam", " # b.zam"}, {}}),
    [](const testing::TestParamInfo<ParseCase>& param) { return param.param.Name; });

// Written paths are relative where the project lies in the series file's folder, and read
// back to the same files.
TEST(SeriesFileWrite, RelativePathsInsideTheFolderAndReadBack) {
  const std::string dir = "/tmp/wt16-never-created/runs";
  const std::vector<std::string> projects = {dir + "/a.zam", dir + "/sub/b.zam", "/tmp/wt16-never-created/other/c.zam",
                                             dir + "/../runs/d.zam"};
  const TextLines lines = BuildSeriesText(dir + "/s.zams", projects, {"made by a test"});
  EXPECT_EQ(lines,
            (TextLines{"# made by a test", "a.zam", "sub/b.zam", "/tmp/wt16-never-created/other/c.zam", "d.zam"}));
  const std::vector<SeriesFileEntry> entries = ParseSeriesText(lines, dir + "/s.zams");
  ASSERT_EQ(entries.size(), 4u);
  for (std::size_t n = 0; n < entries.size(); ++n) {
    EXPECT_EQ(std::filesystem::path(entries[n].Path).lexically_normal(),
              std::filesystem::path(projects[n]).lexically_normal());
    EXPECT_EQ(entries[n].Line, static_cast<int>(n) + 2);
  }
}

TEST(SeriesFileRead, ReadsEveryProjectOfTheStoredSeries) {
  const TemperatureSeries series = ReadSeries(kSeriesDir + "synthetic-series.zams");
  ASSERT_EQ(series.size(), 4u);
  const Real celsius[] = {195, 205, 215, 225};
  for (std::size_t j = 0; j < series.size(); ++j) {
    EXPECT_EQ(series[j].File, kSeriesDir + "synthetic-series-" + FloatToText(celsius[j]) + "C.zam");
    EXPECT_EQ(series[j].Data.FileName, series[j].File);
    EXPECT_EQ(series[j].Data.Temperature, celsius[j]);
    EXPECT_EQ(series[j].Data.AbsoluteTemperature, ToAbsoluteTemperature(celsius[j]));
    EXPECT_TRUE(series[j].Data.Left.Present && series[j].Data.Right.Present);
  }
  EXPECT_NEAR(ReferenceTemperature(series), 4 / (1 / 468.15L + 1 / 478.15L + 1 / 488.15L + 1 / 498.15L), 1e-12L);
}

struct Refusal {
  const char* SeriesFile;
  std::string Described;
};

class SeriesFileRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(SeriesFileRefusal, NamesTheSeriesFileAndTheLine) {
  EXPECT_EQ(Described([] { ReadSeries(kSeriesDir + GetParam().SeriesFile); }), GetParam().Described);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SeriesFileRefusal,
    testing::Values(Refusal{"same-temperature.zams",
                            kSeriesDir + "same-temperature.zams:4: " + kSeriesDir +
                                "./synthetic-series-195C.zam has the same temperature as " + kSeriesDir +
                                "synthetic-series-195C.zam (195 °C); a series holds one project per temperature"},
                    Refusal{"same-temperature-before-missing.zams",
                            kSeriesDir + "same-temperature-before-missing.zams:3: " + kSeriesDir +
                                "synthetic-series-195C.zam has the same temperature as " + kSeriesDir +
                                "synthetic-series-195C.zam (195 °C); a series holds one project per temperature"},
                    Refusal{"one-project.zams",
                            kSeriesDir + "one-project.zams: A temperature series needs projects at two or more "
                                         "temperatures; it holds 1 project"}));

// A project that cannot be read is refused with the project reader's own error, located in
// the project's file.
TEST(SeriesFileRefusal, AProjectThatCannotBeReadIsNamed) {
  const std::string broken = kSeriesDir + "../ends-in-rate-constants.zam";
  EXPECT_EQ(Described([] { ReadSeries(kSeriesDir + "unreadable-project.zams"); }),
            broken + ":26: the text ends before the rate constants k5 and k12");
  // A missing project: the series file and its line, and the project's file; a missing
  // series file: itself.
  EXPECT_EQ(Described([] { ReadSeries(kSeriesDir + "missing-project.zams"); }),
            kSeriesDir + "missing-project.zams:2: Datei " + kSeriesDir +
                "no-such-project.zam kann nicht geöffnet werden: No such file or directory");
  EXPECT_EQ(Described([] { ReadSeries(kSeriesDir + "no-such-series.zams"); }),
            "Datei " + kSeriesDir + "no-such-series.zams kann nicht geöffnet werden: No such file or directory");
}

// Projects given one by one: the same refusals, naming the projects.
TEST(SeriesFileRefusal, ProjectListsAreCheckedAlike) {
  const std::string a = kSeriesDir + "synthetic-series-195C.zam";
  const std::string b = kSeriesDir + "synthetic-series-205C.zam";
  EXPECT_EQ(ReadSeriesProjects({a, b}).size(), 2u);
  EXPECT_EQ(Described([&] { ReadSeriesProjects({b}); }),
            b + ": A temperature series needs projects at two or more temperatures; it holds 1 project");
  EXPECT_EQ(Described([&] {
              ReadSeriesProjects({a, b, a});
            }),
            a + " has the same temperature as " + a + " (195 °C); a series holds one project per temperature");

  TemperatureSeries series = ReadSeriesProjects({a, b});
  series[1].Data.Temperature = -300;
  series[1].Data.AbsoluteTemperature = ToAbsoluteTemperature(-300);
  EXPECT_EQ(Described([&] { CheckSeriesTemperatures(series); }),
            b + ": The temperature -300 °C is not above absolute zero");
  series[1].Data.Temperature = 4800;
  series[1].Data.AbsoluteTemperature = ToAbsoluteTemperature(4800);
  EXPECT_EQ(Described([&] { CheckSeriesTemperatures(series); }),
            b + ": The temperature 4800 °C (5073.15 K) lies outside 1 to 5000 K");
  series[1].Data.Temperature = 195.005L;
  series[1].Data.AbsoluteTemperature = ToAbsoluteTemperature(195.005L);
  EXPECT_EQ(Described([&] { CheckSeriesTemperatures(series); }),
            b + " (195.005 °C) lies within 0.01 K of " + a +
                " (195 °C); temperatures so close give no slope of ln k against 1/T");
}

// The stored series is what the generator makes from the command in its first lines: every
// written percentage within the rounding of the format.
TEST(SyntheticSeries, StoredSeriesIsWhatTheGeneratorMakes) {
  const std::string path = kSeriesDir + "synthetic-series.zams";
  const TemperatureSeries stored = ReadSeries(path);
  const TemperatureSeries made = MakeSyntheticSeries(StoredSeriesRecipe(), path);
  ASSERT_EQ(stored.size(), made.size());
  for (std::size_t j = 0; j < made.size(); ++j) {
    EXPECT_EQ(stored[j].File, made[j].File);
    EXPECT_EQ(stored[j].Data.Temperature, made[j].Data.Temperature);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      EXPECT_NEAR(stored[j].Data.K[i], made[j].Data.K[i], 5e-6L * made[j].Data.K[i]) << "k" << i;
    }
    for (const Side side : {Side::Left, Side::Right}) {
      const Experiment& s = stored[j].Data.ExperimentOf(side);
      const Experiment& m = made[j].Data.ExperimentOf(side);
      EXPECT_EQ(s.LastRow, m.LastRow);
      EXPECT_EQ(s.Times, m.Times);
      for (int row = 0; row <= m.LastRow; ++row) {
        for (int species = 1; species <= 7; ++species) {
          EXPECT_NEAR(100 * s.Observed[row][species], 100 * m.Observed[row][species], 0.005L + 1e-9L)
              << "project " << j << " row " << row << " species " << species;
        }
      }
    }
  }
}

// Without noise the observations are the closed form at the constants A exp(-Ea / (R T)).
TEST(SyntheticSeries, WithoutNoiseTheObservationsAreTheClosedForm) {
  SyntheticSeriesRecipe recipe = StoredSeriesRecipe();
  recipe.Noise = 0;
  const TemperatureSeries series = MakeSyntheticSeries(recipe, "folder/plain.zams");
  ASSERT_EQ(series.size(), 4u);
  EXPECT_EQ(series[2].File, "folder/plain-215C.zam");
  const Real kelvin = 488.15L;
  EXPECT_EQ(series[2].Data.AbsoluteTemperature, kelvin);
  EXPECT_NEAR(series[2].Data.K[5], 4.6e12L * std::exp(-160e3L / (8.314462618L * kelvin)), 1e-18L);
  EXPECT_EQ(series[2].Data.K[6], 0);
  const CoefficientSet set = PrepareCoefficients(series[2].Data.K);
  const Experiment& right = series[2].Data.Right;
  for (int row = 0; row <= right.LastRow; ++row) {
    EXPECT_EQ(right.Observed[row], CalcConc(set, Side::Right, right.Times[row])) << "row " << row;
  }
}

// The noise has the standard deviation asked for and no bias, every row still sums to 1,
// and the seed alone decides the numbers.
TEST(SyntheticSeries, NoiseHasTheGivenSpreadAndFollowsTheSeed) {
  SyntheticSeriesRecipe recipe = StoredSeriesRecipe();
  recipe.Noise = 0.5L;
  recipe.Temperatures.clear();
  for (int t = 0; t < 40; ++t) recipe.Temperatures.push_back(200 + t);
  const TemperatureSeries noisy = MakeSyntheticSeries(recipe, "n.zams");
  SyntheticSeriesRecipe exactRecipe = recipe;
  exactRecipe.Noise = 0;
  const TemperatureSeries exact = MakeSyntheticSeries(exactRecipe, "n.zams");
  Real sum = 0;
  Real squares = 0;
  int count = 0;
  for (std::size_t j = 0; j < noisy.size(); ++j) {
    for (const Side side : {Side::Left, Side::Right}) {
      const Experiment& e = noisy[j].Data.ExperimentOf(side);
      EXPECT_EQ(e.Observed[0], exact[j].Data.ExperimentOf(side).Observed[0]);
      for (int row = 1; row <= e.LastRow; ++row) {
        Real total = 0;
        for (int s = 1; s <= 8; ++s) {
          total += e.Observed[row][s];
          const Real truth = exact[j].Data.ExperimentOf(side).Observed[row][s];
          const Real d = 100 * (e.Observed[row][s] - truth);
          sum += d;
          squares += d * d;
          ++count;
        }
        EXPECT_NEAR(total, 1, 1e-15L);
      }
    }
  }
  ASSERT_GT(count, 1000);
  EXPECT_NEAR(std::sqrt(squares / count), 0.5L, 0.03L * 0.5L);
  EXPECT_NEAR(sum / count, 0, 4 * 0.5L / std::sqrt(static_cast<Real>(count)));

  EXPECT_EQ(MakeSyntheticSeries(recipe, "n.zams")[3].Data.Left.Observed, noisy[3].Data.Left.Observed);
  recipe.Seed = 17;
  EXPECT_NE(MakeSyntheticSeries(recipe, "n.zams")[3].Data.Left.Observed, noisy[3].Data.Left.Observed);
}

// Written files read back as the series made in memory, rounded as the format writes.
TEST(SyntheticSeries, WrittenSeriesReadsBack) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zamo-series-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "written.zams").string();
  SyntheticSeriesRecipe recipe = StoredSeriesRecipe();
  recipe.Temperatures = {190, 230.5L};
  const TemperatureSeries written = WriteSyntheticSeries(recipe, path, {"first comment", "second"});
  const TextLines seriesText = ReadTextFile(path);
  EXPECT_EQ(seriesText, (TextLines{"# first comment", "# second", "written-190C.zam", "written-230.5C.zam"}));
  const TemperatureSeries read = ReadSeries(path);
  ASSERT_EQ(read.size(), 2u);
  const TemperatureSeries made = MakeSyntheticSeries(recipe, path);
  for (std::size_t j = 0; j < 2; ++j) {
    EXPECT_EQ(read[j].Data.Left, written[j].Data.Left);
    for (int row = 1; row <= made[j].Data.Left.LastRow; ++row) {
      for (int s = 1; s <= 7; ++s) {
        EXPECT_NEAR(100 * read[j].Data.Left.Observed[row][s], 100 * made[j].Data.Left.Observed[row][s], 0.005L + 1e-9L);
      }
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zamo
