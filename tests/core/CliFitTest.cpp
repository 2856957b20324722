#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "document/ProjectReader.h"
#include "optimize/LeastSquaresFit.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

struct Result {
  int Status = -1;
  std::string Out;
  std::string Err;
};

Result RunCli(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Result result;
  result.Status = cli::Run(args, out, err);
  result.Out = out.str();
  result.Err = err.str();
  return result;
}

FitResult CoreFit(const FitSettings& settings) {
  const KineticProject example = test::Example();
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, {example.K, example.Left, example.Right}, nullptr, stop);
}

// The JSON object holds what the core's fit of the same settings gives, every field named
// in the order of the free constants.
TEST(CliFit, JsonHoldsTheFitOfTheSameSettings) {
  const Result r = RunCli({"fit", "--free", "k1,k2,k6,k15,k16", "--weights", "species", "--profile", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  FitSettings settings;
  for (const int i : {1, 2, 6, 15, 16}) settings.Free[i] = true;
  settings.Weighting = FitWeighting::Species;
  settings.Profile = true;
  const FitResult fit = CoreFit(settings);
  ASSERT_EQ(json["k"].size(), 16u);
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(json["k"][i - 1].get<double>(), static_cast<double>(fit.K[i])) << "k" << i;
  EXPECT_EQ(json["start_k"][1].get<double>(), 1.03e-5);
  EXPECT_EQ(json["free"], (std::vector<int>{1, 2, 6, 15, 16}));
  EXPECT_EQ(json["at_bound"], fit.AtBound);
  ASSERT_EQ(json["se"].size(), 5u);
  ASSERT_EQ(json["ci95"].size(), 5u);
  ASSERT_EQ(json["profile_ci95"].size(), 5u);
  ASSERT_EQ(json["correlation"].size(), 5u);
  for (std::size_t n = 0; n < 5; ++n) {
    if (std::isfinite(fit.StandardError[n])) {
      EXPECT_EQ(json["se"][n].get<double>(), static_cast<double>(fit.StandardError[n]));
      EXPECT_EQ(json["ci95"][n][0].get<double>(), static_cast<double>(fit.Interval95[n][0]));
    } else {
      EXPECT_TRUE(json["se"][n].is_null());
      EXPECT_TRUE(json["ci95"][n].is_null());
    }
    EXPECT_EQ(json["profile_ci95"][n].size(), 2u);
  }
  EXPECT_EQ(json["ssr"].get<double>(), static_cast<double>(fit.After.Total));
  EXPECT_EQ(json["ssr_left"].get<double>(), static_cast<double>(*fit.After.Left));
  EXPECT_EQ(json["dof"].get<int>(), fit.Dof);
  EXPECT_EQ(json["n"].get<int>(), 84);
  EXPECT_EQ(json["converged"].get<bool>(), fit.Converged);
  ASSERT_EQ(json["weights"].size(), 8u);
  // 17 significant digits: the value read back is the double exactly.
  EXPECT_NE(r.Out.find("1.03e-05"), std::string::npos);
}

TEST(CliFit, OneExperimentHasNoSumForTheOther) {
  const Result r = RunCli({"fit", "--experiments", "right", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  EXPECT_TRUE(json["ssr_left"].is_null());
  EXPECT_GT(json["ssr_right"].get<double>(), 0);
  EXPECT_TRUE(json["weights"].is_null());
  EXPECT_FALSE(json.contains("profile_ci95"));
}

TEST(CliFit, TableShowsTheDefaultFit) {
  const Result r = RunCli({"fit"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("Least-squares fit to both experiments: converged after ", 0), 0u) << r.Out;
  EXPECT_NE(r.Out.find("\ntotal    20.2490     18.8527\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("k3       8.50000e-08  3.66481e-08"), std::string::npos) << r.Out;
}

TEST(CliFit, WrittenProjectHoldsTheFittedConstants) {
  const fs::path out = fs::temp_directory_path() / ("zamo-cli-fit-" + std::to_string(::getpid()) + ".zam");
  const Result r = RunCli({"fit", "--vary-k15-k16", "-o", out.string()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const ProjectData written = ReadProjectFile(out.string()).Data;
  fs::remove(out);
  FitSettings settings;
  settings.Free = DefaultFreeSet(test::Example().K, true);
  const FitResult fit = CoreFit(settings);
  // The file keeps six significant digits.
  for (int i = 1; i <= 16; ++i) EXPECT_NEAR(written.K[i], fit.K[i], 5e-6L * fit.K[i]) << "k" << i;
}

struct UsageCase {
  std::vector<std::string> Args;
  std::string Message;
};

TEST(CliFit, WrongUsageExitsWithTwoAndSaysWhy) {
  const UsageCase cases[] = {
      {{"fit", "--free", "k1,k17"}, "--free takes constants k1..k16 separated by commas, not 'k17'"},
      {{"fit", "--free", "k1,,k3"}, "--free takes constants k1..k16 separated by commas, not ''"},
      {{"fit", "--free", "k2", "--free-all"}, "--free and --free-all exclude each other"},
      {{"fit", "--experiments", "up"}, "--experiments takes both, left or right"},
      {{"fit", "--weights", "all"}, "--weights takes none or species"},
  };
  for (const UsageCase& c : cases) {
    const Result r = RunCli(c.Args);
    EXPECT_EQ(r.Status, 2) << c.Message;
    EXPECT_EQ(r.Err.substr(0, r.Err.find('\n')), "zamo-cli: " + c.Message);
  }
}

}  // namespace
}  // namespace zamo
