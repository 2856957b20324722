#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "document/DataFileImport.h"
#include "document/TextLines.h"
#include "model/KineticProject.h"

namespace zamo {

// The source name of measurements pasted from the clipboard; errors name it as a file.
inline constexpr const char* kClipboardSource = "clipboard";

// The lines of a table pasted from the clipboard. Refused with FormatError when the text is
// larger than a file may be (kMaxInputFileBytes) or holds a line longer than kMaxLineBytes.
TextLines PastedLines(std::string_view text);

// The measurements of one experiment as a delimited table: a spreadsheet's CSV, TSV or
// semicolon-separated text, or what it copies to the clipboard.
//
// The delimiter is found from the text (FindDelimiter: tab, else semicolon, else comma);
// cells follow RFC 4180 and blanks around them are ignored. A leading UTF-8 byte-order mark,
// empty lines and lines of empty cells are skipped. The first remaining line is a header,
// and skipped, when none of its cells is a number. Every other line is a row: the reaction
// time in minutes, then A to G in percent; a cell for H and empty cells after it are allowed
// and ignored (H is the remainder to 100 %, as in a data file). Where the delimiter is not a
// comma, a decimal comma counts as a decimal point.
//
// Refused with FormatError at the line, and the byte column of the cell at fault: a cell of
// the first eight that is empty or no number, a missing column, a non-empty cell after H, a
// percentage outside -1000..1000, a time beyond the whole seconds a project holds, a quoted
// cell that does not end, more than 17 rows (the start row and 16 reaction times) and a
// table without rows.
struct DataTableRow {
  int Line = 0;                   // 1-based line of the text
  Real Minutes = 0;               // the reaction time
  std::int32_t Seconds = 0;       // minutes x 60, truncated toward zero, as a data file's rows
  std::array<Real, 7> Percent{};  // A..G
};

std::vector<DataTableRow> ReadDataTable(const TextLines& lines);

// Reads a table into the experiment of `side` (times, observed fractions, LastRow) and checks
// its start row as a data file's is checked. The rate constants and the temperature, which a
// table does not hold, are left as they are. Errors carry the line and column, not the file.
void AnalyseDataTable(ProjectData& data, Side side, const TextLines& lines, std::vector<ImportWarning>& warnings,
                      const std::string& file);

}  // namespace zamo
