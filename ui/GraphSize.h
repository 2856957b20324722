#pragma once

namespace zamo {

// The picture "Save Graph" writes (and zamo-cli graph): its size, and the sample intervals
// its curves are computed with, the width minus 2.
inline constexpr int kGraphWidth = 800;
inline constexpr int kGraphHeight = 600;
inline constexpr int kGraphIntervals = kGraphWidth - 2;

}  // namespace zamo
