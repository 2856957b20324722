#include "document/ProjectReader.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "document/TextFile.h"
#include "model/Conversions.h"
#include "model/ZamoError.h"

// The project text is positional. Lines 0..16 are the header, read by absolute line number:
//   1..6 Title, Author, LeftReactantName, LeftDataFile, RightReactantName, RightDataFile
//   7 DataDateTime, 9 Temperature, 11 ReactantCount, 13 D (rate-constant lines),
//   16 ZoomLeft ZoomRight; the other header lines are labels and are never compared.
// From line 22 on a line cursor reads the body: data lines skip empty lines in front of
// them, while each label is stepped over as exactly one line, whatever it holds:
//   D lines "k_i  k_(i+D)", label, "k15  k16", one line,
//   "Left Reaction:" block, one line, "Right Reaction:" block; anything after is ignored.
// A block: label, LastRow, label, rows 0..LastRow of "minutes  %A  %B ... %G".

namespace zamo {

namespace {

class Reader {
 public:
  Reader(ProjectData& data, const TextLines& lines) : data_(data), lines_(lines), cursor_(lines, kBodyStart) {}

  void Read(const std::string& chosenFileName, ProjectRead& outcome) {
    ResetForReading(data_);
    data_.Title = std::string(Header(1));
    data_.Author = std::string(Header(2));
    data_.LeftReactantName = std::string(Header(3));
    data_.LeftDataFile = std::string(Header(4));
    data_.RightReactantName = std::string(Header(5));
    data_.RightDataFile = std::string(Header(6));
    data_.FileName = chosenFileName;
    data_.DataDateTime = AtLine(7 + 1, [&] { return StrToDateTime(RequiredHeader(7, "the date and time")); });
    data_.Temperature = AtLine(9 + 1, [&] { return StrToFloat(RequiredHeader(9, "the temperature")); });
    data_.ReactantCount = AtLine(11 + 1, [&] { return StrToInt(RequiredHeader(11, "the number of reactants")); });
    ReadDeclaredCount();
    ReadZoom();

    ReadRateConstants();
    data_.AbsoluteTemperature = ToAbsoluteTemperature(data_.Temperature);

    std::string_view header;
    const bool hasHeader = cursor_.TryReadNextLine(header);
    data_.Left.Present = hasHeader && header == "Left Reaction:";
    if (data_.Left.Present) {
      outcome.ShowLeft = true;
      outcome.Caption = ExperimentCaption("Mavrin", true, data_);
      ReadBlock(data_.Left, "left");
      cursor_.StepOver();
      data_.Right.Present = cursor_.TryReadNextLine(header) && header == "Right Reaction:";
    } else {
      data_.Right.Present = hasHeader && header == "Right Reaction:";
      if (data_.Right.Present) {
        outcome.ShowLeft = false;
        outcome.Caption = ExperimentCaption("Mavrin", false, data_);
      }
    }
    if (data_.Right.Present) ReadBlock(data_.Right, "right");

    FillMissingExperiment(data_);
  }

 private:
  static constexpr int kDeclaredCountLine = 13;
  static constexpr int kZoomLine = 16;
  static constexpr int kBodyStart = 22;

  std::string_view Header(int index) const {
    return index < static_cast<int>(lines_.size()) ? lines_[static_cast<std::size_t>(index)] : std::string_view();
  }

  std::string_view RequiredHeader(int index, const std::string& expected) const {
    if (index >= static_cast<int>(lines_.size())) {
      FailAtLine(static_cast<int>(lines_.size()),
                 "the text ends before " + expected + " (line " + std::to_string(index + 1) + ")");
    }
    return Header(index);
  }

  void ReadDeclaredCount() {
    const int line = kDeclaredCountLine + 1;
    const std::int32_t count = AtLine(line, [&] {
      return StrToInt(RequiredHeader(kDeclaredCountLine, "the number of rate constants per reaction"));
    });
    if (count < 1 || count > kMaxRateConstantsPerReaction) {
      FailAtLine(line, "expected the number of rate constants per reaction (1 to " +
                           std::to_string(kMaxRateConstantsPerReaction) + "), found " + std::to_string(count));
    }
    data_.DeclaredRateConstantsPerReaction = count;
  }

