#include "model/KineticProject.h"

#include <cassert>

#include "model/NumberFormat.h"

namespace zamo {

std::string RateConstantName(int index) {
  std::string name(1, 'k');
  name += std::to_string(index);
  return name;
}

void ResetForReading(ProjectData& data) {
  data.K.Fill(0);
  for (Experiment* e : {&data.Left, &data.Right}) {
    e->Times.fill(0);
    for (SpeciesValues& row : e->Observed) row.Fill(0);
  }
}

void FillMissingExperiment(ProjectData& data) {
  if (data.Left.Present == data.Right.Present) return;
  const Experiment& present = data.Left.Present ? data.Left : data.Right;
  Experiment& missing = data.Left.Present ? data.Right : data.Left;
  missing.Times = present.Times;
  missing.LastRow = 1;
}

Real ToAbsoluteTemperature(Real celsius) { return celsius + 273.15L; }

std::string ExperimentCaption(std::string_view program, bool showLeft, const ProjectData& data) {
  return std::string(program) + (showLeft ? " - Left Reactions: " : " - Right Reactions: ") + data.Title +
         " (T = " + FloatToText(data.Temperature) + ")";
}

int RateIndexOfBox(int box, bool showLeft) {
  assert(box >= 1 && box <= 10);
  if (box > 8) return box + 6;
  if (box >= 2 && box <= 7 && !showLeft) return box + 7;
  return box;
}

}  // namespace zamo
