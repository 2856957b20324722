#include <cmath>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "optimize/ModelSelection.h"
#include "optimize/SelectionReport.h"

namespace zamo::cli {

std::vector<int> ParseConstantList(const std::string& option, const std::string& list) {
  std::vector<int> indexes;
  std::istringstream items(list);
  std::string item;
  const auto index = [&](const std::string& text) {
    int value = 0;
    std::size_t used = 0;
    try {
      if (text.size() >= 2 && text[0] == 'k') value = std::stoi(text.substr(1), &used);
    } catch (const std::exception&) {
      value = 0;
    }
    if (value < 1 || value > kRateConstantCount || used + 1 != text.size()) {
      throw UsageError(option + " takes constants k1..k16 or ranges like k1-k14, separated by commas, not '" + item +
                       "'");
    }
    return value;
  };
  while (std::getline(items, item, ',')) {
    const std::size_t dash = item.find('-');
    const int first = index(item.substr(0, dash));
    const int last = dash == std::string::npos ? first : index(item.substr(dash + 1));
    if (last < first) throw UsageError(option + " takes ranges from the lower constant up, not '" + item + "'");
    for (int i = first; i <= last; ++i) indexes.push_back(i);
  }
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  return indexes;
}

namespace {

SelectionSettings SettingsOf(const CommandLine& line, const RateConstants& k) {
  SelectionSettings settings;
  if (const auto keep = line.Value("--keep")) settings.Keep = ParseConstantList("--keep", *keep);
  const std::vector<int> candidates = line.Value("--candidates")
                                          ? ParseConstantList("--candidates", *line.Value("--candidates"))
                                          : DefaultCandidates(k, line.Has("--vary-k15-k16"));
  for (const int i : candidates) {
    if (std::find(settings.Keep.begin(), settings.Keep.end(), i) == settings.Keep.end()) {
      settings.Candidates.push_back(i);
    }
  }
  const std::string experiments = line.Value("--experiments").value_or("both");
  settings.Experiments = experiments == "left"    ? FitExperiments::Left
                         : experiments == "right" ? FitExperiments::Right
                                                  : FitExperiments::Both;
  settings.Weighting = line.Value("--weights") == "species" ? FitWeighting::Species : FitWeighting::None;
  settings.Criterion = line.Value("--criterion") == "bic" ? SelectionCriterion::Bic : SelectionCriterion::Aicc;
  settings.Method = line.Value("--method") == "backward" ? SelectionMethod::Backward : SelectionMethod::Exhaustive;
  if (const auto threads = line.Value("--threads")) settings.Threads = std::stoi(*threads);
  return settings;
}

int TopOf(const CommandLine& line) {
  const std::string top = line.Value("--top").value_or("10");
  return top == "all" ? -1 : std::stoi(top);
}

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
  std::mutex progressMutex;
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
