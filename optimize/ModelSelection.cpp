#include "optimize/ModelSelection.h"

#include <algorithm>
#include <bit>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>

#include "model/ZamoError.h"
#include "optimize/FitQuality.h"
#include "optimize/ParallelFor.h"
#include "optimize/SpeciesWeights.h"
#include "optimize/TrustRegion.h"

namespace zamo {

namespace {

constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();
// Relative slack in comparisons of sums of squares that equal models reach alike.
constexpr Real kSsrSlack = 1e-7L;

using Mask = std::uint32_t;

// The model that a model with candidates at their bound equals: the same without them.
std::optional<Mask> TwinOf(const SelectedModel& model, const std::vector<int>& candidates) {
  Mask twin = model.On;
  for (std::size_t b = 0; b < candidates.size(); ++b) {
    if (std::find(model.AtBound.begin(), model.AtBound.end(), candidates[b]) != model.AtBound.end()) {
      twin &= ~(Mask{1} << b);
    }
  }
  if (twin == model.On) return std::nullopt;
  return twin;
}

class Selection {
 public:
  Selection(const SelectionSettings& settings, const OptimizationRunData& data, const SelectionProgress& progress,
            const std::atomic<bool>& stop)
      : settings_(settings), data_(data), progress_(progress), stop_(stop) {}

  SelectionResult Run() {
    SelectionResult result;
    result.Criterion = settings_.Criterion;
    result.Method = settings_.Method;
    result.Candidates = settings_.Candidates;
    result.Keep = settings_.Keep;
    const std::size_t c = settings_.Candidates.size();
    full_ = (Mask{1} << c) - 1;
    total_ = settings_.Method == SelectionMethod::Exhaustive ? static_cast<int>(full_) + 1
                                                             : static_cast<int>(c * (c + 1) / 2 + 1);
    // The full model: its own starts, and with species weighting the sigmas every model keeps.
    const FitResult fullFit = Fit(full_, data_.K, settings_.Starts, std::nullopt);
    result.Experiments = fullFit.Experiments;
    experiments_ = fullFit.Experiments;
    result.N = fullFit.N;
    if (settings_.Weighting == FitWeighting::Species) sigmas_ = fullFit.SpeciesSigma;
    result.Sigmas = sigmas_;
    Store(ModelOf(full_, fullFit));
    if (!fullFit.Stopped) {
      if (settings_.Method == SelectionMethod::Exhaustive) {
        Exhaustive(c);
      } else {
        Backward();
      }
    }
    result.Stopped = stop_.load();
    for (auto& [mask, model] : models_) result.Models.push_back(std::move(model));
    result.ModelsFitted = static_cast<int>(result.Models.size());
    RankModels(result, fullFit.Dof);
    return result;
  }

 private:
  // The settings of the fit of one model: the candidates on and the kept constants free.
  FitSettings SettingsOf(Mask on, int starts, const std::optional<SpeciesValues>& sigmas) const {
    FitSettings fit;
    fit.Experiments = settings_.Experiments;
    fit.Weighting = settings_.Weighting;
    fit.FixedSigmas = sigmas;
    fit.Starts = starts;
    // The full model is the fit itself; the others are compared by their sums of squares.
    if (on != full_) fit.SsrTolerance = kRankingSsrTolerance;
    for (std::size_t b = 0; b < settings_.Candidates.size(); ++b) fit.Free[settings_.Candidates[b]] = (on >> b) & 1;
    for (const int i : settings_.Keep) fit.Free[i] = true;
    return fit;
  }

  RateConstants Switched(Mask on, RateConstants k) const {
    for (std::size_t b = 0; b < settings_.Candidates.size(); ++b) {
      if (((on >> b) & 1) == 0) k[settings_.Candidates[b]] = 0;
    }
    return k;
  }

  // The fit of one model from `start` (the switched-off candidates set to 0). A model
  // without a free constant the data can see is its constants as they are.
  FitResult Fit(Mask on, const RateConstants& start, int starts, const std::optional<SpeciesValues>& sigmas) const {
    const FitSettings fit = SettingsOf(on, starts, sigmas);
    OptimizationRunData data = data_;
    data.K = Switched(on, start);
    if (std::any_of(fit.Free.begin(), fit.Free.end(), [](bool f) { return f; })) {
      try {
        return FitRateConstants(fit, data, nullptr, stop_);
      } catch (const FloatError&) {
        throw;
      } catch (const ZamoError&) {
        if (on == full_) throw;  // the full model must be fittable
      }
    }
    return Unfitted(fit, data);
  }

