#include "optimize/SelectionReport.h"

#include "model/NumberFormat.h"

namespace zamo {

namespace {

std::string Names(const std::vector<int>& indexes, const std::string& none) {
  std::string text;
  for (const int i : indexes) text += (text.empty() ? "" : ", ") + RateConstantName(i);
  return text.empty() ? none : text;
}

std::string MethodName(SelectionMethod method) {
  return method == SelectionMethod::Exhaustive ? "every subset" : "backward elimination";
}

}  // namespace

std::string CriterionName(SelectionCriterion criterion) {
  return criterion == SelectionCriterion::Aicc ? "AICc" : "BIC";
}

std::vector<const SelectedModel*> ListedModels(const SelectionResult& result, int top) {
  std::vector<const SelectedModel*> listed;
  for (const SelectedModel& m : result.Models) {
    if (top >= 0 && static_cast<int>(listed.size()) >= top) break;
    if (!m.SameAs) listed.push_back(&m);
  }
  return listed;
}

SelectionReport MakeSelectionReport(const SelectionResult& result, int top) {
  SelectionReport report;
  const std::size_t distinct = ListedModels(result, -1).size();
  report.Headline = "Model selection by " + CriterionName(result.Criterion) + " over " + MethodName(result.Method) +
                    " of " + std::to_string(result.Candidates.size()) + " candidate pathways (" +
                    Names(result.Candidates, "none") + "): " + std::to_string(result.ModelsFitted) +
                    " models fitted, " + std::to_string(distinct) + " distinct, n " + std::to_string(result.N);
  if (result.Stopped) report.Notes.emplace_back("Stopped: only the models fitted before the stop are ranked");
  if (!result.Keep.empty()) report.Notes.push_back("In every model: " + Names(result.Keep, ""));
  if (result.Sigmas) {
    std::string sigmas;
    for (int s = 1; s < kSpeciesCount; ++s) {
      sigmas += (sigmas.empty() ? "" : ", ") + std::string(1, static_cast<char>('A' + s - 1)) + " " +
                GeneralText((*result.Sigmas)[s], 4);
    }
    report.Notes.push_back("Species sigma of the full model, held for every model (pp): " + sigmas);
  }
  const std::string criterion = CriterionName(result.Criterion);
  report.Models.push_back({"Rank", "Delta " + criterion, "Weight", "p", "SSR", criterion, "Switched off", "Converged"});
  int rank = 0;
  for (const SelectedModel* m : ListedModels(result, top)) {
    report.Models.push_back({std::to_string(++rank), FixedText(m->Delta, 2), FixedText(m->Weight, 4),
                             std::to_string(m->P), FixedText(m->Ssr, 4),
                             FixedText(CriterionOf(*m, result.Criterion), 3), Names(m->Off, "none"),
                             m->Converged ? "yes" : "no"});
  }
  report.Pathways.push_back({"Pathway", "Inclusion", "Drop-one F", "p-value", "Averaged k (1/s)", "SE (1/s)"});
  for (const PathwayEvidence& e : result.Pathways) {
    report.Pathways.push_back({RateConstantName(e.Index), FixedText(e.Inclusion, 3), GeneralText(e.F, 4),
                               GeneralText(e.PValue, 3), ScientificText(e.Averaged, 4),
                               ScientificText(e.AveragedSe, 2)});
  }
  return report;
}

std::vector<std::string> SelectionText(const SelectionResult& result, int top) {
  const SelectionReport report = MakeSelectionReport(result, top);
  std::vector<std::string> lines{report.Headline};
  lines.insert(lines.end(), report.Notes.begin(), report.Notes.end());
  lines.emplace_back();
  for (std::string& line : AlignColumns(report.Models)) lines.push_back(std::move(line));
  lines.emplace_back();
  for (std::string& line : AlignColumns(report.Pathways)) lines.push_back(std::move(line));
  return lines;
}

std::string SelectionTabSeparated(const SelectionResult& result) {
  const SelectionReport report = MakeSelectionReport(result, -1);
  std::string text = report.Headline + '\n';
  for (const std::string& note : report.Notes) text += note + '\n';
  for (const auto* table : {&report.Models, &report.Pathways}) {
    text += '\n';
    for (const auto& row : *table) {
      for (std::size_t c = 0; c < row.size(); ++c) text += (c > 0 ? "\t" : "") + row[c];
      text += '\n';
    }
  }
  return text;
}

}  // namespace zamo
