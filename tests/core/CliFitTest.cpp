#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "document/ProjectReader.h"
#include "document/SeriesFile.h"
#include "optimize/FitReportText.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/SeriesFit.h"
#include "optimize/SeriesTables.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

FitResult CoreFit(const FitSettings& settings) {
  const KineticProject example = Example();
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, {example.K, example.Left, example.Right}, nullptr, stop);
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The options reach the fit's settings: the text is the fit of the same settings.
TEST(CliFit, OptionsReachTheSettings) {
  FitSettings defaults;
  defaults.Free = DefaultFreeSet(Example().K, false);
  FitSettings chosen;
  for (const int i : {1, 2, 15, 16}) chosen.Free[i] = true;
  chosen.Experiments = FitExperiments::Left;
  chosen.Starts = 2;
  FitSettings all;
  all.Free.Fill(true);
  all.Weighting = FitWeighting::Species;
  all.Starts = 1;
  const std::pair<std::vector<std::string>, FitSettings> cases[] = {
      {{"fit"}, defaults},
      {{"fit", "--free", "k2,k1", "--vary-k15-k16", "--experiments", "left", "--starts", "2"}, chosen},
      {{"fit", "--free-all", "--weights", "species", "--starts=1"}, all},
  };
  for (const auto& [args, settings] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, Joined(FitTable(settings, CoreFit(settings))));
  }
}