  // What a model without a determinable free constant is: its constants as they are.
  FitResult Unfitted(const FitSettings& fit, const OptimizationRunData& data) const {
    FitProblem problem;
    problem.Constants = data.K;
    problem.Left = data.Left;
    problem.Right = data.Right;
    problem.Experiments = PresentExperiments(fit.Experiments, data);
    if (sigmas_) problem.Weight = WeightsOf(*sigmas_);
    FitResult r;
    r.K = data.K;
    r.Experiments = problem.Experiments;
    for (int i = 1; i <= kRateConstantCount; ++i) {
      if (fit.Free[i]) r.Free.push_back(i);
    }
    r.StandardError.assign(r.Free.size(), kNaN);
    r.WeightedSsr = WeightedSsr(problem, {});
    r.N = (kSpeciesCount - 1) * problem.RowCount();
    r.Converged = true;
    return r;
  }

  // The objective of a model at the constants k, without fitting.
  Real SsrAt(const RateConstants& k) const {
    FitProblem problem;
    problem.Constants = k;
    problem.Left = data_.Left;
    problem.Right = data_.Right;
    problem.Experiments = experiments_;
    if (sigmas_) problem.Weight = WeightsOf(*sigmas_);
    return WeightedSsr(problem, {});
  }

  SelectedModel ModelOf(Mask on, const FitResult& fit) const {
    SelectedModel m;
    m.On = on;
    m.Free = fit.Free;
    for (std::size_t b = 0; b < settings_.Candidates.size(); ++b) {
      if (((on >> b) & 1) == 0) m.Off.push_back(settings_.Candidates[b]);
    }
    m.AtBound = fit.AtBound;
    m.K = fit.K;
    m.Se.Fill(0);
    for (std::size_t n = 0; n < fit.Free.size(); ++n) m.Se[fit.Free[n]] = fit.StandardError[n];
    for (const int i : fit.AtBound) m.Se[i] = 0;
    m.Ssr = fit.WeightedSsr;
    m.P = fit.Parameters;
    m.Aicc = Aicc(m.Ssr, fit.N, m.P);
    m.Bic = Bic(m.Ssr, fit.N, m.P);
    m.Converged = fit.Converged;
    return m;
  }

  // Fits a model from `start`; with insurance, again from the starts around `insurance`
  // where the first fit ends above `ceiling`. Keeps the better; none when stopped.
  std::optional<SelectedModel> FitOne(Mask on, const RateConstants& start, Real ceiling,
                                      const std::optional<RateConstants>& insurance) const {
    if (stop_.load()) return std::nullopt;
    FitResult fit = Fit(on, start, 1, sigmas_);
    if (insurance && fit.WeightedSsr > ceiling && !fit.Stopped) {
      FitResult again = Fit(on, *insurance, settings_.Starts, sigmas_);
      if (again.WeightedSsr < fit.WeightedSsr) fit = std::move(again);
    }
    if (fit.Stopped) return std::nullopt;
    Report();
    return ModelOf(on, fit);
  }

  void Report() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++fitted_;
    if (progress_) progress_(fitted_, total_);
  }

  void Store(SelectedModel model) {
    const Mask on = model.On;
    models_[on] = std::move(model);
  }

  const SelectedModel* Find(Mask on) const {
    const auto found = models_.find(on);
    return found == models_.end() ? nullptr : &found->second;
  }

