#include "document/DataTable.h"

#include <algorithm>

#include "document/DelimitedText.h"
#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

// The columns of a row: the time, A..G, and H, which is allowed and ignored.
constexpr int kReadColumns = 8;
constexpr int kLastAllowedColumn = 9;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kRowShape = "a row holds the time in minutes, then A to G in %";

std::string ColumnName(int column) {
  std::string number = "column " + std::to_string(column);
  if (column == 1) return number + " (the time in minutes)";
  if (column <= kLastAllowedColumn) return number + " (" + static_cast<char>('A' + column - 2) + " in %)";
  return number;
}

// The value of a cell when it is a number; a decimal comma counts where the comma does not
// separate cells.
std::string CellNumberText(const std::string& text, char delimiter) {
  std::string number = text;
  if (delimiter != ',') std::replace(number.begin(), number.end(), ',', '.');
  return number;
}

bool CellNumber(const std::string& text, char delimiter, Real& value) {
  return !text.empty() && TryStrToFloat(CellNumberText(text, delimiter), value);
}

Real ReadCell(const DelimitedCell& cell, int column, char delimiter, int line) {
  Real value = 0;
  if (CellNumber(cell.Text, delimiter, value)) return value;
  const std::string expected = "expected a number in " + ColumnName(column) + ", found ";
  if (cell.Text.empty()) FailAtLine(line, expected + "an empty cell", cell.Column);
  std::string text = expected + "'" + Excerpt(cell.Text) + "'";
  if (delimiter == ',' && cell.Text.find(',') != std::string::npos) {
    text += " (a comma-separated table takes \".\" as its decimal separator)";
  }
  FailAtLine(line, text, cell.Column);
}

DataTableRow ReadRow(const std::vector<DelimitedCell>& cells, std::string_view text, char delimiter, int line) {
  DataTableRow row;
  row.Line = line;
  if (cells.size() < kReadColumns) {
    FailAtLine(line, "the row ends before " + ColumnName(static_cast<int>(cells.size()) + 1) + "; " + kRowShape,
               static_cast<int>(text.size()) + 1);
  }
  for (std::size_t extra = kLastAllowedColumn; extra < cells.size(); ++extra) {
    if (!cells[extra].Text.empty()) {
      FailAtLine(line,
                 "unexpected '" + Excerpt(cells[extra].Text) + "' in " + ColumnName(static_cast<int>(extra) + 1) +
                     "; " + kRowShape + " and at most H",
                 cells[extra].Column);
    }
  }
  row.Minutes = ReadCell(cells[0], 1, delimiter, line);
  if (!MinutesToSeconds(CellNumberText(cells[0].Text, delimiter), row.Seconds)) {
    FailAtLine(line, "the reaction time in column 1 is out of range: " + Excerpt(cells[0].Text) + " minutes",
               cells[0].Column);
  }
  for (int s = 1; s <= kSpeciesCount - 1; ++s) {
    const DelimitedCell& cell = cells[static_cast<std::size_t>(s)];
    const Real percent = ReadCell(cell, s + 1, delimiter, line);
    PercentageAsFraction(percent, cell.Text, s, line, cell.Column);
    row.Percent[static_cast<std::size_t>(s - 1)] = percent;
  }
  return row;
}

}  // namespace

TextLines PastedLines(std::string_view text) {
  if (text.size() > kMaxInputFileBytes) {
    throw FormatError("the clipboard holds more than the limit of " + std::to_string(kMaxInputFileBytes >> 20) +
                      " MiB");
  }
  return SplitLines(text);
}

std::vector<DataTableRow> ReadDataTable(const TextLines& lines) {
  const char delimiter = FindDelimiter(lines);
  std::vector<DataTableRow> rows;
  bool beforeFirstLine = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int line = static_cast<int>(i) + 1;
    std::string text(lines[i]);
    // Blanks in place of the mark keep the columns of the line's bytes.
    if (i == 0 && text.starts_with(kByteOrderMark)) text.replace(0, kByteOrderMark.size(), kByteOrderMark.size(), ' ');
    const std::vector<DelimitedCell> cells = AtLine(line, [&] { return SplitDelimitedLine(text, delimiter); });
    if (std::all_of(cells.begin(), cells.end(), [](const DelimitedCell& cell) { return cell.Text.empty(); })) {
      continue;
    }
    if (beforeFirstLine) {
      beforeFirstLine = false;
      Real ignored = 0;
      const bool header = std::none_of(cells.begin(), cells.end(), [&](const DelimitedCell& cell) {
        return CellNumber(cell.Text, delimiter, ignored);
      });
      if (header) continue;
    }
    if (rows.size() == static_cast<std::size_t>(kRowCount)) {
      FailAtLine(line,
                 "the table holds more than " + std::to_string(kRowCount) + " rows (the start row and " +
                     std::to_string(kMaxRow) + " reaction times)",
                 cells.front().Column);
    }
    rows.push_back(ReadRow(cells, text, delimiter, line));
  }
  if (rows.empty()) {
    FormatError error("the table holds no rows");
    error.SetLine(static_cast<int>(lines.size()));
    throw error;
  }
  return rows;
}

void AnalyseDataTable(ProjectData& data, Side side, const TextLines& lines, std::vector<ImportWarning>& warnings,
                      const std::string& file) {
  const std::vector<DataTableRow> rows = ReadDataTable(lines);
  Experiment& experiment = data.ExperimentOf(side);
  experiment.Times.fill(0);
  experiment.Observed.fill(SpeciesValues{});
  for (std::size_t j = 0; j < rows.size(); ++j) {
    experiment.Times[j] = rows[j].Seconds;
    // As a data file's row: A..G as given, H what they leave, summed in the same order.
    SpeciesValues& observed = experiment.Observed[j];
    Real sum = 0;
    for (int s = 1; s <= kSpeciesCount - 1; ++s) {
      observed[s] = rows[j].Percent[static_cast<std::size_t>(s - 1)] / 100;
      sum += observed[s];
    }
    observed[kSpeciesCount] = 1 - sum;
  }
  experiment.LastRow = static_cast<std::int32_t>(rows.size()) - 1;
  CheckStartRow(experiment, side, file, warnings);
}

}  // namespace zamo
