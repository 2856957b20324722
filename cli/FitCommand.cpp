#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/Commands.h"
#include "optimize/FitReportText.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo::cli {

namespace {

FitSettings SettingsOf(const CommandLine& line, const RateConstants& k) {
  FitSettings settings;
  settings.Free = GivenFreeSet(line).value_or(DefaultFreeSet(k, line.Has("--vary-k15-k16")));
  settings.Experiments = line.Choice<FitExperiments>("--experiments").value_or(settings.Experiments);
  settings.Weighting = line.Choice<FitWeighting>("--weights").value_or(settings.Weighting);
  settings.Profile = line.Has("--profile");
  settings.Starts = line.Number("--starts").value_or(settings.Starts);
  return settings;
}

// A number for JSON: double, the shortest text that reads back to it; null where not finite.
nlohmann::json Number(Real value) {
  if (!std::isfinite(value)) return nullptr;
  return static_cast<double>(value);
}

nlohmann::json Number(const std::optional<Real>& value) { return value ? Number(*value) : nlohmann::json(nullptr); }

nlohmann::json Number(const FitNumberCell& cell) { return cell.Missing ? nlohmann::json(nullptr) : Number(cell.Value); }

nlohmann::json Constants(const RateConstants& k) {
  nlohmann::json list = nlohmann::json::array();
  for (const Real x : k) list.push_back(Number(x));
  return list;
}

nlohmann::json Matrix(const std::vector<std::vector<Real>>& rows) {
  nlohmann::json matrix = nlohmann::json::array();
  for (const auto& row : rows) {
    nlohmann::json values = nlohmann::json::array();
    for (const Real r : row) values.push_back(Number(r));
    matrix.push_back(values);
  }
  return matrix;
}

nlohmann::json ProfileEndJson(const ProfileEnd& end) {
  if (end.Kind == ProfileEndKind::Closed) return Number(end.Value);
  return ProfileEndText(end);
}

nlohmann::json OutliersJson(const FitResult& fit) {
  nlohmann::json list = nlohmann::json::array();
  for (const Outlier& o : fit.Outliers) {
    list.push_back(nlohmann::json{{"experiment", o.Experiment == Side::Left ? "left" : "right"},
                                  {"row", o.Row},
                                  {"time_min", Number(o.TimeMinutes)},
                                  {"species", std::string(1, static_cast<char>('A' + o.Species - 1))},
                                  {"residual", Number(o.Residual)},
                                  {"z", Number(o.Z)}});
  }
  return list;
}

nlohmann::json ExperimentsJson(FitExperiments experiments) {
  switch (experiments) {
    case FitExperiments::Left:
      return {"left"};
    case FitExperiments::Right:
      return {"right"};
    case FitExperiments::Both:
      break;
  }
  return {"left", "right"};
}

std::string FitJson(const FitSettings& settings, const FitResult& fit) {
  nlohmann::ordered_json json;
  json["k"] = Constants(fit.K);
  json["start_k"] = Constants(fit.Start);
  json["free"] = fit.Free;
  json["at_bound"] = fit.AtBound;
  json["undetermined"] = fit.Undetermined;
  nlohmann::json se = nlohmann::json::array();
  nlohmann::json interval = nlohmann::json::array();
  nlohmann::json flags = nlohmann::json::array();
  for (const FitConstantCells& cells : MakeFitConstantCells(fit)) {
    se.push_back(Number(cells.StandardError));
    interval.push_back(cells.Interval95[0].Missing
                           ? nlohmann::json(nullptr)
                           : nlohmann::json{Number(cells.Interval95[0]), Number(cells.Interval95[1])});
    flags.push_back(cells.Flags);
  }
  json["se"] = se;
  json["ci95"] = interval;
  if (settings.Profile) {
    nlohmann::json profile = nlohmann::json::array();
    for (const auto& sides : fit.ProfileInterval95)
      profile.push_back({ProfileEndJson(sides[0]), ProfileEndJson(sides[1])});
    json["profile_ci95"] = profile;
  }
  json["correlation"] = Matrix(fit.Correlation);
  json["covariance"] = Matrix(fit.Covariance);
  json["flags"] = flags;
  json["experiments"] = ExperimentsJson(fit.Experiments);
  json["ssr_left"] = Number(fit.After.Left);
  json["ssr_right"] = Number(fit.After.Right);
  json["ssr"] = Number(fit.After.Total);
  json["weighted_ssr"] = Number(fit.WeightedSsr);
  json["sigma"] = Number(fit.Sigma);
  json["dof"] = fit.Dof;
  json["n"] = fit.N;
  json["p"] = fit.Parameters;
  json["reduced_chi2"] = Number(fit.ReducedChi2);
  json["aicc"] = Number(fit.Aicc);
  json["bic"] = Number(fit.Bic);
  json["r2_left"] = Number(fit.R2Left);
  json["r2_right"] = Number(fit.R2Right);
  json["outliers"] = OutliersJson(fit);
  json["starts"] = fit.Starts;
  json["starts_reaching_best"] = fit.StartsReachingBest;
  json["own_start_reached_best"] = fit.OwnStartReachedBest;
  nlohmann::json optima = nlohmann::json::array();
  for (const Real ssr : fit.Optima) optima.push_back(Number(ssr));
  json["optima"] = optima;
  json["iterations"] = fit.Iterations;
  json["evaluations"] = fit.Evaluations;
  json["relative_gradient"] = Number(fit.RelativeGradient);
  json["converged"] = fit.Converged;
  json["stopped"] = fit.Stopped;
  json["weighting"] = settings.Weighting == FitWeighting::Species ? "species" : "none";
  if (fit.SpeciesSigma) {
    nlohmann::json sigmas = nlohmann::json::array();
    for (int s = 1; s < kSpeciesCount; ++s) sigmas.push_back(Number((*fit.SpeciesSigma)[s]));
    json["species_sigma"] = sigmas;
  }
  return json.dump();
}

}  // namespace

void RunFit(const CommandLine& line, ProjectSession& session, std::ostream& out, const Environment& env) {
  const KineticProject& project = session.Project();
  const FitSettings settings = SettingsOf(line, project.K);
  const std::atomic<bool> never{false};
  const FitResult fit = FitRateConstants(settings, {project.K, project.Left, project.Right}, nullptr,
                                         env.Stop != nullptr ? *env.Stop : never);
  if (line.Has("--json")) {
    out << FitJson(settings, fit) << '\n';
  } else {
    for (const std::string& text : FitTable(settings, fit)) out << text << '\n';
  }
  if (line.Has("-o")) {
    session.PutConstantsInPlace(fit.K, "Least-Squares Fit");
    RunSave(line, session, out);
  }
}

}  // namespace zamo::cli
