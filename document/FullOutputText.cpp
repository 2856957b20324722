#include "document/FullOutputText.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "document/ProjectWriter.h"
#include "model/EvaluateDeviation.h"
#include "model/MeasuredRows.h"
#include "model/NumberFormat.h"

namespace zamo {

namespace {

constexpr const char* kBlank = " ";
constexpr const char* kRatePattern = "0.0000E+00";
constexpr const char* kFieldPattern = "#0.00";
constexpr int kFieldWidth = 6;
constexpr const char* kFieldGap = "     ";

const OneBased<const char*, 8> kSpeciesLabels = {
    {"A (TMCP)  ", "B (ICP)   ", "C (k2,k9) ", "D (k3,k10)", "E (k4,k11)", "F (k5,k12)", "G (k6,...)", "H (k7,...)"}};

std::string RateText(int index, Real value) {
  return "k" + std::to_string(index) + " = " + FormatFloat(kRatePattern, value);
}

// A share of everything but the start species; empty where the start species is all there is.
std::optional<Real> Share(Real value, Real startSpecies) {
  const Real rest = 1 - startSpecies;
  if (rest == 0) return std::nullopt;
  return value / rest;
}

std::string Field(std::optional<Real> value) {
  return value ? PaddedField(*value, kFieldPattern, kFieldWidth) : std::string(kFieldWidth, ' ');
}

}  // namespace

std::string FullOutputCaption(bool showLeft) {
  return showLeft ? "Full Output of the Result - Left Reactions" : "Full Output of the Result - Right Reactions";
}

TextLines FullOutputText(const KineticProject& project) {
  TextLines lines;
  const Experiment& experiment = project.Current();
  if (!project.DataValid || !experiment.Present) return lines;
  const Side side = project.CurrentSide();
  const int start = side == Side::Left ? 1 : 2;  // A or B
  const int r = std::clamp(project.RateConstantsPerReaction, 1, kMaxRateConstantsPerReaction);

  lines.push_back("Temperature = " + FormatFloat("##0.0", project.AbsoluteTemperature - 273.15L) + " Grad");
  lines.emplace_back(kBlank);
  lines.emplace_back("RATE CONSTANTS/S-1");
  for (int i = 1; i <= r; ++i) lines.push_back(RateText(i, project.K[i]) + "   " + RateText(r + i, project.K[r + i]));
  lines.emplace_back(kBlank);
  lines.emplace_back("Further Rate Constants");
  lines.push_back(RateText(15, project.K[15]) + "   " + RateText(16, project.K[16]));
  lines.emplace_back(kBlank);
  lines.emplace_back(kBlank);

  DeviationSummary sums;
  const auto addRow = [&](MeasuredRow<Real> row) {
    const Real t = row.Time;
    const SpeciesValues& observed = *row.Observed;
    // The report closes C over the others in an order of its own, as its curves do.
    SpeciesValues& c = row.Calculated;
    c[3] = 1 - (c[1] + c[2] + c[4] + c[5] + c[6] + c[7] + c[8]);
    SpeciesValues& d = row.Residual;
    d[3] = observed[3] - c[3];
    const Real rowSquares = AddToDeviation(sums, d);

    lines.push_back("TIME = " + FormatFloat("###0.0", t) + " s, " + FormatFloat("##0.0", t / 60) + " min,  " +
                    FormatFloat("#0.0", t / 3600) + " h");
    lines.emplace_back(kBlank);
    lines.emplace_back("PRODUCT     OBS%      CALC%      DIFF%     SQDIFF%    PRD%,obs   PRD%,calc");
    for (int s = 1; s <= kSpeciesCount; ++s) {
      const std::optional<Real> observedShare = s == start ? 0 : Share(observed[s], observed[start]);
      const std::optional<Real> calculatedShare = s == start ? 0 : Share(c[s], c[start]);
      std::string line = kSpeciesLabels[s];
      line += Field(100 * observed[s]) + kFieldGap + Field(100 * c[s]) + kFieldGap + Field(100 * d[s]) + kFieldGap +
              Field(100 * (d[s] * d[s])) + kFieldGap;
      line += Field(observedShare ? std::optional<Real>(100 * *observedShare) : std::nullopt) + kFieldGap;
      line += Field(calculatedShare ? std::optional<Real>(100 * *calculatedShare) : std::nullopt);
      lines.push_back(std::move(line));
    }
    lines.emplace_back(kBlank);
    lines.push_back("SUM OF SQUARES OF %DIFFS = " + FormatFloat("####0.00", rowSquares));
    lines.emplace_back(kBlank);
    lines.emplace_back(kBlank);
  };
  if (const auto error = ForEachMeasuredRow(&project.Coefficients, side, experiment, addRow)) throw FloatError(*error);

  lines.Append(DeviationSummaryLines(sums));
  return lines;
}

}  // namespace zamo
