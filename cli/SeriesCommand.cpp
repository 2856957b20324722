#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/Commands.h"
#include "model/PlatformTexts.h"
#include "optimize/PlotData.h"
#include "optimize/SeriesFit.h"
#include "optimize/SeriesSession.h"
#include "optimize/SeriesTables.h"

namespace zamo::cli {

namespace {

SeriesSettings SettingsOf(const CommandLine& line) {
  SeriesSettings settings;
  settings.Method = line.Choice<SeriesMethod>("--method").value_or(settings.Method);
  settings.Weighting = line.Choice<FitWeighting>("--weights").value_or(settings.Weighting);
  settings.VaryK15K16 = line.Has("--vary-k15-k16");
  settings.Free = GivenFreeSet(line);
  return settings;
}

// One ".zams" argument is a series file; otherwise the arguments are the projects, in the
// order given.
void OpenProjects(SeriesSession& session, const CommandLine& line) {
  const std::string& first = line.Files.front();
  const bool seriesFile = line.Files.size() == 1 && first.size() > 5 && first.substr(first.size() - 5) == ".zams";
  if (seriesFile) {
    session.OpenSeries(first);
  } else {
    session.OpenProjects(line.Files);
  }
}

nlohmann::ordered_json Number(Real value) {
  if (!std::isfinite(value)) return nullptr;
  return static_cast<double>(value);
}

// The pathways of one method (the two-stage lines or the global fit) by their constants.
nlohmann::ordered_json ParametersJson(const std::vector<PathwayCells>& pathways, bool twoStage) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  for (const PathwayCells& p : pathways) {
    const ArrheniusLine* line = p.Line;
    if ((line != nullptr) != twoStage) continue;
    const auto& [ea, log10A, dh, ds, dg] = p.Quantities;
    nlohmann::ordered_json entry = {{"ea_kj_mol", Number(ea.Value)},
                                    {"ea_se", Number(ea.Error)},
                                    {"log10_a", Number(log10A.Value)},
                                    {"log10_a_se", Number(log10A.Error)},
                                    {"corr_ea_ln_a", Number(p.CorrEaLnA)},
                                    {"dh_kj_mol", Number(dh.Value)},
                                    {"dh_se", Number(dh.Error)},
                                    {"ds_j_mol_k", Number(ds.Value)},
                                    {"ds_se", Number(ds.Error)},
                                    {"dg_kj_mol", Number(dg.Value)},
                                    {"t_ref_K", Number(p.ReferenceTemperature)}};
    if (line != nullptr) {
      entry["chi2"] = Number(line->ChiSquared);
      entry["dof"] = line->Dof;
      entry["chi2_dof"] = line->Dof > 0 ? Number(line->ChiSquared / line->Dof) : nullptr;
      // The standard errors above are scaled by this factor where the scatter exceeds them.
      entry["se_scale"] = Number(line->SeScale);
    }
    entry["flags"] = p.Flags;
    json[RateConstantName(p.Index)] = entry;
  }
  return json;
}

std::string Json(const SeriesResult& result) {
  const std::vector<PathwayCells> pathways = PathwayResults(result);
  nlohmann::ordered_json json;
  json["temperatures_K"] = nlohmann::json::array();
  for (const Real t : result.Temperatures) json["temperatures_K"].push_back(Number(t));
  json["t_ref_K"] = Number(result.ReferenceTemperature);
  // A section the method asks for but a stop left unreached is null.
  if (result.Method != SeriesMethod::Global) {
    if (result.TwoStage) {
      json["two_stage"] = ParametersJson(pathways, true);
      json["two_stage_undetermined"] = result.TwoStage->Undetermined;
    } else {
      json["two_stage"] = nullptr;
    }
  }
  if (result.Method != SeriesMethod::TwoStage) {
    if (result.Global) {
      const GlobalSeriesResult& g = *result.Global;
      json["global"] = ParametersJson(pathways, false);
      json["global_ssr"] = Number(g.Ssr);
      json["global_dof"] = g.Dof;
      json["sigma"] = Number(g.Sigma);
      json["iterations"] = g.Iterations;
      json["converged"] = g.Converged;
    } else {
      json["global"] = nullptr;
      json["converged"] = false;
    }
  } else {
    json["converged"] = !result.Stopped && std::all_of(result.Single.begin(), result.Single.end(),
                                                       [](const FitResult& fit) { return fit.Converged; });
  }
  json["stopped"] = result.Stopped;
  nlohmann::ordered_json single = nlohmann::ordered_json::array();
  for (std::size_t n = 0; n < result.Single.size(); ++n) {
    const FitResult& fit = result.Single[n];
    nlohmann::ordered_json k = nlohmann::ordered_json::array();
    for (const Real x : fit.K) k.push_back(Number(x));
    nlohmann::ordered_json se = nlohmann::ordered_json::object();
    for (std::size_t m = 0; m < fit.Free.size(); ++m) se[RateConstantName(fit.Free[m])] = Number(fit.StandardError[m]);
    single.push_back({{"T_K", Number(result.Temperatures[n])},
                      {"k", k},
                      {"se", se},
                      {"ssr", Number(fit.After.Total)},
                      {"at_bound", fit.AtBound},
                      {"undetermined", fit.Undetermined},
                      {"converged", fit.Converged}});
  }
  json["per_temperature"] = single;
  return json.dump();
}

}  // namespace

void RunSeries(const CommandLine& line, std::ostream& out, const Environment& env) {
  // A picture that cannot be written is refused before anything is fitted or printed.
  if (const auto plot = line.Value("--plot")) {
    if (!env.SaveArrheniusPlot) {
      throw FileError(*plot, texts::CannotCreateFile(
                                 *plot, "this zamo-cli was built without the windows library and draws no pictures"));
    }
    if (!PictureFormatOfPath(*plot)) {
      throw FileError(*plot, texts::CannotCreateFile(*plot, "the name must end in .png, .svg or .pdf"));
    }
  }
  const SeriesSettings settings = SettingsOf(line);
  SeriesSession session(SeriesOrder::AsGiven);
  OpenProjects(session, line);
  const std::atomic<bool> never{false};
  const SeriesResult& result = session.Fit(settings, nullptr, env.Stop != nullptr ? *env.Stop : never);
  if (line.Has("--json")) {
    out << Json(result) << '\n';
  } else {
    for (const std::string& text : SeriesText(result)) out << text << '\n';
  }
  if (const auto plot = line.Value("--plot")) env.SaveArrheniusPlot(*plot, session.Series(), result);
}

}  // namespace zamo::cli
