#include "document/ProjectWriter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/Conversions.h"
#include "model/NumberFormat.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

constexpr const char* kRatePattern = "0.00000E+00";
constexpr const char* kMinutesPattern = "#0.0";
constexpr const char* kPercentPattern = "#0.00";
constexpr const char* kSpeciesHeader = "  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD";

// A fraction in percent. Near the top of the extended range the product can overflow; the
// largest finite value stands in for it, so that every written text reads back.
Real Percent(Real fraction) {
  const Real percent = fraction * 100;
  if (std::isinf(percent)) return std::copysign(std::numeric_limits<Real>::max(), percent);
  return percent;
}

void AddExperimentBlock(TextLines& lines, const char* header, const Experiment& e) {
  lines.emplace_back(header);
  lines.emplace_back("Number of Reactiontimes:");
  lines.push_back(std::to_string(e.LastRow));
  lines.emplace_back("Reactiontime and Concentration of the Reactant:");
  const int lastRow = std::clamp(e.LastRow, 0, kMaxRow);
  for (int r = 0; r <= lastRow; ++r) {
    const auto row = static_cast<std::size_t>(r);
    std::string line = FormatFloat(kMinutesPattern, static_cast<Real>(e.Times[row]) / 60);
    // H is not written; the reader derives it from the seven others.
    for (int s = 1; s <= 7; ++s) line += "  " + FormatFloat(kPercentPattern, Percent(e.Observed[row][s]));
    lines.push_back(std::move(line));
  }
  lines.emplace_back();
}

void AddErrorSection(TextLines& lines, const char* header, const DeviationSummary& summary) {
  lines.emplace_back();
  lines.emplace_back(header);
  lines.emplace_back();
  lines.Append(DeviationSummaryLines(summary));
}

}  // namespace

TextLines DeviationSummaryLines(const DeviationSummary& summary) {
  TextLines lines;
  lines.push_back("TOTAL SQ DIFF SUM = " + FormatFloat("#####0.000", summary.TotalSquares));
  lines.emplace_back(" ");
  lines.emplace_back("Summ.Error of each reactant:");
  lines.emplace_back(kSpeciesHeader);
  std::vector<std::string> rows;
  AddNumberRow(rows, "", "##0.000", summary.SignedSum.Items, 1, 8);
  AddNumberRow(rows, "", "##0.00", summary.AbsoluteSum.Items, 2, 7);
  for (const std::string& row : rows) lines.push_back(row);
  return lines;
}

void CheckWritable(const ProjectData& data) {
  const std::pair<const std::string*, const char*> fields[] = {
      {&data.Title, "the title"},
      {&data.Author, "the author"},
      {&data.LeftReactantName, "the name of the left reactant"},
      {&data.LeftDataFile, "the data file of the left reaction"},
      {&data.RightReactantName, "the name of the right reactant"},
      {&data.RightDataFile, "the data file of the right reaction"},
  };
  for (const auto& [field, what] : fields) CheckLineValue(*field, what);
  Real ignored = 0;
  if (!TryStrToFloat(FloatToText(data.Temperature), ignored)) {
    throw FormatError("the temperature cannot be written: " + FloatToText(data.Temperature) + " is no number");
  }
  for (int i = 1; i <= kRateConstantCount; ++i) {
    // The reader takes rate constants from 0 to the largest double.
    if (!(data.K[i] >= 0 && data.K[i] <= std::numeric_limits<double>::max())) {
      throw FormatError(RateConstantName(i) + " cannot be written: " + FormatFloat(kRatePattern, data.K[i]) +
                        " is not from 0 to 1.7976931348623157E+308");
    }
  }
}

TextLines BuildProjectText(const KineticProject& project, DateTime now) {
  CheckWritable(project);
  // R rate-constant lines per reaction; k_i stands beside k_(R+i).
  const int r = std::clamp(project.RateConstantsPerReaction, 1, kMaxRateConstantsPerReaction);
  TextLines lines;
  lines.emplace_back("Titel:");
  for (const std::string* field : {&project.Title, &project.Author, &project.LeftReactantName, &project.LeftDataFile,
                                   &project.RightReactantName, &project.RightDataFile}) {
    lines.push_back(*field);
  }
  lines.push_back(DateTimeToText(project.DataDateTime));
  lines.emplace_back("Temperature:");
  lines.push_back(FloatToText(project.Temperature));
  lines.emplace_back("Act. Number of Reactant:");
  lines.push_back(std::to_string(project.ReactantCount));
  lines.emplace_back("Number of Rate Constant for Left or Right Reaction:");
  // The count of rate-constant lines that follow, so that the text always reads back to
  // the same constants (a text declaring fewer would shift every line after them).
  lines.push_back(std::to_string(r));
  lines.push_back("Act. Date/Time: " + DateTimeToText(now));
  lines.emplace_back("Zoom Values:");
  lines.push_back(std::to_string(project.ZoomLeft) + "  " + std::to_string(project.ZoomRight));
  for (int i = 0; i < 4; ++i) lines.emplace_back();
  lines.push_back("Rate Constant k1 - k" + std::to_string(2 * r) + ":");
  for (int i = 1; i <= r; ++i) {
    lines.push_back(FormatFloat(kRatePattern, project.K[i]) + "  " + FormatFloat(kRatePattern, project.K[r + i]));
  }
  lines.emplace_back("k15 and k16:");
  lines.push_back(FormatFloat(kRatePattern, project.K[15]) + "  " + FormatFloat(kRatePattern, project.K[16]));
  lines.emplace_back();

  if (project.Left.Present) AddExperimentBlock(lines, "Left Reaction:", project.Left);
  if (project.Right.Present) AddExperimentBlock(lines, "Right Reaction:", project.Right);
  if (project.Left.Present) AddErrorSection(lines, "Error: Left-Reactions", project.LeftDeviation);
  if (project.Right.Present) AddErrorSection(lines, "Error: Right-Reactions", project.RightDeviation);
  return lines;
}

}  // namespace zamo
