#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/core/TestSupport.h"
#include "tests/fuzz/CommandLineFuzzChecks.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/ObjectiveFuzzChecks.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

// The regressions of one fuzzer and its seeds: tests/data files ending in `ext`, or its own.
std::vector<fs::path> Inputs(const std::string& fuzzer, const std::string& ext) {
  const fs::path root = ZAMO_SOURCE_DIR;
  std::vector<fs::path> inputs;
  const fs::path seeds = ext.empty() ? root / "tests/fuzz/seeds" / fuzzer : root / "tests/data";
  for (const fs::path& folder : {root / "tests/fuzz/regressions" / fuzzer, seeds}) {
    if (!fs::is_directory(folder)) continue;  // no input has failed yet
    for (const auto& e : fs::directory_iterator(folder)) {
      if (folder != seeds || ext.empty() || e.path().extension() == ext) inputs.push_back(e.path());
    }
  }
  EXPECT_FALSE(inputs.empty());
  return inputs;
}

// Every input the fuzzers once failed on, and every file they start from, passes the fuzz
// checks: in a child, in a scratch folder of its own as each fuzzer works (a broken rule aborts).
using FuzzRegression = TempFolderTest;

TEST_F(FuzzRegression, EveryInputPassesTheChecks) {
  const std::tuple<const char*, const char*, void (*)(std::string_view)> fuzzers[] = {
      {"project", ".zam", fuzz::CheckProjectText},
      {"datafile", ".dat", fuzz::CheckDataFile},
      {"objective", "", fuzz::CheckObjectives},
      {"commandline", "", fuzz::CheckCommandLine}};
  std::vector<std::pair<void (*)(std::string_view), fs::path>> inputs;
  for (const auto& [fuzzer, extension, check] : fuzzers) {
    for (const fs::path& input : Inputs(fuzzer, extension)) inputs.emplace_back(check, input);
  }
  const auto all = [&] {
    for (const auto& [check, input] : inputs) check(FileBytes(input));
    return std::string("checked");
  };
  EXPECT_EQ(RunInChild(dir_, false, all).Report, "checked");
}

}  // namespace
}  // namespace zamo
