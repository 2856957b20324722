#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/TextLines.h"

namespace zamo {

// Delimited text as spreadsheets write and read it (RFC 4180): records of cells separated
// by a delimiter; a cell that holds the delimiter, a quote or a line break is enclosed in
// quotes, and a quote inside it is doubled.

// The cell as written into a comma-separated record: quoted only where it must be.
std::string CsvCell(std::string_view text);

// A text cell (a name, a title) as a spreadsheet must show it: one that starts with "=",
// "+", "-" or "@", which a spreadsheet would evaluate as a formula, gets an apostrophe in
// front. Numbers are never given to it, so that "-0.5" stays a number.
std::string CsvTextCell(std::string_view text);

// The cells joined by commas, ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& cells);

// The delimiter of a table, found from its text: a tab anywhere outside quotes makes it a
// tab-separated table, else a semicolon a semicolon-separated one, else it is the comma.
char FindDelimiter(const TextLines& lines);

// One cell of a line: its text without the enclosing quotes (doubled quotes made single) and
// without the blanks around it, and the 1-based byte column where it starts in the line.
struct DelimitedCell {
  std::string Text;
  int Column = 0;
};

// Splits one line into its cells; a line without the delimiter is one cell. A quoted cell
// that does not end on its line, or text between a closing quote and the next delimiter, is
// refused with FormatError naming the column.
std::vector<DelimitedCell> SplitDelimitedLine(std::string_view line, char delimiter);

}  // namespace zamo
