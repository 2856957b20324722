#include "tests/core/TestSupport.h"

#include <cmath>

#include "document/TextFile.h"

namespace zamo::test {

KineticProject Opened(const TextLines& lines, Side shown) {
  ProjectSession session;
  session.SetPlotIntervals(kTestIntervals);
  session.OpenExample();
  if (&lines != &ExampleProjectText()) session.OpenText(lines, "");
  if (session.Project().CurrentSide() != shown) session.ShowExperiment(shown);
  return session.Project();
}

KineticProject Example(Side shown) { return Opened(ExampleProjectText(), shown); }

TextLines ExampleTextWith(const std::vector<std::pair<int, std::string>>& replacements) {
  std::map<std::size_t, std::string> changes;
  for (const auto& [index, line] : replacements) changes[static_cast<std::size_t>(index)] = line;
  return WithLines(ExampleProjectText(), changes);
}

TextLines WithLines(const TextLines& lines, const std::map<std::size_t, std::string>& changes) {
  std::vector<std::string_view> changed(lines.begin(), lines.end());
  for (const auto& [index, line] : changes) changed.at(index) = line;
  return {changed.begin(), changed.end()};
}

std::optional<std::string> ReadInto(KineticProject& project, const TextLines& lines, const std::string& fileName) {
  ProjectRead read = ReadProjectText(project, lines, fileName);
  static_cast<ProjectData&>(project) = std::move(read.Data);
  if (read.ShowLeft) project.ShowLeft = *read.ShowLeft;
  project.Modified = false;
  return read.Caption;
}

std::string DataFilePath(const std::string& name) { return std::string(ZAMO_TEST_DATA_DIR) + "/" + name; }

TextLines DataFileLines(const std::string& name) { return ReadTextFile(DataFilePath(name)); }

::testing::AssertionResult NearRelative(Real actual, Real expected, Real tolerance) {
  const Real difference = std::fabs(actual - expected);
  if (difference <= tolerance * std::fabs(expected)) return ::testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "%.21Lg differs from %.21Lg by %.3Lg (relative %.3Lg, allowed %.3Lg)", actual,
                expected, difference, expected != 0 ? difference / std::fabs(expected) : difference, tolerance);
  return ::testing::AssertionFailure() << text;
}

}  // namespace zamo::test
