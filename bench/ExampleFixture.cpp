#include "bench/ExampleFixture.h"

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/RecalcCurves.h"

namespace zamo::bench {

namespace {
constexpr int kNarrowestPlotIntervals = 565;
}  // namespace

KineticProject LoadExampleProject() {
  KineticProject project;
  ReadProjectText(project, ExampleProjectText(), "");
  project.DataValid = true;
  RecalcCurves(project, kNarrowestPlotIntervals);
  return project;
}

}  // namespace zamo::bench
