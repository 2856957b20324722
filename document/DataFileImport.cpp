#include "document/DataFileImport.h"

#include <algorithm>
#include <cctype>

#include "document/DataTable.h"
#include "document/ProjectWriter.h"
#include "model/Conversions.h"
#include "model/NumberFormat.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

constexpr const char* kAnalysisError = "Error by Analysing the File";
constexpr int kMaxDataRows = kRowCount;  // the start row and up to 16 reaction times

std::string_view Trim(std::string_view text) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

int RateConstantsPerReaction(const std::string& countText) {
  const std::int32_t count = StrToInt(Trim(countText));
  const int perReaction = count / 2 - 1;
  if (perReaction < 1 || perReaction > kMaxRateConstantsPerReaction) {
    throw FormatError("the number of rate constants must be between 4 and 17, not " + std::to_string(count));
  }
  return perReaction;
}

}  // namespace

DataFormat DataFormatOfPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return DataFormat::ZamoData;
  std::string extension;
  for (const char c : path.substr(dot + 1)) extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "csv" || extension == "tsv" || extension == "txt" ? DataFormat::Table : DataFormat::ZamoData;
}

std::vector<std::string> CheckImportRequest(const ImportRequest& request) {
  if (!request.Left && !request.Right) return {"You have to Load a Zamo-Data-File"};
  std::vector<std::string> messages;
  if (request.TemperatureText.empty()) messages.emplace_back("Please enter the TEMPERATURE");
  if (request.RateConstantCountText.empty()) messages.emplace_back("Please enter the NUMBER OF RATE CONSTANT");
  return messages;
}

void AnalyseDataFile(ProjectData& data, Side side, const TextLines& lines, std::vector<ImportWarning>& warnings,
                     const std::string& file) {
  const int r = std::clamp(data.RateConstantsPerReaction, 1, kMaxRateConstantsPerReaction);
  LineCursor cursor(lines, 0);

  const std::string_view temperatureText = cursor.ReadNextLine("the temperature");
  const Real temperature = AtLine(cursor.LineNumber(), [&] { return StrToFloat(Trim(temperatureText)); });

  for (int i = 1; i <= r; ++i) {
    const std::string what = "the rate constants k" + std::to_string(i) + " and k" + std::to_string(i + r);
    const std::string_view text = cursor.ReadNextLine(what);
    const NumberLine pair = AtLine(cursor.LineNumber(), [&] { return ParseNumberLine(text); });
    if (pair.Count() < 2) {
      FailAtLine(cursor.LineNumber(), "expected two numbers for " + what + ", found " + std::to_string(pair.Count()));
    }
    data.K[i] = RateConstant(pair, text, 0, i, cursor.LineNumber());
    data.K[i + r] = RateConstant(pair, text, 1, i + r, cursor.LineNumber());
  }

  // An optional line with exactly k15 and k16; any other line is the row count.
  const std::string_view optional = cursor.ReadNextLine("the number of rows");
  const NumberLine k1516 = AtLine(cursor.LineNumber(), [&] { return ParseNumberLine(optional); });
  if (k1516.Count() == 2) {
    data.K[15] = RateConstant(k1516, optional, 0, 15, cursor.LineNumber());
    data.K[16] = RateConstant(k1516, optional, 1, 16, cursor.LineNumber());
  } else {
    cursor.SetIndex(cursor.Index() - 1);
  }

  const std::string_view countText = cursor.ReadNextLine("the number of rows");
  const int countLine = cursor.LineNumber();
  const std::int32_t rows = AtLine(countLine, [&] { return StrToInt(Trim(countText)); });
  if (rows < 1 || rows > kMaxDataRows) {
    FailAtLine(countLine, "expected the number of rows (1 to " + std::to_string(kMaxDataRows) +
                              ", the start row included), found " + std::to_string(rows));
  }

  Experiment& experiment = data.ExperimentOf(side);
  for (int j = 0; j < rows; ++j) {
    const std::string what = "row " + std::to_string(j) + " of the " + std::to_string(rows) + " rows";
    const std::string_view text = cursor.ReadNextLine(what);
    const int line = cursor.LineNumber();
    const NumberLine numbers = AtLine(line, [&] { return ParseNumberLine(text); });
    if (numbers.Count() < 1) FailAtLine(line, "expected a reaction time and concentrations for " + what);
    const auto row = static_cast<std::size_t>(j);
    experiment.Times[row] = RowSeconds(numbers, text, line, what);
    // The given concentrations up to G; the species after the last one given is the rest.
    const int given = std::min(numbers.LastIndex, 7);
    SpeciesValues& observed = experiment.Observed[row];
    Real sum = 0;
    for (int s = 1; s <= given; ++s) {
      observed[s] = ObservedFraction(numbers, text, s, s, line);
      sum += observed[s];
    }
    // A remainder up to G is written with the others, so it must be a percentage that the
    // project reader takes back (H is never written).
    const Real remainder = 1 - sum;
    const Real percent = remainder * 100;
    if (given < 7 && !(percent >= -kMaxPercentage && percent <= kMaxPercentage)) {
      FailAtLine(line, "the remainder to 100 % for species " + std::string(1, static_cast<char>('A' + given)) +
                           " would be " + FloatToText(percent) + ", outside -" + std::to_string(kMaxPercentage) +
                           " to " + std::to_string(kMaxPercentage));
    }
    observed[given + 1] = remainder;
  }

  data.AbsoluteTemperature = ToAbsoluteTemperature(temperature);
  experiment.LastRow = rows - 1;
  CheckStartRow(experiment, side, file, warnings);
}

