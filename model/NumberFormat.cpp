#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zamo {

namespace {

// |value| as decimal digits: value = D[0].D[1]D[2]... x 10^Exponent, D[0] != 0 unless the
// value is zero (then Digits is empty).
struct Decimal {
  std::string Digits;
  int Exponent = 0;

  bool IsZero() const { return Digits.find_first_not_of('0') == std::string::npos; }
};

constexpr int kSignificantDigits = 18;

Decimal ToDecimal(Real magnitude) {
  Decimal d;
  if (magnitude == 0) return d;
  // %.17Le gives exactly 18 significant digits, correctly rounded.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", kSignificantDigits - 1, magnitude);
  const std::string text = buffer;
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') d.Digits += text[i];
  }
  d.Exponent = std::atoi(text.c_str() + e + 1);
  return d;
}

// Keeps the first `keep` digits, rounding the rest with halves away from zero.
void RoundToDigits(Decimal& d, int keep) {
  if (keep >= static_cast<int>(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    return;
  }
  const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<std::size_t>(keep));
  if (!up) return;
  int i = keep - 1;
  for (; i >= 0; --i) {
    char& c = d.Digits[static_cast<std::size_t>(i)];
    if (c == '9') {
      c = '0';
    } else {
      ++c;
      break;
    }
  }
  if (i < 0) {
    d.Digits.insert(d.Digits.begin(), '1');
    ++d.Exponent;
  }
}

// Digit at place value 10^place, '0' where there is none.
char DigitAt(const Decimal& d, int place) {
  const int index = d.Exponent - place;
  if (d.Digits.empty() || index < 0 || index >= static_cast<int>(d.Digits.size())) return '0';
  return d.Digits[static_cast<std::size_t>(index)];
}

struct Section {
  std::string Prefix;
  std::string Suffix;
  int IntegerZeros = 0;    // "0" placeholders before the point
  int IntegerHashes = 0;   // "#" placeholders before the point
  int FractionZeros = 0;   // "0" placeholders after the point
  int FractionDigits = 0;  // all placeholders after the point
  bool Scientific = false;
  bool ExponentSignAlways = false;
  int ExponentDigits = 0;
};

std::vector<std::string> SplitSections(std::string_view pattern) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (const char c : pattern) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      sections.back() += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      sections.back() += c;
    } else if (c == ';' && sections.size() < 3) {
      sections.emplace_back();
    } else {
      sections.back() += c;
    }
  }
  return sections;
}

Section ParseSection(std::string_view text) {
  Section s;
  bool inNumber = false;
  bool afterPoint = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& literal = inNumber ? s.Suffix : s.Prefix;
    if (c == '"' || c == '\'') {
      const std::size_t end = text.find(c, i + 1);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end;
      literal.append(text.substr(i + 1, stop - i - 1));
      i = stop;
    } else if ((c == '0' || c == '#') && !s.Scientific && s.Suffix.empty()) {
      inNumber = true;
      if (afterPoint) {
        ++s.FractionDigits;
        if (c == '0') s.FractionZeros = s.FractionDigits;
      } else if (c == '0') {
        ++s.IntegerZeros;
      } else {
        ++s.IntegerHashes;
      }
    } else if (c == '.' && !afterPoint && !s.Scientific && s.Suffix.empty()) {
      inNumber = true;
      afterPoint = true;
    } else if ((c == 'E' || c == 'e') && inNumber && !s.Scientific && s.Suffix.empty() && i + 1 < text.size() &&
               (text[i + 1] == '+' || text[i + 1] == '-')) {
      s.Scientific = true;
      s.ExponentSignAlways = text[i + 1] == '+';
      i += 2;
      while (i < text.size() && text[i] == '0') {
        ++s.ExponentDigits;
        ++i;
      }
      --i;
    } else if (c == ',' && inNumber && s.Suffix.empty() && !s.Scientific) {
      // A thousands separator; numbers are written without grouping.
    } else {
      literal += c;
    }
  }
  return s;
}

// The digits of d (already rounded for s) in the layout of s, without sign or literals.
std::string LayOut(const Section& s, const Decimal& d) {
  std::string out;
  if (s.Scientific) {
    const int integerPlaces = std::max(1, s.IntegerZeros + s.IntegerHashes);
    const int exponent = d.Digits.empty() ? 0 : d.Exponent - (integerPlaces - 1);
    Decimal shifted = d;
    shifted.Exponent = integerPlaces - 1;
    for (int place = integerPlaces - 1; place >= 0; --place) out += DigitAt(shifted, place);
    std::string fraction;
    for (int place = -1; place >= -s.FractionDigits; --place) fraction += DigitAt(shifted, place);
    while (static_cast<int>(fraction.size()) > s.FractionZeros && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) out += "." + fraction;
    out += 'E';
    if (exponent < 0) {
      out += '-';
    } else if (s.ExponentSignAlways) {
      out += '+';
    }
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < s.ExponentDigits) {
      digits.insert(0, static_cast<std::size_t>(s.ExponentDigits) - digits.size(), '0');
    }
    out += digits;
    return out;
  }
  const int highest = d.Digits.empty() ? -1 : d.Exponent;
  for (int place = std::max(highest, s.IntegerZeros - 1); place >= 0; --place) {
    const char digit = DigitAt(d, place);
    if (out.empty() && digit == '0' && place >= s.IntegerZeros) continue;
    out += digit;
  }
  std::string fraction;
  for (int place = -1; place >= -s.FractionDigits; --place) fraction += DigitAt(d, place);
  while (static_cast<int>(fraction.size()) > s.FractionZeros && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) out += "." + fraction;
  return out;
}

