#include "tests/fuzz/FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

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

void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", rule);
  std::abort();
}

// The example after start-up, built once; projects are kept between inputs to reuse buffers.
const KineticProject& OpenedExample() {
  static const KineticProject opened = [] {
    KineticProject project;
    static_cast<ProjectData&>(project) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
    project.ShowLeft = project.DataValid = true;
    RecalcCurves(project, 100);
    return project;
  }();
  return opened;
}

// What a read or imported project must satisfy: it computes, and reads back once written.
void CheckLoaded(KineticProject& project) {
  Require(project.DeclaredRateConstantsPerReaction >= 1 && project.DeclaredRateConstantsPerReaction <= 7,
          "declared rate-constant lines within 1..7");
  project.DataValid = true;
  try {
    RecalcCurves(project, 200);
    FullOutputText(project);
  } catch (const FloatError&) {
    // A rate set the closed form cannot evaluate is reported, not a fault.
  }
  static KineticProject again;
  try {
    static_cast<ProjectData&>(again) =
        ReadProjectText(ProjectData{}, BuildProjectText(project, kSaveTime), "again.zam").Data;
  } catch (const ZamoError& error) {
    Require(false, ("a written project reads back: " + error.Describe()).c_str());
  }
  for (const Side side : {Side::Left, Side::Right}) {
    const Experiment& e = project.ExperimentOf(side);
    Require(e.LastRow >= 0 && e.LastRow <= kMaxRow, "LastRow within 0..16");
    Require(
        again.ExperimentOf(side).Present == e.Present && (!e.Present || again.ExperimentOf(side).LastRow == e.LastRow),
        "experiments and their row counts survive writing");
  }
  Require(again.Title == project.Title && again.ZoomLeft == project.ZoomLeft && again.ZoomRight == project.ZoomRight,
          "header survives writing");
  for (int i = 1; i <= kRateConstantCount; ++i) {
    Require(FormatFloat("0.00000E+00", again.K[i]) == FormatFloat("0.00000E+00", project.K[i]),
            "constants survive to six digits");
  }
}

}  // namespace

void CheckProjectText(std::string_view bytes) {
  static KineticProject project;
  project = OpenedExample();
  try {
    static_cast<ProjectData&>(project) = ReadProjectText(project, SplitLines(bytes), "fuzz.zam").Data;
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