void CheckStartRow(const Experiment& experiment, Side side, const std::string& file,
                   std::vector<ImportWarning>& warnings) {
  const bool startHasB = experiment.Observed[0][2] != 0;
  if (side == Side::Left ? startHasB : !startHasB) {
    warnings.push_back({file, kAnalysisError,
                        side == Side::Left ? "the start row of the left reaction holds some B"
                                           : "the start row of the right reaction holds no B"});
  }
}

std::optional<Side> StartRowSide(const DataFileChoice& choice) {
  ProjectData scratch;
  std::vector<ImportWarning> warnings;
  try {
    if (choice.Format == DataFormat::Table) {
      AnalyseDataTable(scratch, Side::Left, choice.Lines, warnings, choice.Path);
    } else {
      AnalyseDataFile(scratch, Side::Left, choice.Lines, warnings, choice.Path);
    }
  } catch (const ZamoError&) {
    return std::nullopt;
  }
  return scratch.Left.Observed[0][2] == 0 ? Side::Left : Side::Right;
}

ImportResult ImportDataFiles(const ProjectData& base, const ImportRequest& request, DateTime now) {
  const std::vector<std::string> problems = CheckImportRequest(request);
  if (!problems.empty()) throw FormatError(problems.front());

  ImportResult result;
  ProjectData& data = result.Data;
  data = base;
  try {
    data.AbsoluteTemperature =
        AtLine(request.TemperatureLine, [&] { return ToAbsoluteTemperature(StrToFloat(request.TemperatureText)); });
  } catch (ZamoError& error) {
    if (!request.TemperatureFile.empty()) error.SetFile(request.TemperatureFile);
    throw;
  }
  data.RateConstantsPerReaction = RateConstantsPerReaction(request.RateConstantCountText);
  ResetForReading(data);
  data.Left.Present = request.Left.has_value();
  data.Right.Present = request.Right.has_value();
  const auto isDataFile = [](const std::optional<DataFileChoice>& choice) {
    return choice && choice->Format == DataFormat::ZamoData;
  };
  if (!isDataFile(request.Left) && !isDataFile(request.Right)) data.K = base.K;

  for (const auto& [side, choice] : {std::pair{Side::Left, &request.Left}, std::pair{Side::Right, &request.Right}}) {
    if (!*choice) continue;
    try {
      if ((*choice)->Format == DataFormat::Table) {
        AnalyseDataTable(data, side, (*choice)->Lines, result.Warnings, (*choice)->Path);
      } else {
        AnalyseDataFile(data, side, (*choice)->Lines, result.Warnings, (*choice)->Path);
      }
    } catch (ZamoError& error) {
      error.SetFile((*choice)->Path);
      throw;
    }
  }

  data.Title = request.Title;
  data.Author = request.Author;
  data.LeftReactantName = request.LeftName;
  data.RightReactantName = request.RightName;
  data.LeftDataFile = request.Left ? request.Left->Path : "*.dat";
  data.RightDataFile = request.Right ? request.Right->Path : "*.dat";
  data.Temperature = data.AbsoluteTemperature - 273.15L;
  std::int32_t wholeDegrees = 0;
  TruncToInt32(data.Temperature, wholeDegrees);
  data.FileName = data.Title + " (" + std::to_string(wholeDegrees) + ").zam";
  data.DataDateTime = now;
  data.ReactantCount = kSpeciesCount;
  data.DeclaredRateConstantsPerReaction = data.RateConstantsPerReaction;
  data.ZoomLeft = kImportZoom;
  data.ZoomRight = kImportZoom;
  FillMissingExperiment(data);
  CheckWritable(data);

  result.ShowLeft = data.Left.Present;
  result.Caption = ExperimentCaption("Zamo", result.ShowLeft, data);
  return result;
}

}  // namespace zamo
