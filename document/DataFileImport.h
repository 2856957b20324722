#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/TextLines.h"
#include "model/DateTime.h"
#include "model/KineticProject.h"

namespace zamo {

// One experimental data file (".dat") chosen for an experiment, read whole.
struct DataFileChoice {
  std::string Path;
  TextLines Lines;
};

// What the import dialog collects.
struct ImportRequest {
  std::string Title;
  std::string Author;
  std::string LeftName;
  std::string RightName;
  std::optional<DataFileChoice> Left;
  std::optional<DataFileChoice> Right;
  // The temperature box; it must not be empty, but each file's own temperature replaces it.
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

// Builds a new project from the request, starting from `base` (the open project): checks,
// analyses the chosen files (the right one last, so its temperature counts), fills the
// descriptive fields, lends a single experiment's times to the missing one and sets both
// zooms to 315. Errors name the file and line; nothing outside the result is touched.
[[nodiscard]] ImportResult ImportDataFiles(const ProjectData& base, const ImportRequest& request, DateTime now);

// The zoom position every imported project starts with.
inline constexpr int kImportZoom = 315;

}  // namespace zamo
