#include "document/ResultTable.h"

#include <algorithm>
#include <vector>

#include "document/DelimitedText.h"
#include "document/FileWriter.h"
#include "model/IsoprCalcConc.h"
#include "model/Limits.h"
#include "model/MeasuredRows.h"
#include "model/NumberFormat.h"

namespace zamo {

namespace {

using Cells = std::vector<std::string>;

void AddSpeciesHeaders(Cells& cells, const char* what) {
  for (int s = 1; s <= kSpeciesCount; ++s) {
    cells.push_back(std::string(1, static_cast<char>('A' + s - 1)) + " " + what + " (%)");
  }
}

Cells Header(const char* counter, const std::vector<const char*>& kinds) {
  Cells cells = {"Experiment", "Reactant", counter, "Time (min)", "Time (s)"};
  for (const char* kind : kinds) AddSpeciesHeaders(cells, kind);
  return cells;
}

// The first five cells of a record.
Cells Leading(Side side, const ProjectData& data, int counter, Real seconds) {
  return {side == Side::Left ? "Left" : "Right",
          CsvTextCell(side == Side::Left ? data.LeftReactantName : data.RightReactantName), std::to_string(counter),
          FloatToText(seconds / 60), FloatToText(seconds)};
}

void AddPercentages(Cells& cells, const SpeciesValues& fractions) {
  for (int s = 1; s <= kSpeciesCount; ++s) cells.push_back(FloatToText(100 * fractions[s]));
}

}  // namespace

std::string ResultTableCsv(const ProjectData& data, int curvePoints) {
  const int points = std::clamp(curvePoints, kTablePointsMin, kTablePointsMax);
  const CoefficientSet set = PrepareCoefficients(data.K);
  std::vector<Side> present;
  for (const Side side : {Side::Left, Side::Right}) {
    if (data.ExperimentOf(side).Present) present.push_back(side);
  }

  std::string text = CsvRecord(Header("Row", {"observed", "calculated", "residual"}));
  for (const Side side : present) {
    const auto addRow = [&](const MeasuredRow<Real>& row) {
      Cells cells = Leading(side, data, row.Row, row.Time);
      AddPercentages(cells, *row.Observed);
      AddPercentages(cells, row.Calculated);
      AddPercentages(cells, row.Residual);
      text += CsvRecord(cells);
    };
    if (const auto error = ForEachMeasuredRow(&set, side, data.ExperimentOf(side), addRow, 0)) throw FloatError(*error);
  }

  text += "\r\n";
  text += CsvRecord(Header("Point", {"calculated"}));
  for (const Side side : present) {
    const Experiment& experiment = data.ExperimentOf(side);
    const Real last =
        static_cast<Real>(experiment.Times[static_cast<std::size_t>(std::clamp(experiment.LastRow, 0, kMaxRow))]);
    for (int point = 0; point < points; ++point) {
      const Real t = last * point / (points - 1);
      Cells cells = Leading(side, data, point, t);
      AddPercentages(cells, CalcConc(set, side, t));
      text += CsvRecord(cells);
    }
  }
  return text;
}

void WriteResultTable(const std::string& path, const ProjectData& data, int curvePoints) {
  WriteFileAtomically(path, ResultTableCsv(data, curvePoints));
}

}  // namespace zamo
