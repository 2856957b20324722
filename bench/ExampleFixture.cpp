#include "bench/ExampleFixture.h"

#include "document/ProjectSession.h"
#include "model/Limits.h"

namespace zamo::bench {

KineticProject LoadExampleProject() {
  ProjectSession session;
  session.SetPlotIntervals(PlotIntervalsOfWindowWidth(kMainWindowMinimumWidth));
  session.OpenExample();
  return session.Project();
}

}  // namespace zamo::bench
