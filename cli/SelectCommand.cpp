#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/Commands.h"
#include "optimize/ModelSelection.h"
#include "optimize/SelectionReport.h"

namespace zamo::cli {

namespace {

SelectionSettings SettingsOf(const CommandLine& line, const RateConstants& k) {
  SelectionSettings settings;
  settings.Keep = line.Constants("--keep").value_or(settings.Keep);
  const std::vector<int> candidates =
      line.Constants("--candidates").value_or(DefaultCandidates(k, line.Has("--vary-k15-k16")));
  for (const int i : candidates) {
    if (std::find(settings.Keep.begin(), settings.Keep.end(), i) == settings.Keep.end()) {
      settings.Candidates.push_back(i);
    }
  }
  settings.Experiments = line.Choice<FitExperiments>("--experiments").value_or(settings.Experiments);
  settings.Weighting = line.Choice<FitWeighting>("--weights").value_or(settings.Weighting);
  settings.Criterion = line.Choice<SelectionCriterion>("--criterion").value_or(settings.Criterion);
  settings.Method = line.Choice<SelectionMethod>("--method").value_or(settings.Method);
  settings.Threads = line.Number("--threads").value_or(settings.Threads);
  return settings;
}

// The models listed: the best ten unless --top says otherwise; -1 (--top all) every one.
int TopOf(const CommandLine& line) { return line.Number("--top").value_or(10); }

nlohmann::json Number(Real value) {
  if (!std::isfinite(value)) return nullptr;
  return static_cast<double>(value);
}

std::string Json(const SelectionResult& result, int top) {
  nlohmann::ordered_json json;
  json["criterion"] = result.Criterion == SelectionCriterion::Aicc ? "aicc" : "bic";
  json["method"] = result.Method == SelectionMethod::Exhaustive ? "exhaustive" : "backward";
  json["candidates"] = result.Candidates;
  json["keep"] = result.Keep;
  json["models_fitted"] = result.ModelsFitted;
  json["n"] = result.N;
  nlohmann::json models = nlohmann::json::array();
  int listed = 0;
  for (const SelectedModel& m : result.Models) {
    if (top >= 0 && listed >= top) break;
    ++listed;
    nlohmann::json k = nlohmann::json::array();
    for (const Real x : m.K) k.push_back(Number(x));
    nlohmann::ordered_json entry = {{"free", m.Free},
                                    {"off", m.Off},
                                    {"at_bound", m.AtBound},
                                    {"ssr", Number(m.Ssr)},
                                    {"p", m.P},
                                    {"n", result.N},
                                    {"aicc", Number(m.Aicc)},
                                    {"bic", Number(m.Bic)},
                                    {"delta", Number(m.Delta)},
                                    {"weight", Number(m.Weight)},
                                    {"k", k},
                                    {"converged", m.Converged}};
    if (m.SameAs) {
      nlohmann::ordered_json twin = {{"off", result.Models[*m.SameAs].Off},
                                     {"rank_in_models", static_cast<int>(*m.SameAs)}};
      entry["same_as"] = twin;
    }
    models.push_back(nlohmann::json(entry));
  }
  json["models"] = models;
  nlohmann::ordered_json inclusion = nlohmann::ordered_json::object();
  nlohmann::ordered_json dropOne = nlohmann::ordered_json::object();
  nlohmann::ordered_json averaged = nlohmann::ordered_json::object();
  for (const PathwayEvidence& e : result.Pathways) {
    const std::string name = RateConstantName(e.Index);
    inclusion[name] = Number(e.Inclusion);
    dropOne[name] = {{"f", Number(e.F)}, {"p_value", Number(e.PValue)}};
    averaged[name] = {{"k", Number(e.Averaged)}, {"se", Number(e.AveragedSe)}};
  }
  json["inclusion"] = inclusion;
  json["drop_one"] = dropOne;
  json["averaged"] = averaged;
  json["stopped"] = result.Stopped;
  return json.dump();
}

}  // namespace

void RunSelect(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err,
               const Environment& env) {
  const KineticProject& project = session.Project();
  const SelectionSettings settings = SettingsOf(line, project.K);
  const std::atomic<bool> never{false};
  SelectionProgress progress;
  if (env.ProgressBar) {
    progress = [&err](int fitted, int total) {
      err << "\rfitted " << fitted << " of at most " << total << " models" << std::flush;
    };
  }
  const SelectionResult result = SelectModels(settings, {project.K, project.Left, project.Right}, progress,
                                              env.Stop != nullptr ? *env.Stop : never);
  if (env.ProgressBar) err << '\n';
  const int top = TopOf(line);
  if (line.Has("--json")) {
    out << Json(result, top) << '\n';
  } else {
    for (const std::string& text : SelectionText(result, top)) out << text << '\n';
  }
  if (line.Has("-o") && result.Best() != nullptr) {
    session.PutConstantsInPlace(result.Best()->K, "Model Selection");
    RunSave(line, session, out);
  }
}

}  // namespace zamo::cli
