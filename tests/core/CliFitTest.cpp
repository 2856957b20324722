#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "document/ProjectReader.h"
#include "document/SeriesFile.h"
#include "optimize/FitReportText.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/SeriesFit.h"
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
  EXPECT_FALSE(json.contains("weights"));
  ASSERT_EQ(json["species_sigma"].size(), 7u);
  EXPECT_EQ(json["species_sigma"][0].get<double>(), static_cast<double>((*fit.SpeciesSigma)[1]));
  EXPECT_EQ(json["weighting"], "species");
  ASSERT_EQ(json["covariance"].size(), 5u);
  ASSERT_EQ(json["flags"].size(), 5u);
  for (std::size_t n = 0; n < 5; ++n) EXPECT_EQ(json["flags"][n], FitFlags(fit, n));
  EXPECT_EQ(json["aicc"].get<double>(), static_cast<double>(fit.Aicc));
  EXPECT_EQ(json["starts"].get<int>(), 8);
  EXPECT_EQ(json["starts_reaching_best"].get<int>(), fit.StartsReachingBest);
  EXPECT_EQ(json["optima"].size(), fit.Optima.size());
  EXPECT_EQ(json["stopped"].get<bool>(), false);
  for (const char* key : {"bic", "reduced_chi2", "r2_left", "r2_right", "outliers"}) EXPECT_TRUE(json.contains(key));
  // 17 significant digits: the value read back is the double exactly.
  EXPECT_NE(r.Out.find("1.03e-05"), std::string::npos);
}