  void ReadZoom() {
    const int line = kZoomLine + 1;
    const NumberLine zoom = AtLine(line, [&] { return ParseNumberLine(RequiredHeader(kZoomLine, "the zoom values")); });
    if (zoom.Count() < 2) FailAtLine(line, "expected two zoom values, found " + std::to_string(zoom.Count()));
    if (!TruncToInt32(zoom.Values[0], data_.ZoomLeft) || !TruncToInt32(zoom.Values[1], data_.ZoomRight)) {
      FailAtLine(line, "the zoom values are out of range");
    }
  }

  // The rate constants k_first and k_second from the next data line; the first two numbers
  // of a longer line.
  void ReadRatePair(int first, int second) {
    const std::string what = "the rate constants k" + std::to_string(first) + " and k" + std::to_string(second);
    const std::string_view text = cursor_.ReadNextLine(what);
    const int line = cursor_.LineNumber();
    const NumberLine numbers = AtLine(line, [&] { return ParseNumberLine(text); });
    if (numbers.Count() < 2) {
      FailAtLine(line, "expected two numbers for " + what + ", found " + std::to_string(numbers.Count()));
    }
    data_.K[first] = RateConstant(numbers, text, 0, first, line);
    data_.K[second] = RateConstant(numbers, text, 1, second, line);
  }

  void ReadRateConstants() {
    const int d = data_.DeclaredRateConstantsPerReaction;
    for (int i = 1; i <= d; ++i) ReadRatePair(i, i + d);
    cursor_.StepOver();  // "k15 and k16:"
    ReadRatePair(15, 16);
    cursor_.StepOver();  // an empty line in written texts
  }

  void ReadBlock(Experiment& experiment, const std::string& side) {
    cursor_.StepOver();  // "Number of Reactiontimes:"
    const std::string what = "the number of reaction times of the " + side + " reaction";
    const std::string_view countText = cursor_.ReadNextLine(what);
    const int countLine = cursor_.LineNumber();
    const std::int32_t lastRow = AtLine(countLine, [&] { return StrToInt(countText); });
    if (lastRow < 0 || lastRow > kMaxRow) {
      FailAtLine(countLine,
                 "expected " + what + " (0 to " + std::to_string(kMaxRow) + "), found " + std::to_string(lastRow));
    }
    experiment.LastRow = lastRow;
    cursor_.StepOver();  // "Reactiontime and Concentration of the Reactant:"
    for (int r = 0; r <= lastRow; ++r) ReadRow(experiment, r, side);
  }

  void ReadRow(Experiment& experiment, int r, const std::string& side) {
    const std::string what = "row " + std::to_string(r) + " of the " + side + " reaction";
    const std::string_view text = cursor_.ReadNextLine(what);
    const int line = cursor_.LineNumber();
    const NumberLine numbers = AtLine(line, [&] { return ParseNumberLine(text); });
    if (numbers.Count() < 1) FailAtLine(line, "expected a reaction time and concentrations for " + what);
    experiment.Times[static_cast<std::size_t>(r)] = RowSeconds(numbers, text, line, what);
    SpeciesValues& observed = experiment.Observed[static_cast<std::size_t>(r)];
    const int n = std::min(numbers.LastIndex, kSpeciesCount);
    for (int s = 1; s <= n; ++s) observed[s] = ObservedFraction(numbers, text, s, s, line);
    // H is never taken from the text: it is what the seven others leave.
    Real sum = 0;
    for (int s = 1; s <= 7; ++s) sum += observed[s];
    observed[8] = 1 - sum;
  }

  ProjectData& data_;
  const TextLines& lines_;
  LineCursor cursor_;
};

}  // namespace

ProjectRead ReadProjectText(const ProjectData& base, const TextLines& lines, const std::string& chosenFileName) {
  ProjectRead outcome{base, std::nullopt, std::nullopt};
  Reader(outcome.Data, lines).Read(chosenFileName, outcome);
  return outcome;
}

ProjectRead ReadProjectFile(const std::string& path) {
  const TextLines lines = ReadTextFile(path);
  try {
    return ReadProjectText(ProjectData{}, lines, path);
  } catch (ZamoError& error) {
    error.SetFile(path);
    throw;
  }
}

}  // namespace zamo
