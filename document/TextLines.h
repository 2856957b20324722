#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "document/InputLimits.h"
#include "model/Real.h"
#include "model/ZamoError.h"

namespace zamo {

// An ordered list of text lines, kept as the file's bytes: the lines stand one after the
// other in a single buffer, without their line ends, and each line is a view into it. A
// text of many short lines thus costs its bytes and four bytes per line, however it is
// split, and a copy is two allocations.
class TextLines {
 public:
  using value_type = std::string_view;
  using size_type = std::size_t;

  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const TextLines* lines, std::size_t index) : lines_(lines), index_(index) {}
    // NOLINTNEXTLINE(readability-const-return-type): see TextLines::operator[]
    const std::string_view operator*() const { return (*lines_)[index_]; }
    // NOLINTNEXTLINE(readability-const-return-type): see TextLines::operator[]
    const std::string_view operator[](difference_type n) const { return *(*this + n); }
    const_iterator& operator++() { return *this += 1; }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++*this;
      return before;
    }
    const_iterator& operator--() { return *this -= 1; }
    const_iterator operator--(int) {
      const_iterator before = *this;
      --*this;
      return before;
    }
    const_iterator& operator+=(difference_type n) {
      index_ = static_cast<std::size_t>(static_cast<difference_type>(index_) + n);
      return *this;
    }
    const_iterator& operator-=(difference_type n) { return *this += -n; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

   private:
    const TextLines* lines_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = const_iterator;

  TextLines() = default;
  TextLines(std::initializer_list<std::string_view> lines);
  // The lines from first to last, copied.
  template <typename Iterator>
  TextLines(Iterator first, Iterator last) {
    for (; first != last; ++first) push_back(*first);
  }

  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  // Const, so that assigning to a line does not compile (it would change nothing).
  // NOLINTNEXTLINE(readability-const-return-type)
  const std::string_view operator[](std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
  }
  // NOLINTNEXTLINE(readability-const-return-type)
  const std::string_view front() const { return (*this)[0]; }
  // NOLINTNEXTLINE(readability-const-return-type)
  const std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  // Appends a line; its bytes are copied. Throws std::length_error beyond 4 GiB of text.
  void push_back(std::string_view line);
  // The same, named as std::vector's, so that code building a text reads alike; without an
  // argument an empty line.
  void emplace_back(std::string_view line = {}) { push_back(line); }
  void Append(const TextLines& lines);
  void reserve(std::size_t lines, std::size_t bytes);

  friend bool operator==(const TextLines& a, const TextLines& b) { return a.ends_ == b.ends_ && a.bytes_ == b.bytes_; }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> ends_;  // where each line ends in bytes_
};

// Splits bytes into lines at CR LF, at a lone CR and at a lone LF. A terminator at the very
// end does not start another line. A line longer than kMaxLineBytes is refused with
// FormatError naming its line before any line is stored.
TextLines SplitLines(std::string_view bytes);

// Refuses with FormatError a value that is to stand alone on a line of a written file but
// would not read back as it is: one that holds a line break ("WHAT cannot be written: it
// holds a line break (CR or LF)") or is longer than a line may be ("WHAT cannot be written:
// it is longer than a line may be (65536 bytes)"). `what` names the value ("the title").
void CheckLineValue(std::string_view value, const std::string& what);

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
  std::string_view ReadNextLine(std::string_view expected);

  // Like ReadNextLine, but answers false when the text ends first.
  bool TryReadNextLine(std::string_view& line);

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

// The reaction time of a data row (slot 0, in minutes) in whole seconds, from the number's
// text as converted (MinutesToSeconds). A time beyond the 32-bit seconds is refused with
// FormatError at the row's line: "the reaction time of WHAT is out of range".
std::int32_t RowSeconds(const NumberLine& numbers, std::string_view text, int lineNumber, const std::string& what);

// The rate constant k`index` in `slot` of a number line. A value that is negative or
// beyond the range of a double is refused with FormatError at the line and the number's
// column: "expected k8 from 0 to 1.7976931348623157E+308, found -1.0E-04".
Real RateConstant(const NumberLine& numbers, std::string_view text, int slot, int index, int lineNumber);

// The observed value in `slot` of a data row, a percentage, as a fraction (divided by 100).
// A percentage outside -kMaxPercentage..kMaxPercentage is refused with FormatError at the
// row's line and the number's column, naming the species (1..8 for A..H).
Real ObservedFraction(const NumberLine& numbers, std::string_view text, int slot, int species, int lineNumber);

// The same for a percentage read elsewhere (a table's cell), `written` as it stands at
// `column` of the line.
Real PercentageAsFraction(Real percent, std::string_view written, int species, int lineNumber, int column);

}  // namespace zamo
