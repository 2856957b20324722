#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/core/ChildProcess.h"
#include "tests/fuzz/CommandLineFuzzChecks.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/ObjectiveFuzzChecks.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension = "") {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;  // no input has failed yet
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension)) {
      files.push_back(entry.path());
    }
  }
  return files;
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every input the fuzzers once failed on, and every test file they start from, must pass
// the fuzz checks (which abort on a broken rule).
TEST(FuzzRegression, ProjectTextInputsPassTheChecks) {
  const fs::path root = ZAMO_SOURCE_DIR;
  std::vector<fs::path> inputs = FilesIn(root / "tests/fuzz/regressions/project");
  const std::vector<fs::path> seeds = FilesIn(root / "tests/data", ".zam");
  inputs.insert(inputs.end(), seeds.begin(), seeds.end());
  ASSERT_FALSE(seeds.empty());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    fuzz::CheckProjectText(Bytes(input));
  }
}

TEST(FuzzRegression, DataFileInputsPassTheChecks) {
  const fs::path root = ZAMO_SOURCE_DIR;
  std::vector<fs::path> inputs = FilesIn(root / "tests/fuzz/regressions/datafile");
  const std::vector<fs::path> seeds = FilesIn(root / "tests/data", ".dat");
  inputs.insert(inputs.end(), seeds.begin(), seeds.end());
  ASSERT_FALSE(seeds.empty());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    fuzz::CheckDataFile(Bytes(input));
  }
}

// The seeds the other two fuzzers start from live beside them.
std::vector<fs::path> SeedsAndRegressions(const std::string& name) {
  const fs::path root = ZAMO_SOURCE_DIR;
  std::vector<fs::path> inputs = FilesIn(root / "tests/fuzz/regressions" / name);
  const std::vector<fs::path> seeds = FilesIn(root / "tests/fuzz/seeds" / name);
  inputs.insert(inputs.end(), seeds.begin(), seeds.end());
  return inputs;
}

TEST(FuzzRegression, ObjectiveInputsPassTheChecks) {
  const std::vector<fs::path> inputs = SeedsAndRegressions("objective");
  ASSERT_FALSE(inputs.empty());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    fuzz::CheckObjectives(Bytes(input));
  }
}

// In a child, as the fuzzer works in a scratch folder of its own; a broken rule aborts it.
TEST(FuzzRegression, CommandLineInputsPassTheChecks) {
  const std::vector<fs::path> inputs = SeedsAndRegressions("commandline");
  ASSERT_FALSE(inputs.empty());
  const fs::path folder = test::MakeTestFolder("commandline-fuzz");
  for (const fs::path& input : inputs) {
    const std::string bytes = Bytes(input);
    const test::ChildResult child = test::RunInChild(folder, false, [&] {
      fuzz::CheckCommandLine(bytes);
      return std::string("checked");
    });
    EXPECT_EQ(child.Report, "checked") << input << " ended by signal " << child.Signal;
  }
  test::RemoveTestFolder(folder);
}

}  // namespace
}  // namespace zamo
