#pragma once

#include <cstddef>

// The limits every reader of project texts and data files holds to. They lie far above
// anything the program writes or the import expects, and bound the memory and time a
// hostile or broken file can cost: a file is refused before anything of it is stored.
namespace zamo {

// The largest project or data file read (16 MiB).
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{16} << 20;

// The longest line of a text, without its line end (64 KiB).
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;

// The most numbers on one number line (slots 0..40).
inline constexpr int kMaxNumbersPerLine = 41;

// Observed concentrations are read as percentages within -kMaxPercentage..kMaxPercentage.
inline constexpr int kMaxPercentage = 1000;

}  // namespace zamo
