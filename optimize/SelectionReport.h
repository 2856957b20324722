#pragma once

#include <string>
#include <vector>

#include "optimize/ModelSelection.h"

namespace zamo {

// The cells of a model selection, made once for every rendering (the text of zamo-cli
// select, the window, the tab-separated copy). Tables hold their header row first.
struct SelectionReport {
  std::string Headline;  // criterion, method, candidates, models fitted, n
  std::vector<std::string> Notes;
  // The first `top` distinct models: rank, Delta, weight, p, SSR, the pathways switched off,
  // converged.
  std::vector<std::vector<std::string>> Models;
  // Per candidate: inclusion probability, drop-one F and p-value, averaged k and its SE.
  std::vector<std::vector<std::string>> Pathways;
};

// "AICc" or "BIC".
std::string CriterionName(SelectionCriterion criterion);

// The models a report lists: the distinct ones, best first, at most `top` (all with top < 0).
std::vector<const SelectedModel*> ListedModels(const SelectionResult& result, int top);

SelectionReport MakeSelectionReport(const SelectionResult& result, int top);

// The report as readable text.
std::vector<std::string> SelectionText(const SelectionResult& result, int top);

// The report as tab-separated text for a spreadsheet, every model listed.
std::string SelectionTabSeparated(const SelectionResult& result);

}  // namespace zamo
