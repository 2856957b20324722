#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
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
  FitSettings settings;
  settings.Free = DefaultFreeSet(Example().K, false);
  EXPECT_EQ(RunCli({"fit"}).Out, Joined(FitTable(settings, CoreFit(settings))));
  settings.Free.Fill(true);
  EXPECT_EQ(RunCli({"fit", "--free-all"}).Out, Joined(FitTable(settings, CoreFit(settings))));
}

// The JSON object holds what the core's fit of the same settings gives, every field named
// in the order of the free constants; -o writes the fitted constants (six digits).
using CliFitOutput = TempFolderTest;
TEST_F(CliFitOutput, JsonHoldsTheFitAndTheFileItsConstants) {
  const std::string out = (dir_ / "fit.zam").string();
  const CliResult r = RunCli({"fit", "--free", "k6,k2,k1", "--vary-k15-k16", "--weights", "species", "--profile",
                              "--experiments", "left", "--starts=2", "--json", "-o", out});
  const nlohmann::json json = nlohmann::json::parse(r.Out.substr(0, r.Out.find('\n')));
  FitSettings settings;
  for (const int i : {1, 2, 6, 15, 16}) settings.Free[i] = true;
  settings.Weighting = FitWeighting::Species;
  settings.Profile = true;
  settings.Experiments = FitExperiments::Left;
  settings.Starts = 2;
  const FitResult fit = CoreFit(settings);
  const ProjectData written = ReadProjectFile(out).Data;
  for (int i = 1; i <= 16; ++i) {
    EXPECT_EQ(json["k"][i - 1].get<double>(), static_cast<double>(fit.K[i])) << "k" << i;
    EXPECT_NEAR(written.K[i], fit.K[i], 5e-6L * fit.K[i]) << "k" << i;
  }
  EXPECT_EQ(json["free"], (std::vector<int>{1, 2, 6, 15, 16}));
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(json["se"][n].is_null(), !std::isfinite(fit.StandardError[n]));
    EXPECT_EQ(json["flags"][n], FitFlags(fit, n));
  }
  EXPECT_EQ(json["ssr_left"].get<double>(), static_cast<double>(*fit.After.Left));
  EXPECT_EQ(std::tuple(json["dof"].get<int>(), json["profile_ci95"].size()), std::tuple(fit.Dof, 5u));
  EXPECT_TRUE(nlohmann::json::parse(RunCli({"fit", "--experiments", "right", "--json"}).Out)["ssr_left"].is_null());
}

const std::string kSeries = DataFilePath("series/synthetic-series.zams");

// The options reach the series fit's settings; the JSON holds both methods and the single fits.
TEST(CliSeries, OptionsReachTheSettingsAndJsonHoldsTheFit) {
  const std::atomic<bool> stop{false};
  SeriesSettings twoStage;
  twoStage.Method = SeriesMethod::TwoStage;
  twoStage.Free.emplace();
  for (const int i : {1, 2, 15, 16}) (*twoStage.Free)[i] = true;
  twoStage.VaryK15K16 = true;
  EXPECT_EQ(RunCli({"series", kSeries, "--method", "two-stage", "--free", "k1,k2", "--vary-k15-k16"}).Out,
            Joined(SeriesText(FitSeries(twoStage, ReadSeries(kSeries), nullptr, stop))));
  const nlohmann::json json = nlohmann::json::parse(RunCli({"series", kSeries, "--json"}).Out);
  const SeriesResult expected = FitSeries({}, ReadSeries(kSeries), nullptr, stop);
  const ActivationParameters& global = expected.Global->Parameters.back();
  EXPECT_EQ(json["global"]["k" + std::to_string(global.Index)]["ds_j_mol_k"].get<double>(),
            static_cast<double>(global.DeltaS));
  const ArrheniusLine& first = expected.TwoStage->Lines.front();
  EXPECT_EQ(json["two_stage"]["k" + std::to_string(first.Parameters.Index)]["flags"],
            PathwayFlags(expected, first.Parameters, &first));
  EXPECT_EQ(json["per_temperature"][1]["k"][1].get<double>(), static_cast<double>(expected.Single[1].K[2]));
}

// A selection's JSON: the candidates without the kept ones, the models sorted by the
// criterion, the best N.
TEST(CliSelect, JsonRanksTheModels) {
  const nlohmann::json json = nlohmann::json::parse(
      RunCli({"select", "--candidates", "k1-k3,k10", "--keep", "k2", "--top", "3", "--criterion", "bic", "--json"})
          .Out);
  ASSERT_EQ(
      std::tuple(json["candidates"], json["keep"], json["models_fitted"], json["criterion"], json["models"].size()),
      std::tuple(std::vector<int>{1, 3, 10}, std::vector<int>{2}, 8, "bic", 3u));
  EXPECT_LE(json["models"][0]["bic"].get<double>(), json["models"][1]["bic"].get<double>());
}

}  // namespace
}  // namespace zamo
