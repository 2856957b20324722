#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

#include "document/SeriesFile.h"
#include "document/SyntheticSeries.h"
#include "document/TextFile.h"
#include "model/NumberFormat.h"
#include "model/TemperatureSeries.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const std::string kSeriesDir = std::string(ZAMO_TEST_DATA_DIR) + "/series/";

std::string Described(const std::function<void()>& step) {
  const auto error = Caught<ZamoError>(step);
  return error ? error->Describe() : "";
}

// Comments, blanks and empty lines are skipped; paths are resolved against the series
// file's folder unless absolute; each entry keeps its line. Written paths are relative
// where the project lies in the series file's folder, and read back to the same files.
TEST(SeriesFileText, ParsesProjectLinesAndWritesRelativePaths) {
  const TextLines lines = {"# made by hand", "",           "   ",     "a.zam", "  sub/b.zam\t",
                           "\t# comment",    "/abs/c.zam", "../d.zam"};
  const std::vector<SeriesFileEntry> entries = ParseSeriesText(lines, "/data/runs/s.zams");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].Path + "|" + entries[2].Path + "|" + entries[3].Path,
            "/data/runs/sub/b.zam|/abs/c.zam|/data/runs/../d.zam");
  EXPECT_EQ(std::tuple(entries[0].Line, entries[1].Line, entries[3].Line), std::tuple(4, 5, 8));
  const std::string dir = "/tmp/never-created/runs";
  const std::vector<std::string> projects = {dir + "/a.zam", dir + "/sub/b.zam", "/tmp/never-created/other/c.zam",
                                             dir + "/../runs/d.zam"};
  const TextLines written = BuildSeriesText(dir + "/s.zams", projects, {"made by a test"});
  EXPECT_EQ(written, (TextLines{"# made by a test", "a.zam", "sub/b.zam", "/tmp/never-created/other/c.zam", "d.zam"}));
  const std::vector<SeriesFileEntry> read = ParseSeriesText(written, dir + "/s.zams");
  ASSERT_EQ(read.size(), 4u);
  for (std::size_t n = 0; n < read.size(); ++n) {
    EXPECT_EQ(std::filesystem::path(read[n].Path).lexically_normal(),
              std::filesystem::path(projects[n]).lexically_normal());
  }
}

TEST(SeriesFileRead, ReadsEveryProjectOfTheStoredSeries) {
  const TemperatureSeries series = ReadSeries(kSeriesDir + "synthetic-series.zams");
  ASSERT_EQ(series.size(), 4u);
  for (std::size_t j = 0; j < series.size(); ++j) {
    const Real celsius = 195 + 10 * Real(j);
    EXPECT_EQ(series[j].File, kSeriesDir + "synthetic-series-" + FloatToText(celsius) + "C.zam");
    EXPECT_EQ(series[j].Data.AbsoluteTemperature, ToAbsoluteTemperature(celsius));
  }
  EXPECT_NEAR(ReferenceTemperature(series), 4 / (1 / 468.15L + 1 / 478.15L + 1 / 488.15L + 1 / 498.15L), 1e-12L);
}

