// The owner of an open series: the order of its projects, refusals that change nothing, a
// result that belongs to the projects fitted.

#include <gtest/gtest.h>

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

class SeriesSessionTest : public TempFolderTest {};

TEST_F(SeriesSessionTest, ProjectsStandByTemperatureOrAsGiven) {
  SeriesSession window(SeriesOrder::ByTemperature);
  for (const int celsius : {215, 195, 205}) window.AddProject(Project(celsius));
  EXPECT_EQ(Temperatures(window), (std::vector<Real>{195, 205, 215}));
  window.RemoveProject(1);
  window.RemoveProject(7);  // none there
  EXPECT_EQ(Temperatures(window), (std::vector<Real>{195, 215}));
  const std::string path = (dir_ / "mine.zams").string();
  window.Save(path);
  SeriesSession cli(SeriesOrder::AsGiven);
  cli.OpenProjects({Project(215), Project(195)});
  EXPECT_TRUE(Temperatures(cli) == (std::vector<Real>{215, 195}) && cli.Path().empty());
  cli.OpenSeries(path);
  EXPECT_TRUE(Temperatures(cli) == (std::vector<Real>{195, 215}) && cli.Path() == path);
}

TEST_F(SeriesSessionTest, RefusalsLeaveTheSeriesAsItWas) {
  SeriesSession session(SeriesOrder::ByTemperature);
  session.OpenSeries(DataFilePath("series/synthetic-series.zams"));
  const std::string path = session.Path();
  EXPECT_THROW_MSG(session.AddProject(Project(205)), SeriesError,
                   Project(205) + " has the same temperature as " + Project(205) +
                       " (205 °C); a series holds one project per temperature");
  EXPECT_THROW(session.OpenSeries(DataFilePath("series/same-temperature.zams")), SeriesError);
  EXPECT_TRUE(Temperatures(session) == (std::vector<Real>{195, 205, 215, 225}) && session.Path() == path);
}

// A fit's result stays until the projects change; it counts as kept once copied or
// exported, and a series that cannot be fitted is refused before any work is made.
TEST_F(SeriesSessionTest, ResultBelongsToTheProjectsFitted) {
  SeriesSession session(SeriesOrder::ByTemperature);
  session.AddProject(Project(195));
  EXPECT_THROW(session.FitWork({}, nullptr), SeriesError);
  session.AddProject(Project(225));
  const std::atomic<bool> stop{true};
  EXPECT_TRUE(session.Fit({}, nullptr, stop).Stopped);
  ASSERT_TRUE(session.Result().has_value() && !session.ResultKept());
  session.KeepResult();
  EXPECT_TRUE(session.ResultKept());
  session.SetResult(session.FitWork({}, nullptr)(stop));
  session.AddProject(Project(205));
  EXPECT_FALSE(session.Result().has_value());
}

}  // namespace
}  // namespace zamo
