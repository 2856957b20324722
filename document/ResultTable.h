#pragma once

#include <string>

#include "model/KineticProject.h"

namespace zamo {

// The result table of a project as comma-separated text (RFC 4180: CR LF after every record,
// cells quoted where they hold a comma, a quote or a line break), for a spreadsheet.
//
// Two sections, each under a header line and apart by an empty line:
// 1. per present experiment (left, then right) and per measured row 0..LastRow: experiment
//    ("Left" or "Right"), reactant name, row, time in minutes and in seconds, then the
//    observed, the calculated and the residual (observed minus calculated) values of A..H
//    in %;
// 2. per present experiment the calculated curves at `curvePoints` evenly spaced times from
//    0 to its last reaction time: experiment, reactant name, point, time in minutes and in
//    seconds, calculated A..H in %.
// Numbers have "." as the decimal separator and up to 15 significant digits (FloatToText);
// a name that a spreadsheet would take for a formula gets an apostrophe (CsvTextCell).
// The values are computed from the rate constants K, so they do not depend on what was last
// recalculated. curvePoints is held to kTablePointsMin..kTablePointsMax. Throws FloatError
// when the constants cannot be evaluated.
std::string ResultTableCsv(const ProjectData& data, int curvePoints);

// The table written to `path` through the one writer of files.
void WriteResultTable(const std::string& path, const ProjectData& data, int curvePoints);

}  // namespace zamo