// A series file's refusals name the series file and its line, or the project's file with
// the reader's own error; projects given one by one are checked alike.
TEST(SeriesFileRefusal, NamesTheFileAndTheLine) {
  const std::string a = kSeriesDir + "synthetic-series-195C.zam";
  const std::string b = kSeriesDir + "synthetic-series-205C.zam";
  const std::string same =
      " has the same temperature as " + a + " (195 °C); a series holds one project per temperature";
  const std::string one = ": A temperature series needs projects at two or more temperatures; it holds 1 project";
  const std::string notOpened = " kann nicht geöffnet werden: No such file or directory";
  const std::pair<const char*, std::string> files[] = {
      {"same-temperature.zams", "same-temperature.zams:4: " + kSeriesDir + "./synthetic-series-195C.zam" + same},
      {"same-temperature-before-missing.zams", "same-temperature-before-missing.zams:3: " + a + same},
      {"one-project.zams", "one-project.zams" + one},
      {"unreadable-project.zams",
       "../ends-in-rate-constants.zam:26: the text ends before the rate constants k5 and k12"},
      {"missing-project.zams", "missing-project.zams:2: Datei " + kSeriesDir + "no-such-project.zam" + notOpened}};
  for (const auto& [file, described] : files) {
    EXPECT_EQ(Described([&] { ReadSeries(kSeriesDir + file); }), kSeriesDir + described);
  }
  EXPECT_EQ(Described([] { ReadSeries(kSeriesDir + "none.zams"); }), "Datei " + kSeriesDir + "none.zams" + notOpened);
  EXPECT_EQ(Described([&] { ReadSeriesProjects({b}); }), b + one);
  EXPECT_EQ(Described([&] { ReadSeriesProjects({a, b, a}); }), a + same);
  TemperatureSeries series = ReadSeriesProjects({a, b});
  const std::pair<Real, std::string> temperatures[] = {
      {-300, ": The temperature -300 °C is not above absolute zero"},
      {4800, ": The temperature 4800 °C (5073.15 K) lies outside 1 to 5000 K"},
      {195.005L, " (195.005 °C) lies within 0.01 K of " + a +
                     " (195 °C); temperatures so close give no slope of ln k against 1/T"}};
  for (const auto& [celsius, text] : temperatures) {
    series[1].Data.Temperature = celsius;
    series[1].Data.AbsoluteTemperature = ToAbsoluteTemperature(celsius);
    EXPECT_EQ(Described([&] { CheckSeriesTemperatures(series); }), b + text);
  }
}

// The noise has the spread asked for and no bias, rows still sum to 1, start rows have none,
// the seed alone decides; that a series without noise gives back its parameters is the fit's test.
TEST(SyntheticSeries, NoiseHasTheGivenSpreadAndFollowsTheSeed) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures.clear();
  for (int t = 0; t < 80; ++t) recipe.Temperatures.push_back(200 + t);
  const TemperatureSeries exact =
      MakeSyntheticSeries(recipe = {recipe.Temperatures, recipe.Ea, recipe.A, 0, 16}, "n.zams");
  recipe.Noise = 0.5L;
  const TemperatureSeries noisy = MakeSyntheticSeries(recipe, "n.zams");
  Real sum = 0, squares = 0;
  int count = 0;
  for (std::size_t j = 0; j < noisy.size(); ++j) {
    const Experiment& e = noisy[j].Data.Left;
    EXPECT_EQ(e.Observed[0], exact[j].Data.Left.Observed[0]);
    for (int row = 1; row <= e.LastRow; ++row) {
      Real total = 0;
      for (int s = 1; s <= 8; ++s, ++count) {
        const Real d = 100 * (e.Observed[row][s] - exact[j].Data.Left.Observed[row][s]);
        total += e.Observed[row][s];
        sum += d;
        squares += d * d;
      }
      EXPECT_NEAR(total, 1, 1e-15L);
    }
  }
  EXPECT_NEAR(std::sqrt(squares / count), 0.5L, 0.03L * 0.5L);
  EXPECT_NEAR(sum / count, 0, 4 * 0.5L / std::sqrt(static_cast<Real>(count)));
  EXPECT_EQ(MakeSyntheticSeries(recipe, "n.zams")[3].Data.Left.Observed, noisy[3].Data.Left.Observed);
  recipe.Seed = 17;
  EXPECT_NE(MakeSyntheticSeries(recipe, "n.zams")[3].Data.Left.Observed, noisy[3].Data.Left.Observed);
}

// Written files read back as the series made in memory.
class SyntheticSeriesFiles : public TempFolderTest {};

TEST_F(SyntheticSeriesFiles, WrittenSeriesReadsBack) {
  const std::string path = (dir_ / "written.zams").string();
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {190, 230.5L};
  const TemperatureSeries written = WriteSyntheticSeries(recipe, path, {"first comment", "second"});
  EXPECT_EQ(ReadTextFile(path), (TextLines{"# first comment", "# second", "written-190C.zam", "written-230.5C.zam"}));
  const TemperatureSeries read = ReadSeries(path);
  ASSERT_EQ(read.size(), 2u);
  for (std::size_t j = 0; j < 2; ++j)
    EXPECT_TRUE(read[j].Data.Left == written[j].Data.Left && read[j].Data.K == written[j].Data.K);
}

}  // namespace
}  // namespace zamo
