#include "tests/core/TestSupport.h"

#include <cmath>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <tuple>

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

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void PutFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

CliResult RunCli(const std::vector<std::string>& args, const cli::Environment& env) {
  std::ostringstream out, err;
  return {cli::Run(args, out, err, env), out.str(), err.str()};  // a braced list runs left to right
}

RateConstants Rates(const std::array<Real, 7>& fromA, const std::array<Real, 7>& fromB, Real k15, Real k16) {
  RateConstants k;
  for (int i = 1; i <= 7; ++i) std::tie(k[i], k[i + 7]) = std::pair(fromA[i - 1u], fromB[i - 1u]);
  std::tie(k[15], k[16]) = std::pair(k15, k16);
  return k;
}

RateConstants ExampleRates() {
  return Rates({1.260E-06L, 1.030E-05L, 8.500E-08L, 3.100E-07L, 2.335E-05L, 0, 1.980E-05L},
               {3.623E-05L, 1.740E-05L, 9.930E-07L, 0, 0, 0, 7.320E-05L}, 2.154E-05L, 2.659E-04L);
}

RateConstants WithMu(RateConstants k, Real mu) {
  k[15] = k[16] = mu / 2;
  return k;
}

::testing::AssertionResult NearRelative(Real actual, Real expected, Real tolerance) {
  if (std::fabs(actual - expected) <= tolerance * std::fabs(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::setprecision(21) << actual << " differs from " << expected
                                       << " by more than " << tolerance << " of it";
}

}  // namespace zamo::test
