#include "document/DelimitedText.h"

namespace zamo {

namespace {

bool IsBlank(char c, char delimiter) { return c != delimiter && static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string CsvCell(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string CsvTextCell(std::string_view text) {
  if (!text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos) {
    return "'" + std::string(text);
  }
  return std::string(text);
}

std::string CsvRecord(const std::vector<std::string>& cells) {
  std::string record;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) record += ',';
    record += CsvCell(cells[i]);
  }
  record += "\r\n";
  return record;
}

char FindDelimiter(const TextLines& lines) {
  bool semicolon = false;
  bool comma = false;
  for (const std::string_view line : lines) {
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') quoted = !quoted;
      if (quoted) continue;
      if (c == '\t') return '\t';
      semicolon = semicolon || c == ';';
      comma = comma || c == ',';
    }
  }
  if (semicolon) return ';';
  return ',';
}

std::vector<DelimitedCell> SplitDelimitedLine(std::string_view line, char delimiter) {
  std::vector<DelimitedCell> cells;
  const std::size_t n = line.size();
  std::size_t pos = 0;
  while (true) {
    const std::size_t start = pos;
    while (pos < n && IsBlank(line[pos], delimiter)) ++pos;
    DelimitedCell cell;
    if (pos < n && line[pos] == '"') {
      const std::size_t quote = pos++;
      cell.Column = static_cast<int>(quote) + 1;
      while (true) {
        if (pos >= n) FailAtLine(0, "a quoted cell does not end on its line", cell.Column);
        if (line[pos] == '"') {
          if (pos + 1 < n && line[pos + 1] == '"') {
            cell.Text += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        cell.Text += line[pos++];
      }
      while (pos < n && IsBlank(line[pos], delimiter)) ++pos;
      if (pos < n && line[pos] != delimiter) {
        FailAtLine(0, "expected the delimiter after the closing quote of a cell", static_cast<int>(pos) + 1);
      }
    } else {
      const std::size_t begin = pos;
      while (pos < n && line[pos] != delimiter) ++pos;
      std::size_t end = pos;
      while (end > begin && IsBlank(line[end - 1], delimiter)) --end;
      cell.Text = std::string(line.substr(begin, end - begin));
      cell.Column = static_cast<int>(begin == end ? start : begin) + 1;
    }
    cells.push_back(std::move(cell));
    if (pos >= n) break;
    ++pos;  // the delimiter
  }
  return cells;
}

}  // namespace zamo
