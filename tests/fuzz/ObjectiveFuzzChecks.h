#pragma once

#include <string_view>

namespace zamo::fuzz {

// Decodes arbitrary bytes into a rate set (zero, negative, tiny or near the largest extended
// value), two experiments and settings, and runs the objective the first byte selects:
// - the coordinate search: an objective is >= 0 or +infinity (a rate set that cannot be
//   evaluated), never NaN; a run ends with finite constants, progress rising within 0..1000;
// - the least-squares fit: residuals, with and without derivatives, are finite or a clean
//   error; a fit stopped after three iterations ends with finite constants or a ZamoError.
// A broken rule aborts with a message. Input (missing bytes read as 0): the objective; the
// settings (bit 0: run the search or fit too, 1: vary k15/k16, 2: without k6, k7, k13, k14,
// 3: high priority, 4: every species, 5-6: the fit's experiments); 16 rates of 4 bytes;
// per experiment a byte for LastRow and per row 3 bytes of time and 7 x 2 bytes of
// percentages within -1000..1000.
void CheckObjectives(std::string_view bytes);

}  // namespace zamo::fuzz
