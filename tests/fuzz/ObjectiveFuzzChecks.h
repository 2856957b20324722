#pragma once

#include <string_view>

namespace zamo::fuzz {

// Decodes arbitrary bytes into a rate set, two experiments and settings, and runs the
// objective the first byte selects on them, whatever the rates (zero, negative, tiny or
// near the largest extended value):
// - the coordinate search: an objective is a number >= 0 or +infinity (the rate set cannot
//   be evaluated), never NaN; a run ends with finite constants and progress positions
//   within 0..1000 that never go back;
// - the least-squares fit: residuals, with and without derivatives, are finite or a clean
//   error; a fit (stopped after three iterations) ends with finite constants or refuses
//   with a ZamoError.
// A broken rule aborts with a message. Another objective joins the table in the .cpp file.
//
// Input layout (missing bytes read as 0): byte 0 selects the objective; byte 1 the
// settings (bit 0: run the search or fit too, bit 1: vary k15/k16, bit 2: without k6, k7,
// k13, k14, bit 3: high priority, bit 4: every species, bits 5-6: the fit's experiments);
// then 16 rates of 4 bytes each; then per experiment a byte for LastRow and, per row, 3
// bytes of time and 7 x 2 bytes of percentages within -1000..1000.
void CheckObjectives(std::string_view bytes);

}  // namespace zamo::fuzz