  // Every subset, level by level from the full model down: each from the full model's
  // constants. A parent's constants with the switched-off one at 0 are a point of the subset
  // too; where the subset's fit ends above the best such point, it missed the minimum there
  // and is fitted again from that point with the starts. Then, level by level upwards, a
  // model that ends worse than one of its own subsets is fitted again from that subset's
  // constants.
  void Exhaustive(std::size_t c) {
    const SelectedModel& full = *Find(full_);
    for (int level = static_cast<int>(c) - 1; level >= 0 && !stop_.load(); --level) {
      std::vector<Mask> masks;
      for (Mask on = 0; on < full_; ++on) {
        if (std::popcount(on) == level) masks.push_back(on);
      }
      std::vector<std::optional<SelectedModel>> fitted(masks.size());
      ParallelFor(masks.size(), settings_.Threads, [&](std::size_t n) {
        const Mask on = masks[n];
        Real ceiling = std::numeric_limits<Real>::infinity();
        std::optional<RateConstants> insurance;
        for (std::size_t b = 0; b < c; ++b) {
          const SelectedModel* parent = (on >> b) & 1 ? nullptr : Find(on | (Mask{1} << b));
          if (parent == nullptr || parent->On == full_) continue;
          const RateConstants point = Switched(on, parent->K);
          const Real ssr = SsrAt(point);
          if (ssr < ceiling) {
            ceiling = ssr;
            insurance = point;
          }
        }
        fitted[n] = FitOne(on, full.K, ceiling * (1 + kSsrSlack), insurance);
      });
      for (auto& model : fitted) {
        if (model) Store(std::move(*model));
      }
    }
    for (int level = 1; level <= static_cast<int>(c) && !stop_.load(); ++level) {
      std::vector<Mask> masks;
      for (Mask on = 1; on <= full_; ++on) {
        if (std::popcount(on) == level && Find(on) != nullptr) masks.push_back(on);
      }
      std::vector<std::optional<SelectedModel>> refitted(masks.size());
      ParallelFor(masks.size(), settings_.Threads, [&](std::size_t n) {
        const SelectedModel& model = *Find(masks[n]);
        const SelectedModel* lowest = nullptr;
        for (std::size_t b = 0; b < c; ++b) {
          if (((model.On >> b) & 1) == 0) continue;
          const SelectedModel* child = Find(model.On & ~(Mask{1} << b));
          if (child != nullptr && (lowest == nullptr || child->Ssr < lowest->Ssr)) lowest = child;
        }
        if (lowest == nullptr || !(lowest->Ssr < model.Ssr * (1 - kSsrSlack)) || stop_.load()) return;
        FitResult again = Fit(model.On, lowest->K, 1, sigmas_);
        if (!again.Stopped && again.WeightedSsr < model.Ssr) refitted[n] = ModelOf(model.On, again);
      });
      for (auto& model : refitted) {
        if (model) Store(std::move(*model));
      }
    }
  }

  // From the full model, the pathway whose removal lowers the criterion most, until none does.
  void Backward() {
    Mask current = full_;
    while (current != 0 && !stop_.load()) {
      // A model with candidates at their bound is the model without them: go on from that.
      if (const std::optional<Mask> twin = TwinOf(*Find(current), settings_.Candidates)) {
        if (Find(*twin) == nullptr) {
          std::optional<SelectedModel> model =
              FitOne(*twin, Find(current)->K, std::numeric_limits<Real>::infinity(), std::nullopt);
          if (!model) break;
          Store(std::move(*model));
        }
        current = *twin;
        continue;
      }
      std::vector<Mask> children;
      for (std::size_t b = 0; b < settings_.Candidates.size(); ++b) {
        const Mask child = current & ~(Mask{1} << b);
        if (child != current && Find(child) == nullptr) children.push_back(child);
      }
      const RateConstants start = Find(current)->K;
      std::vector<std::optional<SelectedModel>> fitted(children.size());
      ParallelFor(children.size(), settings_.Threads, [&](std::size_t n) {
        fitted[n] = FitOne(children[n], start, std::numeric_limits<Real>::infinity(), std::nullopt);
      });
      for (auto& model : fitted) {
        if (model) Store(std::move(*model));
      }
      if (stop_.load()) break;
      Mask best = current;
      for (std::size_t b = 0; b < settings_.Candidates.size(); ++b) {
        const SelectedModel* child = Find(current & ~(Mask{1} << b));
        if (child == nullptr || child->On == current) continue;
        if (CriterionOf(*child, settings_.Criterion) < CriterionOf(*Find(best), settings_.Criterion)) {
          best = child->On;
        }
      }
      if (best == current) break;
      current = best;
    }
  }

  const SelectionSettings& settings_;
  const OptimizationRunData& data_;
  const SelectionProgress& progress_;
  const std::atomic<bool>& stop_;
  Mask full_ = 0;
  int total_ = 0;
  std::optional<SpeciesValues> sigmas_;
  FitExperiments experiments_ = FitExperiments::Both;
  std::map<Mask, SelectedModel> models_;
  mutable std::mutex mutex_;
  mutable int fitted_ = 0;
};

}  // namespace

