#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/core/TestSupport.h"
#include "tests/fuzz/CommandLineFuzzChecks.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/ObjectiveFuzzChecks.h"

// Every input the fuzzers once failed on, and every file they start from, must pass the
// fuzz checks (which abort on a broken rule).
namespace zamo {
namespace {

namespace fs = std::filesystem;

// The regressions of one fuzzer and its seeds: tests/data files with `extension`, or its own
// seed folder.
std::vector<fs::path> Inputs(const std::string& fuzzer, const std::string& extension = "") {
  const fs::path root = ZAMO_SOURCE_DIR;
  std::vector<fs::path> inputs;
  const fs::path seeds = extension.empty() ? root / "tests/fuzz/seeds" / fuzzer : root / "tests/data";
  for (const fs::path& folder : {root / "tests/fuzz/regressions" / fuzzer, seeds}) {
    if (!fs::is_directory(folder)) continue;  // no input has failed yet
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file() && (folder != seeds || extension.empty() || entry.path().extension() == extension)) {
        inputs.push_back(entry.path());
      }
    }
  }
  EXPECT_FALSE(inputs.empty());
  return inputs;
}

TEST(FuzzRegression, ReaderAndObjectiveInputsPassTheChecks) {
  for (const fs::path& input : Inputs("project", ".zam")) {
    SCOPED_TRACE(input.string());
    fuzz::CheckProjectText(FileBytes(input));
  }
  for (const fs::path& input : Inputs("datafile", ".dat")) {
    SCOPED_TRACE(input.string());
    fuzz::CheckDataFile(FileBytes(input));
  }
  for (const fs::path& input : Inputs("objective")) {
    SCOPED_TRACE(input.string());
    fuzz::CheckObjectives(FileBytes(input));
  }
}

// In a child, as the fuzzer works in a scratch folder of its own; a broken rule aborts it.
// One child checks them all; only when it fails is each input checked in a child of its own,
// to name the one at fault.
TEST(FuzzRegression, CommandLineInputsPassTheChecks) {
  const std::vector<fs::path> inputs = Inputs("commandline");
  const fs::path folder = MakeTestFolder("commandline-fuzz");
  const auto check = [&](const std::vector<fs::path>& some) {
    return RunInChild(folder, false, [&] {
      for (const fs::path& input : some) fuzz::CheckCommandLine(FileBytes(input));
      return std::string("checked");
    });
  };
  if (check(inputs).Report != "checked") {
    for (const fs::path& input : inputs) {
      const ChildResult child = check({input});
      EXPECT_EQ(child.Report, "checked") << input << " ended by signal " << child.Signal;
    }
  }
  RemoveTestFolder(folder);
}

}  // namespace
}  // namespace zamo
