#include "tests/fuzz/FuzzChecks.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "document/DataFileImport.h"
#include "document/ExampleProject.h"
#include "document/FullOutputText.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "model/NumberFormat.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"

namespace zamo::fuzz {

namespace {

constexpr DateTime kSaveTime = 46000.5;

[[noreturn]] void Broken(const char* rule) {
  std::fprintf(stderr, "fuzz check failed: %s\n", rule);
  std::abort();
}

void Require(bool holds, const char* rule) {
  if (!holds) Broken(rule);
}

// The example as it stands after start-up; built once, copied per input. The projects an
// input works on are kept between inputs, so that their buffers are reused.
const KineticProject& OpenedExample() {
  static const KineticProject opened = [] {
    KineticProject project;
    static_cast<ProjectData&>(project) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
    project.ShowLeft = true;
    project.DataValid = true;
    RecalcCurves(project, 100);
    return project;
  }();
  return opened;
}

KineticProject& Scratch() {
  static KineticProject project;
  return project;
}

// What every project that was read or imported must satisfy, and what must work on it.
void CheckLoaded(KineticProject& project) {
  for (const Experiment* e : {&project.Left, &project.Right}) {
    Require(e->LastRow >= 0 && e->LastRow <= kMaxRow, "LastRow within 0..16");
  }
  Require(project.DeclaredRateConstantsPerReaction >= 1 && project.DeclaredRateConstantsPerReaction <= 7,
          "declared rate-constant lines within 1..7");
  project.DataValid = true;
  try {
    RecalcCurves(project, 200);
    FullOutputText(project);
  } catch (const FloatError&) {
    // A rate set the closed form cannot evaluate is reported, not a fault.
  }

  // The written text reads back to the same structure and the same printed constants.
  const TextLines written = BuildProjectText(project, kSaveTime);
  KineticProject& again = Scratch();
  try {
    static_cast<ProjectData&>(again) = ReadProjectText(ProjectData{}, written, "again.zam").Data;
  } catch (const ZamoError& error) {
    std::fprintf(stderr, "%s\n", error.Describe().c_str());
    Broken("a written project reads back");
  }
  Require(again.Left.Present == project.Left.Present && again.Right.Present == project.Right.Present,
          "experiments survive writing");
  for (const Side side : {Side::Left, Side::Right}) {
    if (project.ExperimentOf(side).Present) {
      Require(again.ExperimentOf(side).LastRow == project.ExperimentOf(side).LastRow, "row counts survive writing");
    }
  }
  Require(again.Title == project.Title && again.ZoomLeft == project.ZoomLeft && again.ZoomRight == project.ZoomRight,
          "header survives writing");
  for (int i = 1; i <= kRateConstantCount; ++i) {
    Require(FormatFloat("0.00000E+00", again.K[i]) == FormatFloat("0.00000E+00", project.K[i]),
            "rate constants survive writing to six digits");
  }
}

}  // namespace

// A read gives a new value or an error; the open project is taken over only by the session.
void CheckProjectText(std::string_view bytes) {
  static KineticProject project;
  project = OpenedExample();
  try {
    ProjectRead read = ReadProjectText(project, SplitLines(bytes), "fuzz.zam");
    static_cast<ProjectData&>(project) = std::move(read.Data);
  } catch (const ZamoError&) {
    return;
  }
  CheckLoaded(project);
}

void CheckDataFile(std::string_view bytes) {
  const TextLines lines = SplitLines(bytes);
  for (const auto& [side, format] :
       {std::pair{Side::Left, DataFormat::ZamoData}, std::pair{Side::Right, DataFormat::ZamoData},
        std::pair{Side::Left, DataFormat::Table}, std::pair{Side::Right, DataFormat::Table}}) {
    static KineticProject project;
    project = OpenedExample();
    ImportRequest request;
    request.Title = "Fuzz";
    request.TemperatureText = "25";
    (side == Side::Left ? request.Left : request.Right) = DataFileChoice{"fuzz.dat", lines, format};
    try {
      ImportResult imported = ImportDataFiles(project, request, kSaveTime);
      static_cast<ProjectData&>(project) = std::move(imported.Data);
      project.ShowLeft = imported.ShowLeft;
    } catch (const ZamoError&) {
      continue;
    }
    Require(project.ExperimentOf(side).Present, "the imported experiment is present");
    CheckLoaded(project);
  }
}

}  // namespace zamo::fuzz