void RoundFor(const Section& s, Decimal& d) {
  if (d.Digits.empty()) return;
  if (s.Scientific) {
    RoundToDigits(d, std::max(1, s.IntegerZeros + s.IntegerHashes) + s.FractionDigits);
  } else {
    RoundToDigits(d, d.Exponent + 1 + s.FractionDigits);
  }
  if (d.IsZero()) d.Digits.clear();
}

}  // namespace

std::string FormatFloat(std::string_view pattern, Real value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

  const std::vector<std::string> texts = SplitSections(pattern);
  const auto sectionText = [&](std::size_t i) -> const std::string* {
    return i < texts.size() && !texts[i].empty() ? &texts[i] : nullptr;
  };

  const bool negative = value < 0;
  const std::string* chosen = &texts[0];
  bool ownSign = false;
  if (negative && sectionText(1) != nullptr) {
    chosen = sectionText(1);
    ownSign = true;
  }
  Section section = ParseSection(*chosen);
  Decimal d = ToDecimal(std::fabs(value));
  RoundFor(section, d);

  if (d.Digits.empty()) {
    // Zero, or a value that rounds to zero: the zero section, else the first, unsigned.
    const std::string* zero = sectionText(2) != nullptr ? sectionText(2) : &texts[0];
    const Section z = ParseSection(*zero);
    return z.Prefix + LayOut(z, Decimal{}) + z.Suffix;
  }
  const std::string sign = negative && !ownSign ? "-" : "";
  return section.Prefix + sign + LayOut(section, d) + section.Suffix;
}

std::string FloatToText(Real value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  constexpr int kPrecision = 15;
  Decimal d = ToDecimal(std::fabs(value));
  RoundToDigits(d, kPrecision);
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) return "0";

  std::string out = value < 0 ? "-" : "";
  const int count = static_cast<int>(d.Digits.size());
  if (d.Exponent >= kPrecision || d.Exponent < -5) {
    out += d.Digits[0];
    if (count > 1) out += "." + d.Digits.substr(1);
    out += "E" + std::to_string(d.Exponent);
    return out;
  }
  if (d.Exponent < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-d.Exponent - 1), '0') + d.Digits;
    return out;
  }
  for (int place = d.Exponent; place >= 0; --place) out += DigitAt(d, place);
  if (count > d.Exponent + 1) out += "." + d.Digits.substr(static_cast<std::size_t>(d.Exponent) + 1);
  return out;
}

std::string PaddedField(Real value, std::string_view pattern, int width) {
  std::string text = FormatFloat(pattern, value);
  const auto w = static_cast<std::size_t>(std::max(0, width));
  if (text.size() < w) return std::string(w - text.size(), ' ') + text;
  return text.substr(text.size() - w);
}

void AddNumberRow(std::vector<std::string>& lines, std::string_view prefix, std::string_view pattern,
                  std::span<const Real> values, int separatorBlanks, int width) {
  std::string line(prefix);
  const std::string separator(static_cast<std::size_t>(std::max(0, separatorBlanks)), ' ');
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += separator;
    line += PaddedField(values[i], pattern, width);
  }
  lines.push_back(std::move(line));
}

namespace {

std::string Printed(char conversion, Real value, int digits) {
  if (!std::isfinite(value)) return std::string(kMissing);
  const char pattern[] = {'%', '.', '*', 'L', conversion, '\0'};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, digits, value);
  return buffer;
}

}  // namespace

std::string ScientificText(Real value, int digits) { return Printed('e', value, digits); }

std::string FixedText(Real value, int digits) {
  // Fixed notation of a huge value would run to thousands of digits.
  if (std::isfinite(value) && std::fabs(value) >= 1e15L) return Printed('g', value, digits + 1);
  return Printed('f', value, digits);
}

std::string GeneralText(Real value, int digits) { return Printed('g', value, digits); }

ValueAndError RoundToError(Real value, Real error, int digits) {
  if (!std::isfinite(value)) return {std::string(kMissing), std::string(kMissing)};
  if (!std::isfinite(error) || !(error > 0)) return {GeneralText(value, digits), std::string(kMissing)};
  // The decimal place of the error's second significant digit.
  const int place = static_cast<int>(std::floor(std::log10(error))) - 1;
  const Real unit = std::pow(Real(10), place);
  const auto rounded = [&](Real x) {
    Real r = std::round(x / unit) * unit;
    if (r == 0) r = 0;  // no "-0"
    return r;
  };
  if (place >= -6 && std::fabs(value) < 1e9L && error < 1e9L) {
    return {FixedText(rounded(value), std::max(0, -place)), FixedText(rounded(error), std::max(0, -place))};
  }
  // Rate constants and other tiny or huge values: scientific, with as many digits as reach
  // the error's place.
  const Real v = rounded(value);
  const int exponent = v != 0 ? static_cast<int>(std::floor(std::log10(std::fabs(v)))) : place + 1;
  return {ScientificText(v, std::max(0, exponent - place)), ScientificText(rounded(error), 1)};
}

std::string ValueWithError(Real value, Real error, int digits) {
  const ValueAndError v = RoundToError(value, error, digits);
  return v.Value + " ± " + v.Error;
}

namespace {

// The columns a UTF-8 text takes: its characters, not its bytes ("%²" is two).
std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::vector<std::string> AlignColumns(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> width;
  for (const auto& row : rows) {
    if (row.size() > width.size()) width.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], DisplayWidth(row[c]));
  }
  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(width[c] - DisplayWidth(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace zamo
