// The owner of an open series: the order its projects stand in, refusals that change
// nothing, a result that belongs to the projects it was fitted to, and a series file that
// reads back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "optimize/SeriesSession.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

std::string Project(int celsius) {
  return DataFilePath("series/synthetic-series-" + std::to_string(celsius) + "C.zam");
}

std::vector<Real> Temperatures(const SeriesSession& session) {
  std::vector<Real> celsius;
  for (const SeriesProject& project : session.Series()) celsius.push_back(project.Data.Temperature);
  return celsius;
}

TEST(SeriesSession, ProjectsStandByTemperatureOrAsGiven) {
  SeriesSession window(SeriesOrder::ByTemperature);
  window.AddProject(Project(215));
  window.AddProject(Project(195));
  window.AddProject(Project(205));
  EXPECT_EQ(Temperatures(window), (std::vector<Real>{195, 205, 215}));
  window.RemoveProject(1);
  window.RemoveProject(7);  // none there
  EXPECT_EQ(Temperatures(window), (std::vector<Real>{195, 215}));

  SeriesSession cli(SeriesOrder::AsGiven);
  cli.OpenProjects({Project(215), Project(195)});
  EXPECT_EQ(Temperatures(cli), (std::vector<Real>{215, 195}));
  EXPECT_EQ(cli.Path(), "");
}

TEST(SeriesSession, RefusalsLeaveTheSeriesAsItWas) {
  SeriesSession session(SeriesOrder::ByTemperature);
  session.OpenSeries(DataFilePath("series/synthetic-series.zams"));
  const std::string path = session.Path();
  EXPECT_THROW_MSG(session.AddProject(Project(205)), SeriesError,
                   Project(205) + " has the same temperature as " + Project(205) +
                       " (205 °C); a series holds one project per temperature");
  EXPECT_THROW(session.OpenSeries(DataFilePath("series/same-temperature.zams")), SeriesError);
  EXPECT_EQ(Temperatures(session), (std::vector<Real>{195, 205, 215, 225}));
  EXPECT_EQ(session.Path(), path);
}

// A fit's result stays until the projects change; it counts as kept once copied or
// exported, and a series that cannot be fitted is refused before any work is made.
TEST(SeriesSession, ResultBelongsToTheProjectsFitted) {
  SeriesSession session(SeriesOrder::ByTemperature);
  session.AddProject(Project(195));
  EXPECT_THROW_MSG(session.FitWork({}, nullptr), SeriesError,
                   "A temperature series needs projects at two or more temperatures; it holds 1 project");
  session.AddProject(Project(225));
  const std::atomic<bool> stop{true};
  EXPECT_TRUE(session.Fit({}, nullptr, stop).Stopped);
  ASSERT_TRUE(session.Result().has_value());
  EXPECT_FALSE(session.ResultKept());
  session.KeepResult();
  EXPECT_TRUE(session.ResultKept());

  session.SetResult(session.FitWork({}, nullptr)(stop));
  EXPECT_EQ(session.Result()->Temperatures.size(), 2u);
  session.AddProject(Project(205));
  EXPECT_FALSE(session.Result().has_value());
}

TEST(SeriesSession, SavedSeriesReadsBack) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zamo-series-session-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "mine.zams").string();
  SeriesSession session(SeriesOrder::ByTemperature);
  session.AddProject(Project(225));
  session.AddProject(Project(195));
  session.Save(path);
  EXPECT_EQ(session.Path(), path);

  SeriesSession back(SeriesOrder::AsGiven);
  back.OpenSeries(path);
  EXPECT_EQ(Temperatures(back), (std::vector<Real>{195, 225}));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zamo
