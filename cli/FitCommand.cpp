#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "model/EscapedText.h"
#include "optimize/FitReportText.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo::cli {

// "k1,k3,k15": the constants named there are free, zero ones included.
OneBased<bool, kRateConstantCount> ParseFreeList(const std::string& list) {
  OneBased<bool, kRateConstantCount> free{};
  std::istringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    int index = 0;
    std::size_t used = 0;
    try {
      if (item.size() >= 2 && item[0] == 'k') index = std::stoi(item.substr(1), &used);
    } catch (const std::exception&) {
      index = 0;
    }
    if (index < 1 || index > kRateConstantCount || used + 1 != item.size()) {
      throw UsageError("--free takes constants k1..k16 separated by commas, not '" + Excerpt(item) + "'");
    }
    free[index] = true;
  }
  return free;
}

namespace {

FitSettings SettingsOf(const CommandLine& line, const RateConstants& k) {
  FitSettings settings;
  if (const auto list = line.Value("--free")) {
    settings.Free = ParseFreeList(*list);
  } else if (line.Has("--free-all")) {
    settings.Free.Fill(true);
  } else {
    settings.Free = DefaultFreeSet(k, line.Has("--vary-k15-k16"));
  }
  if (line.Has("--vary-k15-k16")) settings.Free[15] = settings.Free[16] = true;
  const std::string experiments = line.Value("--experiments").value_or("both");
  settings.Experiments = experiments == "left"    ? FitExperiments::Left
                         : experiments == "right" ? FitExperiments::Right
                                                  : FitExperiments::Both;
  settings.Weighting = line.Value("--weights") == "species" ? FitWeighting::Species : FitWeighting::None;
  settings.Profile = line.Has("--profile");
  return settings;
}

// A number for JSON: double, 17 significant digits when dumped; null where not finite.
nlohmann::json Number(Real value) {
  if (!std::isfinite(value)) return nullptr;
  return static_cast<double>(value);
}

nlohmann::json Number(const std::optional<Real>& value) { return value ? Number(*value) : nlohmann::json(nullptr); }

nlohmann::json Constants(const RateConstants& k) {
  nlohmann::json list = nlohmann::json::array();
  for (const Real x : k) list.push_back(Number(x));
  return list;
}

std::string FitJson(const FitSettings& settings, const FitResult& fit) {
  nlohmann::ordered_json json;
  json["k"] = Constants(fit.K);
  json["start_k"] = Constants(fit.Start);
  json["free"] = fit.Free;
  json["at_bound"] = fit.AtBound;
  nlohmann::json se = nlohmann::json::array();
  nlohmann::json interval = nlohmann::json::array();
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    se.push_back(Number(fit.StandardError[n]));
    interval.push_back(std::isfinite(fit.Interval95[n][0])
                           ? nlohmann::json{Number(fit.Interval95[n][0]), Number(fit.Interval95[n][1])}
                           : nlohmann::json(nullptr));
  }
  json["se"] = se;
  json["ci95"] = interval;
  if (settings.Profile) {
    nlohmann::json profile = nlohmann::json::array();
    for (const auto& sides : fit.ProfileInterval95) profile.push_back({Number(sides[0]), Number(sides[1])});
    json["profile_ci95"] = profile;
  }
  nlohmann::json correlation = nlohmann::json::array();
  for (const auto& row : fit.Correlation) {
    nlohmann::json values = nlohmann::json::array();
    for (const Real r : row) values.push_back(Number(r));
    correlation.push_back(values);
  }
  json["correlation"] = correlation;
  json["ssr_left"] = Number(fit.After.Left);
  json["ssr_right"] = Number(fit.After.Right);
  json["ssr"] = Number(fit.After.Total);
  json["weighted_ssr"] = Number(fit.WeightedSsr);
  json["sigma"] = Number(fit.Sigma);
  json["dof"] = fit.Dof;
  json["n"] = fit.N;
  json["iterations"] = fit.Iterations;
  json["evaluations"] = fit.Evaluations;
  json["converged"] = fit.Converged;
  if (fit.Sigmas) {
    nlohmann::json sigmas = nlohmann::json::array();
    for (const Real s : *fit.Sigmas) sigmas.push_back(Number(s));
    json["weights"] = sigmas;
  } else {
    json["weights"] = nullptr;
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
