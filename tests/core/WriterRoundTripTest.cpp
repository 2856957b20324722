#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "document/ProjectWriter.h"
#include "document/SeriesFile.h"
#include "model/NumberFormat.h"
#include "tests/core/TestSupport.h"

// Each field of the project and series texts, with values they can and cannot hold, reads back or is refused.
namespace zamo {
namespace {

constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();

ProjectData WrittenAndRead(const KineticProject& project) {
  const TextLines written = BuildProjectText(project, EncodeDateTime({2024, 3, 5, 14, 7, 9, 0}));
  return ReadProjectText(ProjectData{}, SplitLines(JoinLinesCrLf(written)), "").Data;
}

TEST(ProjectRoundTrip, TextFieldsReadBackOrAreRefused) {
  // clang-format off
  const std::pair<std::string ProjectData::*, std::string> fields[] = {
      {&ProjectData::Title, "the title"}, {&ProjectData::Author, "the author"},
      {&ProjectData::LeftReactantName, "the name of the left reactant"},
      {&ProjectData::LeftDataFile, "the data file of the left reaction"},
      {&ProjectData::RightReactantName, "the name of the right reactant"},
      {&ProjectData::RightDataFile, "the data file of the right reaction"}};
  // clang-format on
  const std::pair<std::string, std::string> values[] = {
      {"Run 1\nsecond line", "cannot be written: it holds a line break (CR or LF)"},
      {"Run 1\rsecond line", "cannot be written: it holds a line break (CR or LF)"},
      {std::string(kMaxLineBytes + 1, 'a'), "cannot be written: it is longer than a line may be (65536 bytes)"},
      {std::string(kMaxLineBytes, 'a'), ""},
      {" # blanks, \t and 'Left Reaction:' ", ""}};
  for (const auto& [field, what] : fields) {
    for (const auto& [value, refusal] : values) {
      KineticProject project = Example();
      project.*field = value;
      const Thrown thrown = ThrownBy([&] { EXPECT_EQ(WrittenAndRead(project).*field, value) << what; });
      EXPECT_EQ(thrown.Text, refusal.empty() ? "" : what + " " + refusal);
    }
  }
}

TEST(ProjectRoundTrip, NumbersReadBackOrAreRefused) {
  const std::string range = " is not from 0 to 1.7976931348623157E+308";
  KineticProject p = Example();
  const auto refusal = [&] { return ThrownBy([&] { WrittenAndRead(p); }).Text; };
  p.K[3] = -1e-5L;
  EXPECT_EQ(refusal(), "k3 cannot be written: -1.00000E-05" + range);
  p.K[3] = 2e308L;
  EXPECT_EQ(refusal(), "k3 cannot be written: 2.00000E+308" + range);
  p.K[3] = 1e-4000L;  // below a double's range, but within the text's
  p.K[16] = kNaN;
  EXPECT_EQ(refusal(), "k16 cannot be written: " + FormatFloat("0.00000E+00", kNaN) + range);
  p.K[16] = 1.5e-5L;
  p.Temperature = kNaN;
  EXPECT_EQ(refusal(), "the temperature cannot be written: " + FloatToText(kNaN) + " is no number");
  p.Temperature = -273.15L;
  p.ZoomLeft = -2147483647 - 1;
  const ProjectData read = WrittenAndRead(p);
  EXPECT_TRUE(read.K == p.K && read.Temperature == p.Temperature && read.ZoomLeft == p.ZoomLeft);
}

TEST(SeriesRoundTrip, PathsAndCommentsReadBackOrAreRefused) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "series";
  const std::string series = (folder / "s.zams").string();
  const auto written = [&](const std::string& name, const std::string& comment) {
    return BuildSeriesText(series, {(folder / name).string()}, {comment});
  };
  for (const std::string name : {"p.zam", "#1.zam", " 1.zam", "\t1.zam", "run 1.zam"}) {
    const auto read = ParseSeriesText(SplitLines(JoinLinesCrLf(written(name, "made by hand"))), series);
    EXPECT_EQ(std::filesystem::path(read.at(0).Path).lexically_normal(), (folder / name).lexically_normal());
  }
  EXPECT_THROW_MSG(written("1.zam ", ""), FormatError,
                   "the project path '1.zam ' cannot be written: it ends with a blank or a control character");
  EXPECT_THROW_MSG(written("a\nb.zam", ""), FormatError,
                   "the project path 'a\nb.zam' cannot be written: it holds a line break (CR or LF)");
  EXPECT_THROW_MSG(written("p.zam", "one\rtwo"), FormatError,
                   "the comment 'one\rtwo' cannot be written: it holds a line break (CR or LF)");
}

}  // namespace
}  // namespace zamo
