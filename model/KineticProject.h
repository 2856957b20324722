#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/CoefficientSet.h"
#include "model/CurveStore.h"
#include "model/DateTime.h"
#include "model/OneBased.h"
#include "model/Real.h"

namespace zamo {

inline constexpr int kSpeciesCount = 8;        // A..H
inline constexpr int kRateConstantCount = 16;  // k1..k16
inline constexpr int kMaxRow = 16;             // rows 0..16 per experiment
inline constexpr int kRowCount = kMaxRow + 1;
inline constexpr int kMaxRateConstantsPerReaction = 7;

using RateConstants = OneBased<Real, kRateConstantCount>;
using SpeciesValues = OneBased<Real, kSpeciesCount>;

// "k3" for the third rate constant.
std::string RateConstantName(int index);

enum class Side { Left, Right };

// One experiment: the left reaction starts from pure A, the right one from pure B.
struct Experiment {
  bool Present = false;
  // Rows 0..LastRow are in use; row 0 is the start of the reaction.
  std::int32_t LastRow = 0;
  // Reaction time of each row in whole seconds.
  std::array<std::int32_t, kRowCount> Times{};
  // Observed concentration of each species as a fraction of the start amount.
  std::array<SpeciesValues, kRowCount> Observed{};

  friend bool operator==(const Experiment&, const Experiment&) = default;
};

// Observed minus calculated, in percentage points, over rows 1..LastRow.
struct DeviationSummary {
  SpeciesValues SignedSum{};
  SpeciesValues AbsoluteSum{};
  Real TotalSquares = 0;

  friend bool operator==(const DeviationSummary&, const DeviationSummary&) = default;
};

// What a project text holds: the descriptive fields, the rate constants and the two
// experiments. A read works on a copy of this part and hands it over only when it succeeds.
struct ProjectData {
  std::string Title;
  std::string Author;
  std::string LeftReactantName;
  std::string LeftDataFile;
  std::string RightReactantName;
  std::string RightDataFile;
  // Path of the project file, offered as the initial name in the save dialogs.
  std::string FileName;
  DateTime DataDateTime = 0;
  Real Temperature = 0;          // degrees Celsius
  Real AbsoluteTemperature = 0;  // Temperature + 273.15, kelvin
  std::int32_t ReactantCount = 0;
  std::int32_t DeclaredRateConstantsPerReaction = 0;
  // Rate-constant lines written per reaction and the offset of the right-hand column.
  std::int32_t RateConstantsPerReaction = kMaxRateConstantsPerReaction;
  std::int32_t ZoomLeft = 0;
  std::int32_t ZoomRight = 0;

  RateConstants K{};  // k1..k16 in 1/s
  Experiment Left;
  Experiment Right;

  Experiment& ExperimentOf(Side side) { return side == Side::Left ? Left : Right; }
  const Experiment& ExperimentOf(Side side) const { return side == Side::Left ? Left : Right; }
};

// The one record of the open project.
struct KineticProject : ProjectData {
  bool ShowLeft = false;   // the left experiment is the current one
  bool DataValid = false;  // a project has been loaded or built
  bool Modified = false;   // changes the user may want to save

  // Calculated curves of the current experiment and the coefficients they were sampled with.
  CurveStore Curves;
  CoefficientSet Coefficients;

  DeviationSummary LeftDeviation;
  DeviationSummary RightDeviation;

  Experiment& Current() { return ShowLeft ? Left : Right; }
  const Experiment& Current() const { return ShowLeft ? Left : Right; }
  Side CurrentSide() const { return ShowLeft ? Side::Left : Side::Right; }

  DeviationSummary& DeviationOf(Side side) { return side == Side::Left ? LeftDeviation : RightDeviation; }
  const DeviationSummary& DeviationOf(Side side) const { return side == Side::Left ? LeftDeviation : RightDeviation; }
};

// The reset before a read: every rate constant, time and observed value becomes 0.
// Present, LastRow, the descriptive fields and the results stay.
void ResetForReading(ProjectData& data);

// After a read or an import in which exactly one experiment is present, the missing one
// takes the present one's 17 times and LastRow 1, keeping a time axis for its curves.
void FillMissingExperiment(ProjectData& data);

// Absolute temperature in kelvin of a temperature in degrees Celsius.
Real ToAbsoluteTemperature(Real celsius);

// The window caption naming the current experiment: program + " - Left Reactions: " + Title
// + " (T = " + Temperature + ")", with "Right Reactions: " for the right experiment.
std::string ExperimentCaption(std::string_view program, bool showLeft, const ProjectData& data);

// Index into K of the rate-constant box 1..10 of the panel: boxes 2..7 show k2..k7 for the
// left reaction and k9..k14 for the right one, boxes 9 and 10 show k15 and k16.
int RateIndexOfBox(int box, bool showLeft);

}  // namespace zamo
