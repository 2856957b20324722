#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/TextLines.h"
#include "model/DateTime.h"
#include "model/KineticProject.h"

namespace zamo {

// How the measurements of one experiment are written: the program's own data file
// (".dat": temperature, rate constants, rows) or a delimited table of rows alone (a
// spreadsheet's CSV, TSV or semicolon-separated text, see DataTable.h).
enum class DataFormat { ZamoData, Table };

// The format a file name says: ".csv", ".tsv" and ".txt" (in any case) are tables, every
// other name a data file.
DataFormat DataFormatOfPath(std::string_view path);

// The measurements chosen for an experiment, read whole: a file, or the clipboard (whose
// Path is then "clipboard").
struct DataFileChoice {
  std::string Path;
  TextLines Lines;
  DataFormat Format = DataFormat::ZamoData;
};

// What the import dialog collects.
struct ImportRequest {
  std::string Title;
  std::string Author;
  std::string LeftName;
  std::string RightName;
  std::optional<DataFileChoice> Left;
  std::optional<DataFileChoice> Right;
  // The temperature box in degrees Celsius; it must not be empty, but each data file's own
  // temperature replaces it (a table has none).
  std::string TemperatureText;
  // Where the box's text was taken from, so that its conversion error names the data file
  // and line; empty and 0 when it was typed.
  std::string TemperatureFile;
  int TemperatureLine = 0;
  // The number of rate constants (16 for k1..k16); half of it minus one are read per reaction.
  std::string RateConstantCountText = "16";
};

// A finding that does not stop the import.
struct ImportWarning {
  std::string File;
  std::string Text;    // the text of the message box: "Error by Analysing the File"
  std::string Detail;  // what was found
};

struct ImportResult {
  ProjectData Data;
  bool ShowLeft = true;  // the left experiment is shown when there is one
  std::string Caption;   // "Zamo - Left Reactions: ..." or "Zamo - Right Reactions: ..."
  std::vector<ImportWarning> Warnings;
};

// The dialog's checks in order, each a message for a "Try Again" box: "You have to Load a
// Zamo-Data-File" (and nothing else then), "Please enter the TEMPERATURE", "Please enter
// the NUMBER OF RATE CONSTANT". Empty when the import may run.
std::vector<std::string> CheckImportRequest(const ImportRequest& request);

// Reads one data file into the experiment of `side` and the rate constants: temperature,
// rate-constant pairs (k_i beside k_(i+R)), an optional "k15  k16" line, the row count
// (1 to 17, counting the start row) and the rows "minutes  %A  %B ...". H, or the species
// after the last given one, is the remainder to 100 %. Throws ConversionError or
// FormatError naming the line; a start row that does not fit the side adds a warning.
void AnalyseDataFile(ProjectData& data, Side side, const TextLines& lines, std::vector<ImportWarning>& warnings,
                     const std::string& file);

// The experiment whose start the choice's start row fits: the left one when it holds no B,
// the right one when it holds some; nothing when its rows cannot be read.
std::optional<Side> StartRowSide(const DataFileChoice& choice);

// The plausibility check of an imported start row: the left reaction starts without B, the
// right one with some. A start row that does not fit adds the warning "Error by Analysing the
// File" for `file`; the data stay as read.
void CheckStartRow(const Experiment& experiment, Side side, const std::string& file,
                   std::vector<ImportWarning>& warnings);

// Builds a new project from the request, starting from `base` (the open project): checks,
// analyses the chosen files (the right one last, so its temperature counts), fills the
// descriptive fields, lends a single experiment's times to the missing one and sets both
// zooms to 315. A table holds neither rate constants nor a temperature: when no data file is
// among the chosen, the rate constants stay those of `base` and the temperature is the box's.
// Errors name the file (or "clipboard") and line; nothing outside the result is touched. A
// field the project file could not hold (CheckWritable: a title with a line break) is
// refused as the save would refuse it.
[[nodiscard]] ImportResult ImportDataFiles(const ProjectData& base, const ImportRequest& request, DateTime now);

// The zoom position every imported project starts with.
inline constexpr int kImportZoom = 315;

}  // namespace zamo