std::vector<int> DefaultCandidates(const RateConstants& k, bool varyK15K16) {
  const OneBased<bool, kRateConstantCount> free = DefaultFreeSet(k, varyK15K16);
  std::vector<int> candidates;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (free[i]) candidates.push_back(i);
  }
  return candidates;
}

Real CriterionOf(const SelectedModel& model, SelectionCriterion criterion) {
  return criterion == SelectionCriterion::Aicc ? model.Aicc : model.Bic;
}

void RankModels(SelectionResult& result, int fullDof) {
  std::vector<SelectedModel>& models = result.Models;
  const std::size_t c = result.Candidates.size();
  const Mask full = (Mask{1} << c) - 1;
  // Same models first by mask, then sorted by the criterion with the distinct one first.
  std::map<Mask, Mask> twins;
  for (const SelectedModel& m : models) {
    const std::optional<Mask> twin = TwinOf(m, result.Candidates);
    const bool fitted =
        twin && std::any_of(models.begin(), models.end(), [&](const SelectedModel& o) { return o.On == *twin; });
    if (fitted) twins[m.On] = *twin;
  }
  const auto value = [&](const SelectedModel& m) {
    const Real v = CriterionOf(m, result.Criterion);
    return std::isnan(v) ? std::numeric_limits<Real>::infinity() : v;
  };
  std::stable_sort(models.begin(), models.end(), [&](const SelectedModel& a, const SelectedModel& b) {
    if (value(a) != value(b)) return value(a) < value(b);
    const bool aSame = twins.count(a.On) > 0;
    const bool bSame = twins.count(b.On) > 0;
    if (aSame != bSame) return bSame;
    return a.On > b.On;
  });
  std::map<Mask, std::size_t> position;
  for (std::size_t n = 0; n < models.size(); ++n) position[models[n].On] = n;
  Real best = std::numeric_limits<Real>::infinity();
  for (SelectedModel& m : models) {
    m.SameAs.reset();
    if (const auto twin = twins.find(m.On); twin != twins.end()) m.SameAs = position[twin->second];
    if (!m.SameAs) best = std::min(best, value(m));
  }
  Real sum = 0;
  for (SelectedModel& m : models) {
    m.Delta = value(m) - best;
    m.Weight = m.SameAs ? 0 : std::exp(-m.Delta / 2);
    sum += m.Weight;
  }
  for (SelectedModel& m : models) m.Weight = sum > 0 ? m.Weight / sum : 0;

  const SelectedModel* fullModel = position.count(full) > 0 ? &models[position[full]] : nullptr;
  result.Pathways.clear();
  for (std::size_t b = 0; b < c; ++b) {
    PathwayEvidence e;
    e.Index = result.Candidates[b];
    const Mask bit = Mask{1} << b;
    for (const SelectedModel& m : models) {
      if ((m.On & bit) != 0) e.Inclusion += m.Weight;
      e.Averaged += m.Weight * m.K[e.Index];
    }
    for (const SelectedModel& m : models) {
      if (m.Weight == 0) continue;
      const Real d = m.K[e.Index] - e.Averaged;
      e.AveragedSe += m.Weight * std::sqrt(m.Se[e.Index] * m.Se[e.Index] + d * d);
    }
    e.F = kNaN;
    e.PValue = kNaN;
    const auto without = position.find(full & ~bit);
    if (fullModel != nullptr && without != position.end() && fullDof > 0 && fullModel->Ssr > 0) {
      e.F = (models[without->second].Ssr - fullModel->Ssr) / (fullModel->Ssr / fullDof);
      const boost::math::fisher_f_distribution<Real> distribution(1, static_cast<Real>(fullDof));
      e.PValue = boost::math::cdf(boost::math::complement(distribution, std::max<Real>(e.F, 0)));
    }
    result.Pathways.push_back(e);
  }
}

SelectionResult SelectModels(const SelectionSettings& settings, const OptimizationRunData& data,
                             const SelectionProgress& progress, const std::atomic<bool>& stop) {
  if (settings.Candidates.empty()) throw ZamoError("Nothing to select: no candidate pathway");
  if (settings.Candidates.size() > static_cast<std::size_t>(kRateConstantCount)) {
    throw ZamoError("Nothing to select: more than 16 candidate pathways");
  }
  return Selection(settings, data, progress, stop).Run();
}

}  // namespace zamo
