#include "document/TextLines.h"

#include <limits>
#include <stdexcept>

#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

void FailAtLine(int lineNumber, const std::string& text, int column) {
  FormatError error(text);
  error.SetLine(lineNumber);
  error.SetColumn(column);
  throw error;
}

TextLines::TextLines(std::initializer_list<std::string_view> lines) {
  std::size_t bytes = 0;
  for (const std::string_view line : lines) bytes += line.size();
  reserve(lines.size(), bytes);
  for (const std::string_view line : lines) push_back(line);
}

void TextLines::push_back(std::string_view line) {
  if (line.size() > std::numeric_limits<std::uint32_t>::max() - bytes_.size()) {
    throw std::length_error("a text of more than 4 GiB");
  }
  bytes_.append(line);
  ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

void TextLines::Append(const TextLines& lines) {
  reserve(size() + lines.size(), bytes_.size() + lines.bytes_.size());
  for (const std::string_view line : lines) push_back(line);
}

void TextLines::reserve(std::size_t lines, std::size_t bytes) {
  ends_.reserve(lines);
  bytes_.reserve(bytes);
}

TextLines SplitLines(std::string_view bytes) {
  // First only count and measure, so that a line over the limit is refused before
  // anything is stored, and the text is allocated once.
  std::size_t count = 0;
  std::size_t length = 0;
  std::size_t terminators = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      ++count;
      ++terminators;
      length = 0;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
        ++i;
        ++terminators;
      }
    } else if (++length > kMaxLineBytes) {
      FailAtLine(static_cast<int>(count + 1), "the line is longer than the limit of " +
                                                  std::to_string(kMaxLineBytes >> 10) + " KiB (" +
                                                  std::to_string(kMaxLineBytes) + " bytes)");
    }
  }
  if (length > 0) ++count;

  TextLines lines;
  lines.reserve(count, bytes.size() - terminators);
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

void CheckLineValue(std::string_view value, const std::string& what) {
  if (value.find_first_of("\r\n") != std::string_view::npos) {
    throw FormatError(what + " cannot be written: it holds a line break (CR or LF)");
  }
  if (value.size() > kMaxLineBytes) {
    throw FormatError(what + " cannot be written: it is longer than a line may be (" + std::to_string(kMaxLineBytes) +
                      " bytes)");
  }
}

std::string JoinLinesCrLf(const TextLines& lines) {
  std::string text;
  std::size_t size = 0;
  for (const std::string_view line : lines) size += line.size() + 2;
  text.reserve(size);
  for (const std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool LineCursor::TryReadNextLine(std::string_view& line) {
  while (index_ >= 0 && index_ < static_cast<int>(lines_.size())) {
    const std::string_view candidate = lines_[static_cast<std::size_t>(index_)];
    ++index_;
    if (!candidate.empty()) {
      line = candidate;
      return true;
    }
  }
  return false;
}

std::string_view LineCursor::ReadNextLine(std::string_view expected) {
  std::string_view line;
  if (!TryReadNextLine(line)) {
    FormatError error("the text ends before " + std::string(expected));
    if (!lines_.empty()) error.SetLine(static_cast<int>(lines_.size()));
    throw error;
  }
  return line;
}

namespace {

// A token of a number line as the float conversion takes it: "," made ".", "D" and "d"
// made "E", every other character but digits, signs, "." and exponents dropped.
std::string NumberToken(std::string_view written) {
  std::string token;
  for (const char c : written) {
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      token += c;
    } else if (c == ',') {
      token += '.';
    } else if (c == 'D' || c == 'd') {
      token += 'E';
    }
  }
  return token;
}

}  // namespace

NumberLine ParseNumberLine(std::string_view text) {
  const auto isControlOrBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isControlOrBlank(text[begin])) ++begin;
  while (end > begin && isControlOrBlank(text[end - 1])) --end;

  // Where the tokens stand: each runs from a character that is not a blank to the next
  // blank. Past the limit they are only counted, for the message.
  NumberLine result;
  int count = 0;
  int columnOfFirstExtra = 0;
  for (std::size_t i = begin; i < end;) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t next = i;
    while (next < end && text[next] != ' ') ++next;
    if (count < NumberLine::kMaxNumbers) {
      result.Columns[static_cast<std::size_t>(count)] = static_cast<int>(i) + 1;
      result.Widths[static_cast<std::size_t>(count)] = static_cast<int>(next - i);
    } else if (count == NumberLine::kMaxNumbers) {
      columnOfFirstExtra = static_cast<int>(i) + 1;
    }
    ++count;
    i = next;
  }
  if (count > NumberLine::kMaxNumbers) {
    FormatError error("a line holds at most " + std::to_string(NumberLine::kMaxNumbers) + " numbers, this one " +
                      std::to_string(count));
    error.SetColumn(columnOfFirstExtra);
    throw error;
  }

  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const std::string token = NumberToken(result.Written(text, i));
    if (!TryStrToFloat(token, result.Values[slot])) {
      ConversionError error(texts::NotAFloat(token));
      error.SetColumn(result.Columns[slot]);
      throw error;
    }
    result.LastIndex = i;
  }
  return result;
}

// The largest double in full, so that the bound itself may be typed back.
constexpr const char* kLargestDoubleText = "1.7976931348623157E+308";

std::int32_t RowSeconds(const NumberLine& numbers, std::string_view text, int lineNumber, const std::string& what) {
  std::int32_t seconds = 0;
  if (!MinutesToSeconds(NumberToken(numbers.Written(text, 0)), seconds)) {
    FailAtLine(lineNumber, "the reaction time of " + what + " is out of range");
  }
  return seconds;
}

Real RateConstant(const NumberLine& numbers, std::string_view text, int slot, int index, int lineNumber) {
  const auto at = static_cast<std::size_t>(slot);
  const Real value = numbers.Values[at];
  if (!(value >= 0 && value <= std::numeric_limits<double>::max())) {
    FailAtLine(lineNumber,
               "expected k" + std::to_string(index) + " from 0 to " + kLargestDoubleText + ", found " +
                   Excerpt(numbers.Written(text, slot)),
               numbers.Columns[at]);
  }
  return value;
}

Real ObservedFraction(const NumberLine& numbers, std::string_view text, int slot, int species, int lineNumber) {
  const auto index = static_cast<std::size_t>(slot);
  return PercentageAsFraction(numbers.Values[index], numbers.Written(text, slot), species, lineNumber,
                              numbers.Columns[index]);
}

Real PercentageAsFraction(Real percent, std::string_view written, int species, int lineNumber, int column) {
  if (!(percent >= -kMaxPercentage && percent <= kMaxPercentage)) {
    FailAtLine(lineNumber,
               "expected a percentage from " + std::to_string(-kMaxPercentage) + " to " +
                   std::to_string(kMaxPercentage) + " for species " + static_cast<char>('A' + species - 1) +
                   ", found " + Excerpt(written),
               column);
  }
  return percent / 100;
}

}  // namespace zamo