// The JSON object holds what the core's fit of the same settings gives, every field named
// in the order of the free constants.
TEST(CliFit, JsonHoldsTheFit) {
  const CliResult r = RunCli({"fit", "--free", "k1,k2,k6,k15,k16", "--weights", "species", "--profile", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  FitSettings settings;
  for (const int i : {1, 2, 6, 15, 16}) settings.Free[i] = true;
  settings.Weighting = FitWeighting::Species;
  settings.Profile = true;
  const FitResult fit = CoreFit(settings);
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(json["k"][i - 1].get<double>(), static_cast<double>(fit.K[i])) << "k" << i;
  EXPECT_EQ(json["start_k"][1].get<double>(), 1.03e-5);
  EXPECT_EQ(json["free"], (std::vector<int>{1, 2, 6, 15, 16}));
  for (std::size_t n = 0; n < 5; ++n) {
    const bool finite = std::isfinite(fit.StandardError[n]);
    EXPECT_EQ(json["se"][n].is_null(), !finite);
    if (finite) {
      EXPECT_EQ(json["ci95"][n][0].get<double>(), static_cast<double>(fit.Interval95[n][0]));
    }
    EXPECT_EQ(json["flags"][n], FitFlags(fit, n));
    EXPECT_EQ(json["profile_ci95"][n].size(), 2u);
  }
  EXPECT_EQ(json["ssr_left"].get<double>(), static_cast<double>(*fit.After.Left));
  EXPECT_EQ(json["dof"].get<int>(), fit.Dof);
  EXPECT_EQ(json["species_sigma"][0].get<double>(), static_cast<double>((*fit.SpeciesSigma)[1]));
  EXPECT_EQ(json["weighting"], "species");
  EXPECT_EQ(json["starts_reaching_best"].get<int>(), fit.StartsReachingBest);

  const nlohmann::json right = nlohmann::json::parse(RunCli({"fit", "--experiments", "right", "--json"}).Out);
  EXPECT_TRUE(right["ssr_left"].is_null());
  EXPECT_FALSE(right.contains("species_sigma"));
  EXPECT_FALSE(right.contains("profile_ci95"));
  EXPECT_EQ(right["experiments"], nlohmann::json{"right"});
}

TEST(CliFit, WrittenProjectHoldsTheFittedConstants) {
  const fs::path out = fs::temp_directory_path() / ("zamo-cli-fit-" + std::to_string(::getpid()) + ".zam");
  const CliResult r = RunCli({"fit", "--vary-k15-k16", "--json", "-o", out.string()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const ProjectData written = ReadProjectFile(out.string()).Data;
  fs::remove(out);
  const nlohmann::json json = nlohmann::json::parse(r.Out.substr(0, r.Out.find('\n')));
  EXPECT_TRUE(json["free"].back() == 16);
  for (int i = 1; i <= 16; ++i) {
    const double fitted = json["k"][i - 1].get<double>();
    EXPECT_NEAR(static_cast<double>(written.K[i]), fitted, 5e-6 * fitted) << "k" << i;
  }
}

const std::string kSeries = DataFilePath("series/synthetic-series.zams");

SeriesResult CoreSeries(const SeriesSettings& settings) {
  const std::atomic<bool> stop{false};
  return FitSeries(settings, ReadSeries(kSeries), nullptr, stop);
}

// The options reach the series' settings: the text is the series fit of the same settings.
TEST(CliSeries, OptionsReachTheSettings) {
  SeriesSettings twoStage;
  twoStage.Method = SeriesMethod::TwoStage;
  twoStage.Free.emplace();
  for (const int i : {1, 2, 15, 16}) (*twoStage.Free)[i] = true;
  twoStage.VaryK15K16 = true;
  SeriesSettings global;
  global.Method = SeriesMethod::Global;
  global.Weighting = FitWeighting::Species;
  const std::pair<std::vector<std::string>, SeriesSettings> cases[] = {
      {{"series", kSeries, "--method", "two-stage", "--free", "k1,k2", "--vary-k15-k16"}, twoStage},
      {{"series", kSeries, "--method", "global", "--weights", "species"}, global},
  };
  for (const auto& [args, settings] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, Joined(SeriesText(CoreSeries(settings))));
  }
}

// The JSON of a series holds what the core's fit of the same series gives.
TEST(CliSeries, JsonHoldsBothMethodsAndTheSingleFits) {
  const CliResult r = RunCli({"series", kSeries, "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  const SeriesResult expected = CoreSeries({});
  EXPECT_EQ(json["temperatures_K"][0].get<double>(), static_cast<double>(expected.Temperatures[0]));
  for (const ActivationParameters& p : expected.Global->Parameters) {
    const nlohmann::json& g = json["global"]["k" + std::to_string(p.Index)];
    EXPECT_EQ(g["ea_kj_mol"].get<double>(), static_cast<double>(p.Ea / 1000)) << "k" << p.Index;
    EXPECT_NEAR(g["log10_a"].get<double>(), static_cast<double>(p.LnA / std::log(10.0L)), 1e-12);
    EXPECT_EQ(g["ds_j_mol_k"].get<double>(), static_cast<double>(p.DeltaS));
  }
  const ArrheniusLine& first = expected.TwoStage->Lines.front();
  const nlohmann::json& line = json["two_stage"]["k" + std::to_string(first.Parameters.Index)];
  EXPECT_EQ(line["ea_se"].get<double>(), static_cast<double>(first.Parameters.EaSe / 1000));
  EXPECT_EQ(line["chi2_dof"].get<double>(), static_cast<double>(first.ChiSquared / first.Dof));
  EXPECT_EQ(line["flags"], PathwayFlags(expected, first.Parameters, &first));
  EXPECT_EQ(json["sigma"].get<double>(), static_cast<double>(expected.Global->Sigma));
  EXPECT_EQ(json["per_temperature"][1]["k"][1].get<double>(), static_cast<double>(expected.Single[1].K[2]));
  EXPECT_FALSE(json["stopped"].get<bool>());
  EXPECT_FALSE(
      nlohmann::json::parse(RunCli({"series", kSeries, "--method", "global", "--json"}).Out).contains("two_stage"));
}

// A series stopped before its lines keeps every section it asked for, empty, and says so.
TEST(CliSeries, StoppedSeriesSaysSo) {
  const std::atomic<bool> stopped{true};
  cli::Environment env;
  env.Stop = &stopped;
  const CliResult r = RunCli({"series", kSeries, "--json"}, env);
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out);
  EXPECT_TRUE(json["stopped"].get<bool>());
  EXPECT_FALSE(json["converged"].get<bool>());
  EXPECT_TRUE(json["two_stage"].is_null());
  EXPECT_TRUE(json["global"].is_null());
}

TEST(CliSeries, RefusalNamesTheSeriesFile) {
  const std::string one = DataFilePath("series/one-project.zams");
  const CliResult r = RunCli({"series", one});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "zamo-cli: " + one +
                       ": A temperature series needs projects at two or more temperatures; it holds 1 project\n");
}

// The JSON of a selection: the candidates without the kept ones, the models sorted by the
// criterion, the best N, and the project written with the best model's constants.
TEST(CliSelect, JsonRanksTheModelsAndOutputHoldsTheBest) {
  const fs::path out = fs::temp_directory_path() / ("zamo-cli-select-" + std::to_string(::getpid()) + ".zam");
  const CliResult r = RunCli({"select", "--candidates", "k1-k3,k10", "--keep", "k2", "--top", "3", "--criterion", "bic",
                              "--json", "-o", out.string()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const nlohmann::json json = nlohmann::json::parse(r.Out.substr(0, r.Out.find('\n')));
  EXPECT_EQ(json["candidates"], (std::vector<int>{1, 3, 10}));
  EXPECT_EQ(json["keep"], (std::vector<int>{2}));
  EXPECT_EQ(json["models_fitted"].get<int>(), 8);
  EXPECT_EQ(json["criterion"], "bic");
  ASSERT_EQ(json["models"].size(), 3u);
  EXPECT_LE(json["models"][0]["bic"].get<double>(), json["models"][1]["bic"].get<double>());
  EXPECT_TRUE(json["drop_one"]["k10"].contains("p_value"));
  const ProjectData written = ReadProjectFile(out.string()).Data;
  fs::remove(out);
  for (int i = 1; i <= 16; ++i) {
    const double best = json["models"][0]["k"][i - 1].get<double>();
    EXPECT_NEAR(static_cast<double>(written.K[i]), best, 5e-6 * best) << "k" << i;
  }
  const nlohmann::json every = nlohmann::json::parse(
      RunCli({"select", "--candidates", "k3,k10", "--method", "backward", "--top", "all", "--json"}).Out);
  EXPECT_EQ(every["method"], "backward");
  EXPECT_EQ(every["models"].size(), static_cast<std::size_t>(every["models_fitted"].get<int>()));
}

}  // namespace
}  // namespace zamo
