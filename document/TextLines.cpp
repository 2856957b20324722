#include "document/TextLines.h"

#include "model/Conversions.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

void FailAtLine(int lineNumber, const std::string& text) {
  FormatError error(text);
  error.SetLine(lineNumber);
  throw error;
}

TextLines SplitLines(std::string_view bytes) {
  TextLines lines;
  std::string current;
  bool open = false;  // a line has started that no terminator has ended yet
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      open = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      current += c;
      open = true;
    }
  }
  if (open) lines.push_back(std::move(current));
  return lines;
}

std::string JoinLinesCrLf(const TextLines& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool LineCursor::TryReadNextLine(const std::string*& line) {
  while (index_ >= 0 && index_ < static_cast<int>(lines_.size())) {
    const std::string& candidate = lines_[static_cast<std::size_t>(index_)];
    ++index_;
    if (!candidate.empty()) {
      line = &candidate;
      return true;
    }
  }
  return false;
}

const std::string& LineCursor::ReadNextLine(std::string_view expected) {
  const std::string* line = nullptr;
  if (!TryReadNextLine(line)) {
    FormatError error("the text ends before " + std::string(expected));
    if (!lines_.empty()) error.SetLine(static_cast<int>(lines_.size()));
    throw error;
  }
  return *line;
}

NumberLine ParseNumberLine(std::string_view text) {
  const auto isControlOrBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isControlOrBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isControlOrBlank(text.back())) text.remove_suffix(1);

  std::vector<std::string> tokens;
  if (!text.empty()) tokens.emplace_back();
  bool afterBlank = false;
  for (const char c : text) {
    if (c == ' ') {
      afterBlank = true;
      continue;
    }
    if (afterBlank) {
      tokens.emplace_back();
      afterBlank = false;
    }
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      tokens.back() += c;
    } else if (c == ',') {
      tokens.back() += '.';
    } else if (c == 'D' || c == 'd') {
      tokens.back() += 'E';
    }
  }
  if (tokens.size() > NumberLine::kMaxNumbers) {
    throw FormatError("a line holds at most " + std::to_string(NumberLine::kMaxNumbers) + " numbers, this one " +
                      std::to_string(tokens.size()));
  }
  NumberLine result;
  for (const std::string& token : tokens) {
    Real value = 0;
    if (!TryStrToFloat(token, value)) throw ConversionError(texts::NotAFloat(token));
    result.Values[static_cast<std::size_t>(++result.LastIndex)] = value;
  }
  return result;
}

}  // namespace zamo
