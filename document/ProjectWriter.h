#pragma once

#include "document/TextLines.h"
#include "model/DateTime.h"
#include "model/KineticProject.h"

namespace zamo {

// The project as project text, in the layout the reader reads back: header, rate constants,
// the block of each present experiment and, for each present experiment, an error section
// with its stored DeviationSummary (nothing is recomputed). `now` is written on the
// "Act. Date/Time: " line.
//
// What the format cannot hold is refused with FormatError before anything is built, so that
// every written text reads back to the same project: a descriptive field with a line break
// or longer than a line may be (CheckLineValue: "the title cannot be written: it holds a
// line break (CR or LF)"), a temperature that is no number, and a rate constant the reader
// refuses ("k3 cannot be written: -1.00000E-05 is not from 0 to 1.7976931348623157E+308").
TextLines BuildProjectText(const KineticProject& project, DateTime now);

// The refusals of BuildProjectText alone, for a project that is to be saved later (an
// import), so that it never holds what its file could not.
void CheckWritable(const ProjectData& data);

// The lines shared by the error sections and the full report, from "TOTAL SQ DIFF SUM = "
// down to the row of absolute sums under the species header.
TextLines DeviationSummaryLines(const DeviationSummary& summary);

}  // namespace zamo
