#include <gtest/gtest.h>

#include <atomic>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <vector>

#include "document/SyntheticSeries.h"
#include "optimize/FitQuality.h"
#include "optimize/ModelSelection.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// The example's pathways at 210 °C with k3 and k4 truly 0, observed as a file holds them (to
// 0.01 pp) without noise. The project's own constants are the truth with k3 and k4 at a small
// start, so that they are candidates.
OptimizationRunData WithoutK3AndK4() {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {210}, recipe.A[3] = recipe.A[4] = 0, recipe.Noise = 0;
  ProjectData project = MakeSyntheticSeries(recipe, "truth.zams").at(0).Data;
  for (Experiment* e : {&project.Left, &project.Right}) {
    for (SpeciesValues& row : e->Observed) {
      Real sum = 0;
      for (int s = 1; s < kSpeciesCount; ++s) sum += row[s] = std::round(row[s] * 10000) / 10000;
      row[kSpeciesCount] = 1 - sum;
    }
  }
  project.K[3] = project.K[4] = 1e-7L;
  return {project.K, project.Left, project.Right};
}

SelectionSettings Settings(const OptimizationRunData& data, SelectionMethod method = SelectionMethod::Exhaustive) {
  SelectionSettings settings;
  settings.Candidates = DefaultCandidates(data.K, false), settings.Method = method;
  return settings;
}

SelectionResult Select(const SelectionSettings& settings, const OptimizationRunData& data) {
  const std::atomic<bool> stop{false};
  return SelectModels(settings, data, nullptr, stop);
}

std::vector<int> Off(const SelectionResult& r) { return r.Best()->Off; }

Real InclusionOf(const SelectionResult& r, int index) {
  return std::find_if(r.Pathways.begin(), r.Pathways.end(), [&](const auto& e) { return e.Index == index; })->Inclusion;
}

TEST(ModelSelectionSynthetic, TrueModelWinsAndAbsentPathwaysHaveNoWeight) {
  const OptimizationRunData data = WithoutK3AndK4();
  const SelectionResult r = Select(Settings(data), data);
  EXPECT_TRUE(r.ModelsFitted == 1024 && !r.Stopped);
  EXPECT_EQ(Off(r), (std::vector<int>{3, 4}));
  EXPECT_TRUE(InclusionOf(r, 3) < 0.05L && InclusionOf(r, 4) < 0.05L && InclusionOf(r, 2) > 0.99L);
  // Backward elimination finds the same model.
  EXPECT_EQ(Off(Select(Settings(data, SelectionMethod::Backward), data)), (std::vector<int>{3, 4}));
}

// The example: backward elimination ends where the exhaustive search ranks best, the numbers
// do not depend on how many threads fit them, and a stop ranks what was fitted.
TEST(ModelSelectionExample, BackwardAgreesThreadsDoNotMatterAndStopRanksWhatWasFitted) {
  const KineticProject example = test::Example();
  const OptimizationRunData data{example.K, example.Left, example.Right};
  SelectionSettings one = Settings(data), two = Settings(data);
  one.Threads = 1, two.Threads = 2;
  const SelectionResult a = Select(one, data), b = Select(two, data);
  ASSERT_EQ(a.Models.size(), b.Models.size());
  for (std::size_t n = 0; n < a.Models.size(); ++n) {
    EXPECT_TRUE(a.Models[n].On == b.Models[n].On && a.Models[n].Ssr == b.Models[n].Ssr &&
                a.Models[n].K == b.Models[n].K);
  }
  EXPECT_EQ(Off(a), Off(Select(Settings(data, SelectionMethod::Backward), data)));
  std::atomic<bool> stop{false};
  const SelectionResult r = SelectModels(
      one, data, [&](int fitted, int) { stop = fitted >= 20; }, stop);
  EXPECT_TRUE(r.Stopped && r.ModelsFitted >= 20 && r.ModelsFitted < 1024);
  Real weights = 0;
  for (const SelectedModel& m : r.Models) weights += m.Weight;
  EXPECT_NEAR(weights, 1, 1e-15L);
}

