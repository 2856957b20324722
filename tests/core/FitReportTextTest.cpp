#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "optimize/FitReportText.h"

namespace zamo {
namespace {

struct FittedExample {
  FitSettings Settings;
  FitResult Result;
};

// All sixteen constants free: k13 ends at its bound, k15 and k16 are correlated, several
// minor constants are not separable from zero.
const FittedExample& EverythingFree() {
  static const FittedExample fitted = [] {
    const ProjectData project = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
    FittedExample f;
    f.Settings.Free.Fill(true);
    const std::atomic<bool> stop{false};
    f.Result = FitRateConstants(f.Settings, {project.K, project.Left, project.Right}, nullptr, stop);
    return f;
  }();
  return fitted;
}

std::vector<std::string> FlagsOf(int index) {
  const FitResult& r = EverythingFree().Result;
  for (std::size_t n = 0; n < r.Free.size(); ++n) {
    if (r.Free[n] == index) return FitFlags(r, n);
  }
  return {"not free"};
}

TEST(FitReportText, FlagsNameBoundZeroAndCorrelation) {
  EXPECT_EQ(FlagsOf(13), std::vector<std::string>{"at bound"});
  EXPECT_EQ(FlagsOf(3), std::vector<std::string>{"interval contains 0"});
  EXPECT_EQ(FlagsOf(2), std::vector<std::string>{});
  EXPECT_EQ(FlagsOf(15).back(), "r = 0.99 with k16");
  EXPECT_EQ(FlagsOf(16).back(), "r = 0.99 with k15");
  for (const int i : {3, 13, 15}) EXPECT_FALSE(FitFlagExplanation(FlagsOf(i).back()).empty()) << "k" << i;
}

TEST(FitReportText, TableHasARowPerFreeConstantAndTheSums) {
  const FittedExample& f = EverythingFree();
  const std::vector<std::string> lines = FitTable(f.Settings, f.Result);
  EXPECT_EQ(lines[0].rfind("Least-squares fit to both experiments: converged after ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[3].substr(0, 9), "k1       ");
  EXPECT_EQ(lines[2 + 16].substr(0, 3), "k16");
  EXPECT_NE(lines[2 + 13].find("at bound"), std::string::npos) << lines[2 + 13];
  EXPECT_EQ(lines[2 + 17 + 1 + 3], "total    20.2490     15.2925");
  EXPECT_EQ(lines.back().rfind("Correlated beyond 0.95: k6-k7 -0.98", 0), 0u) << lines.back();
}

// Tab-separated: a header and one row per free constant with the same number of cells.
TEST(FitReportText, TabSeparatedRowsHaveTheHeaderCells) {
  const FittedExample& f = EverythingFree();
  std::istringstream text(FitTabSeparated(f.Settings, f.Result));
  std::string line;
  std::getline(text, line);
  const auto cells = [](const std::string& l) { return std::count(l.begin(), l.end(), '\t') + 1; };
  const auto header = cells(line);
  EXPECT_EQ(header, 8);
  for (int i = 1; i <= 16; ++i) {
    ASSERT_TRUE(std::getline(text, line));
    EXPECT_EQ(cells(line), header) << line;
    EXPECT_EQ(line.substr(0, line.find('\t')), "k" + std::to_string(i));
  }
}

}  // namespace
}  // namespace zamo
