#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "document/InputLimits.h"
#include "model/Real.h"
#include "model/ZamoError.h"

namespace zamo {

// An ordered list of text lines, kept as the file's bytes.
using TextLines = std::vector<std::string>;

// Splits bytes into lines at CR LF, at a lone CR and at a lone LF. A terminator at the very
// end does not start another line. A line longer than kMaxLineBytes is refused with
// FormatError naming its line before any line is stored.
TextLines SplitLines(std::string_view bytes);

// The lines joined with CR LF after every line, as project files are written.
std::string JoinLinesCrLf(const TextLines& lines);

// A reading position in a list of lines, shared by the project reader and the data import.
class LineCursor {
 public:
  explicit LineCursor(const TextLines& lines, int index = 0) : lines_(lines), index_(index) {}

  // Index of the next line ReadNextLine looks at.
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // The next line that holds at least one character (a line of blanks counts). Throws
  // FormatError when the text ends first, naming `expected`.
  const std::string& ReadNextLine(std::string_view expected);

  // Like ReadNextLine, but answers false when the text ends first.
  bool TryReadNextLine(const std::string*& line);

  // Steps over exactly one line without looking at it (a label line).
  void StepOver() { ++index_; }

  // 1-based number of the line ReadNextLine returned last.
  int LineNumber() const { return index_; }

 private:
  const TextLines& lines_;
  int index_;
};

// Runs a step that belongs to one line, so that any error it raises names that line.
template <typename Step>
auto AtLine(int lineNumber, Step&& step) {
  try {
    return step();
  } catch (ZamoError& error) {
    error.SetLine(lineNumber);
    throw;
  }
}

// A FormatError that names its line (and column, when not 0).
[[noreturn]] void FailAtLine(int lineNumber, const std::string& text, int column = 0);

// The numbers of a number line, in slots 0..40, with where each stands in the line.
struct NumberLine {
  static constexpr int kMaxNumbers = kMaxNumbersPerLine;
  std::array<Real, kMaxNumbers> Values{};
  // 1-based byte column of each number's first character and the number of bytes up to
  // the blank or line end after it, in the text as given (before trimming).
  std::array<int, kMaxNumbers> Columns{};
  std::array<int, kMaxNumbers> Widths{};
  int LastIndex = -1;  // index of the last slot filled; -1 when the line holds no number

  int Count() const { return LastIndex + 1; }
  // The number in slot i as it stands in `text`, the line it was parsed from.
  std::string_view Written(std::string_view text, int i) const {
    const auto slot = static_cast<std::size_t>(i);
    return text.substr(static_cast<std::size_t>(Columns[slot] - 1), static_cast<std::size_t>(Widths[slot]));
  }
};

// Reads the numbers of one line. Characters with codes up to 32 are trimmed at both ends.
// Digits, "+", "-", ".", "E" and "e" form the tokens; "," becomes "."; "D" and "d" become
// "E"; blanks separate tokens; every other character is dropped without ending the token.
// Each token takes the float conversion (ConversionError names the cleaned token and its
// column). More than 41 numbers raise FormatError at the column of the 42nd, before any
// number is converted.
NumberLine ParseNumberLine(std::string_view text);

// The observed value in `slot` of a data row, a percentage, as a fraction (divided by 100).
// A percentage outside -kMaxPercentage..kMaxPercentage is refused with FormatError at the
// row's line and the number's column, naming the species (1..8 for A..H).
Real ObservedFraction(const NumberLine& numbers, std::string_view text, int slot, int species, int lineNumber);

// The same for a percentage read elsewhere (a table's cell), `written` as it stands at
// `column` of the line.
Real PercentageAsFraction(Real percent, std::string_view written, int species, int lineNumber, int column);

}  // namespace zamo