TEST(CliFit, OneExperimentHasNoSumForTheOther) {
  const Result r = RunCli({"fit", "--experiments", "right", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  EXPECT_TRUE(json["ssr_left"].is_null());
  EXPECT_GT(json["ssr_right"].get<double>(), 0);
  EXPECT_FALSE(json.contains("species_sigma"));
  EXPECT_FALSE(json.contains("profile_ci95"));
  EXPECT_EQ(json["experiments"], nlohmann::json{"right"});
  // Asked of a project without it, an experiment is refused by name.
  const std::string rightOnly = DataFilePath("right-only.zam");
  const Result missing = RunCli({"fit", rightOnly, "--experiments", "left"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "zamo-cli: " + rightOnly + ": The project holds no left experiment to fit\n");
}

TEST(CliFit, TableShowsTheDefaultFit) {
  const Result r = RunCli({"fit"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("Least-squares fit to both experiments: converged after ", 0), 0u) << r.Out;
  EXPECT_NE(r.Out.find("\ntotal     20.2490  18.8527\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\nk3        8.50000e-08  3.66481e-08"), std::string::npos) << r.Out;
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

namespace zamo {
namespace {

const std::string kSeries = std::string(ZAMO_TEST_DATA_DIR) + "/series/synthetic-series.zams";

// The JSON of a series holds what the core's fit of the same series gives.
TEST(CliSeries, JsonHoldsBothMethodsAndTheSingleFits) {
  const Result r = RunCli({"series", kSeries, "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  const std::atomic<bool> stop{false};
  const SeriesResult expected = FitSeries(SeriesSettings{}, ReadSeries(kSeries), nullptr, stop);
  ASSERT_EQ(json["temperatures_K"].size(), expected.Temperatures.size());
  EXPECT_EQ(json["temperatures_K"][0].get<double>(), static_cast<double>(expected.Temperatures[0]));
  ASSERT_TRUE(expected.Global.has_value());
  for (const ActivationParameters& p : expected.Global->Parameters) {
    const nlohmann::json& g = json["global"]["k" + std::to_string(p.Index)];
    EXPECT_EQ(g["ea_kj_mol"].get<double>(), static_cast<double>(p.Ea / 1000)) << "k" << p.Index;
    EXPECT_NEAR(g["log10_a"].get<double>(), static_cast<double>(p.LnA / std::log(10.0L)), 1e-12);
    EXPECT_EQ(g["ds_j_mol_k"].get<double>(), static_cast<double>(p.DeltaS));
    EXPECT_EQ(g["t_ref_K"].get<double>(), static_cast<double>(expected.ReferenceTemperature));
  }
  for (const ArrheniusLine& line : expected.TwoStage->Lines) {
    const nlohmann::json& t = json["two_stage"]["k" + std::to_string(line.Parameters.Index)];
    EXPECT_EQ(t["ea_se"].get<double>(), static_cast<double>(line.Parameters.EaSe / 1000));
  }
  EXPECT_EQ(json["global_dof"].get<int>(), expected.Global->Dof);
  EXPECT_EQ(json["sigma"].get<double>(), static_cast<double>(expected.Global->Sigma));
  EXPECT_EQ(json["iterations"].get<int>(), expected.Global->Iterations);
  EXPECT_EQ(json["converged"].get<bool>(), expected.Global->Converged);
  EXPECT_FALSE(json["stopped"].get<bool>());
  const ArrheniusLine& first = expected.TwoStage->Lines.front();
  const nlohmann::json& line = json["two_stage"]["k" + std::to_string(first.Parameters.Index)];
  EXPECT_EQ(line["chi2_dof"].get<double>(), static_cast<double>(first.ChiSquared / first.Dof));
  EXPECT_EQ(line["se_scale"].get<double>(), static_cast<double>(first.SeScale));
  EXPECT_EQ(line["flags"], PathwayFlags(expected, first.Parameters, &first));
  ASSERT_EQ(json["per_temperature"].size(), expected.Single.size());
  EXPECT_EQ(json["per_temperature"][1]["k"][1].get<double>(), static_cast<double>(expected.Single[1].K[2]));
  EXPECT_EQ(json["per_temperature"][1]["ssr"].get<double>(), static_cast<double>(expected.Single[1].After.Total));
  EXPECT_TRUE(json["per_temperature"][0]["se"].contains("k2"));
}

// A series stopped before its lines keeps every section it asked for, empty, and says so.
TEST(CliSeries, StoppedSeriesSaysSo) {
  const std::atomic<bool> stopped{true};
  cli::Environment env;
  env.Stop = &stopped;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(cli::Run({"series", kSeries, "--json"}, out, err, env), 0) << err.str();
  const nlohmann::json json = nlohmann::json::parse(out.str());
  EXPECT_TRUE(json["stopped"].get<bool>());
  EXPECT_FALSE(json["converged"].get<bool>());
  EXPECT_TRUE(json["two_stage"].is_null());
  EXPECT_TRUE(json["global"].is_null());
}

TEST(CliSeries, OneMethodOnlyHasOnlyItsSection) {
  const Result twoStage = RunCli({"series", kSeries, "--method", "two-stage", "--json"});
  ASSERT_EQ(twoStage.Status, 0) << twoStage.Err;
  const nlohmann::json a = nlohmann::json::parse(twoStage.Out);
  EXPECT_TRUE(a.contains("two_stage"));
  EXPECT_FALSE(a.contains("global"));
  const Result global = RunCli({"series", kSeries, "--method", "global", "--json"});
  const nlohmann::json b = nlohmann::json::parse(global.Out);
  EXPECT_FALSE(b.contains("two_stage"));
  EXPECT_TRUE(b.contains("global"));
}

TEST(CliSeries, TableNamesEachPathwayAndTemperature) {
  const Result r = RunCli({"series", kSeries});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("Temperature series of 4 projects at 468.15 K 478.15 K 488.15 K 498.15 K", 0), 0u) << r.Out;
  EXPECT_NE(r.Out.find("\nTwo-stage: each project fitted"), std::string::npos);
  EXPECT_NE(r.Out.find("\nGlobal fit of every project's data: SSR "), std::string::npos);
  EXPECT_NE(r.Out.find("\nk2       "), std::string::npos);
  EXPECT_EQ(r.Out.find(" \n"), std::string::npos) << "no blanks before a line end";
  const Result global = RunCli({"series", kSeries, "--method", "global"});
  ASSERT_EQ(global.Status, 0) << global.Err;
  EXPECT_EQ(global.Out.find("Two-stage"), std::string::npos);
  EXPECT_NE(global.Out.find("\nGlobal fit of every project's data: SSR "), std::string::npos);
}

TEST(CliSeries, RefusalsNameTheSeriesFileAndExitWithOne) {
  const std::string one = std::string(ZAMO_TEST_DATA_DIR) + "/series/one-project.zams";
  const Result r = RunCli({"series", one});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "zamo-cli: " + one +
                       ": A temperature series needs projects at two or more temperatures; it holds 1 project\n");
  const Result usage = RunCli({"series", kSeries, "--method", "fast"});
  EXPECT_EQ(usage.Status, 2);
  EXPECT_EQ(usage.Err.substr(0, usage.Err.find('\n')), "zamo-cli: --method takes two-stage, global or both");
  const Result none = RunCli({"series"});
  EXPECT_EQ(none.Status, 2);
  EXPECT_EQ(none.Err.substr(0, none.Err.find('\n')), "zamo-cli: series needs a series file or the project files");
}

}  // namespace
}  // namespace zamo

namespace zamo {
namespace {

// The JSON of a selection: every key, the models sorted by the criterion, and the project
// written with the best model's constants.
TEST(CliSelect, JsonRanksTheModelsAndOutputHoldsTheBest) {
  namespace fs = std::filesystem;
  const fs::path out = fs::temp_directory_path() / ("zamo-cli-select-" + std::to_string(::getpid()) + ".zam");
  const Result r =
      RunCli({"select", "--candidates", "k1-k3,k10", "--keep", "k2", "--top", "3", "--json", "-o", out.string()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out.substr(0, r.Out.find('\n')));
  EXPECT_EQ(json["candidates"], (std::vector<int>{1, 3, 10}));
  EXPECT_EQ(json["models_fitted"].get<int>(), 8);
  EXPECT_EQ(json["criterion"], "aicc");
  ASSERT_EQ(json["models"].size(), 3u);
  EXPECT_EQ(json["models"][0]["delta"].get<double>(), 0);
  EXPECT_LE(json["models"][0]["aicc"].get<double>(), json["models"][1]["aicc"].get<double>());
  EXPECT_EQ(json["models"][0]["k"].size(), 16u);
  for (const char* key : {"free", "off", "at_bound", "ssr", "p", "bic", "weight", "converged"}) {
    EXPECT_TRUE(json["models"][0].contains(key)) << key;
  }
  for (const char* name : {"k1", "k3", "k10"}) {
    EXPECT_TRUE(json["inclusion"].contains(name));
    EXPECT_TRUE(json["drop_one"][name].contains("p_value"));
    EXPECT_TRUE(json["averaged"][name].contains("se"));
  }
  EXPECT_FALSE(json["stopped"].get<bool>());
  const ProjectData written = ReadProjectFile(out.string()).Data;
  fs::remove(out);
  for (int i = 1; i <= 16; ++i) {
    const double best = json["models"][0]["k"][i - 1].get<double>();
    EXPECT_NEAR(static_cast<double>(written.K[i]), best, 5e-6 * best) << "k" << i;
  }
}

TEST(CliSelect, WrongUsageExitsWithTwoAndSaysWhy) {
  const UsageCase cases[] = {
      {{"select", "--candidates", "k5-k2"}, "--candidates takes ranges from the lower constant up, not 'k5-k2'"},
      {{"select", "--keep", "k0"},
       "--keep takes constants k1..k16 or ranges like k1-k14, separated by commas, not 'k0'"},
      {{"select", "--criterion", "aic"}, "--criterion takes aicc or bic"},
      {{"select", "--method", "forward"}, "--method takes exhaustive or backward"},
      {{"select", "--top", "0"}, "--top takes a whole number from 1 to 65536"},
  };
  for (const UsageCase& c : cases) {
    const Result r = RunCli(c.Args);
    EXPECT_EQ(r.Status, 2) << c.Message;
    EXPECT_EQ(r.Err.substr(0, r.Err.find('\n')), "zamo-cli: " + c.Message);
  }
}

}  // namespace
}  // namespace zamo