// Four models of two candidates, k1 and k2, with numbers to check by hand; the model with
// both on ended with k2 at its bound, so it is the model with k1 alone.
SelectionResult FourModels() {
  SelectionResult r;
  r.Candidates = {1, 2};
  r.N = 20;
  const auto model = [](std::uint32_t on, Real ssr, int p, Real k1, Real se1, Real k2, Real se2) {
    SelectedModel m;
    m.On = on, m.Ssr = ssr, m.P = p, m.Aicc = Aicc(ssr, 20, p), m.Bic = Bic(ssr, 20, p);
    m.K[1] = k1, m.Se[1] = se1, m.K[2] = k2, m.Se[2] = se2;
    return m;
  };
  r.Models = {model(0, 40, 0, 0, 0, 0, 0), model(1, 10, 1, 2, 0.1L, 0, 0), model(2, 12, 1, 0, 0, 3, 0.2L),
              model(3, 10, 1, 2, 0.1L, 0, 0)};
  r.Models[3].AtBound = {2};
  return r;
}

Real AiccByHand(Real ssr, int p) {
  const int k = p + 1;
  return 20 * std::log(ssr / 20) + 2 * k + 2.0L * k * (k + 1) / (20 - k - 1);
}

TEST(ModelSelectionRanking, WeightsInclusionTestsAndAveragesByHand) {
  SelectionResult r = FourModels();
  RankModels(r, 20 - 1);
  // Sorted: {k1} (AICc of SSR 10, p 1), its twin {k1, k2}, {k2}, {} .
  ASSERT_EQ(r.Models.size(), 4u);
  EXPECT_TRUE(r.Models[0].On == 1u && r.Models[1].On == 3u && r.Models[1].SameAs == 0u && r.Models[1].Weight == 0);
  const Real a1 = AiccByHand(10, 1), a2 = AiccByHand(12, 1), a0 = AiccByHand(40, 0);
  const Real w1 = 1 / (1 + std::exp(-(a2 - a1) / 2) + std::exp(-(a0 - a1) / 2));
  const Real w2 = w1 * std::exp(-(a2 - a1) / 2);
  EXPECT_NEAR(r.Models[0].Weight, w1, 1e-15L);
  EXPECT_NEAR(r.Models[2].Delta, a2 - a1, 1e-12L);
  EXPECT_NEAR(r.Models[2].Weight, w2, 1e-15L);
  // Inclusion: the weight of the distinct models with the pathway.
  EXPECT_TRUE(std::fabs(r.Pathways[0].Inclusion - w1) < 1e-15L && std::fabs(r.Pathways[1].Inclusion - w2) < 1e-15L);
  // Drop-one F against the full model (SSR 10, 19 dof): without k1 the SSR is 12.
  EXPECT_NEAR(r.Pathways[0].F, (12 - 10) / (10.0L / 19), 1e-12L);
  const boost::math::fisher_f_distribution<double> f(1, 19);
  EXPECT_NEAR(r.Pathways[0].PValue, boost::math::cdf(boost::math::complement(f, 3.8)), 1e-12L);
  // The averaged k1 and its unconditional SE: sum of w (k = 2 where on, 0 where off).
  const Real mean = 2 * w1;
  EXPECT_NEAR(r.Pathways[0].Averaged, mean, 1e-15L);
  EXPECT_NEAR(r.Pathways[0].AveragedSe, w1 * std::sqrt(0.01L + (2 - mean) * (2 - mean)) + (1 - w1) * mean, 1e-15L);
  // BIC ranks by its own weights.
  r = FourModels();
  r.Criterion = SelectionCriterion::Bic;
  RankModels(r, 19);
  EXPECT_NEAR(r.Models[2].Delta, 20 * std::log(12.0L / 10), 1e-12L);
}

}  // namespace
}  // namespace zamo
