#pragma once

#include "document/TextLines.h"
#include "model/DateTime.h"
#include "model/KineticProject.h"

namespace zamo {

// The project as project text, in the layout the reader reads back: header, rate constants,
// the block of each present experiment and, for each present experiment, an error section
// with its stored DeviationSummary (nothing is recomputed). `now` is written on the
// "Act. Date/Time: " line.
TextLines BuildProjectText(const KineticProject& project, DateTime now);

// The lines shared by the error sections and the full report, from "TOTAL SQ DIFF SUM = "
// down to the row of absolute sums under the species header.
TextLines DeviationSummaryLines(const DeviationSummary& summary);

}  // namespace zamo
