#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/SeriesFile.h"
#include "document/TextLines.h"
#include "model/NumberFormat.h"
#include "tests/core/TestSupport.h"

// Everything a writer writes reads back to the same thing, or the writer refuses it: every
// field of the project text and of the series text, with the values the format can and
// cannot hold.
namespace zamo {
namespace {

namespace fs = std::filesystem;

constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();

// A project text written, saved as bytes and read back as a file would be.
ProjectData WrittenAndRead(const KineticProject& project) {
  const TextLines written = BuildProjectText(project, EncodeDateTime({2024, 3, 5, 14, 7, 9, 0}));
  return ReadProjectText(ProjectData{}, SplitLines(JoinLinesCrLf(written)), "").Data;
}

struct FieldCase {
  const char* Name;
  std::function<void(ProjectData&)> Set;
  std::function<bool(const ProjectData& written, const ProjectData& read)> Same;
  std::string Refusal;  // empty: the value reads back
};

void PrintTo(const FieldCase& c, std::ostream* out) { *out << c.Name; }

// The descriptive fields: whole lines, each with the values a line can and cannot hold.
std::vector<FieldCase> TextFieldCases() {
  const std::pair<std::string ProjectData::*, const char*> fields[] = {
      {&ProjectData::Title, "the title"},
      {&ProjectData::Author, "the author"},
      {&ProjectData::LeftReactantName, "the name of the left reactant"},
      {&ProjectData::LeftDataFile, "the data file of the left reaction"},
      {&ProjectData::RightReactantName, "the name of the right reactant"},
      {&ProjectData::RightDataFile, "the data file of the right reaction"},
  };
  const std::pair<std::string, std::string> values[] = {
      {"Run 1\nsecond line", "cannot be written: it holds a line break (CR or LF)"},
      {"Run 1\rsecond line", "cannot be written: it holds a line break (CR or LF)"},
      {std::string(kMaxLineBytes + 1, 'a'), "cannot be written: it is longer than a line may be (65536 bytes)"},
      {std::string(kMaxLineBytes, 'a'), ""},
      {" # blanks, \t and 'Left Reaction:' ", ""},
      {"", ""},
  };
  std::vector<FieldCase> cases;
  for (const auto& [field, what] : fields) {
    for (const auto& [value, refusal] : values) {
      cases.push_back({what, [field, value](ProjectData& d) { d.*field = value; },
                       [field](const ProjectData& a, const ProjectData& b) { return a.*field == b.*field; },
                       refusal.empty() ? "" : std::string(what) + " " + refusal});
    }
  }
  return cases;
}

bool SameK(const ProjectData& a, const ProjectData& b) { return a.K == b.K; }

// A function, not a constant: the texts come from other translation units' constants.
std::vector<FieldCase> NumberCases() {
  return {
      {"k3 negative", [](ProjectData& d) { d.K[3] = -1e-5L; }, SameK,
       "k3 cannot be written: -1.00000E-05 is not from 0 to 1.7976931348623157E+308"},
      {"k3 beyond a double", [](ProjectData& d) { d.K[3] = 2e308L; }, SameK,
       "k3 cannot be written: 2.00000E+308 is not from 0 to 1.7976931348623157E+308"},
      {"k16 not a number", [](ProjectData& d) { d.K[16] = kNaN; }, SameK,
       "k16 cannot be written: " + FormatFloat("0.00000E+00", kNaN) + " is not from 0 to 1.7976931348623157E+308"},
      {"k3 below a double", [](ProjectData& d) { d.K[3] = 1e-4000L; }, SameK, ""},
      {"k3 six digits", [](ProjectData& d) { d.K[3] = 1.5e-5L; }, SameK, ""},
      {"temperature not a number", [](ProjectData& d) { d.Temperature = kNaN; },
       [](const ProjectData&, const ProjectData&) { return false; },
       "the temperature cannot be written: " + FloatToText(kNaN) + " is no number"},
      {"temperature", [](ProjectData& d) { d.Temperature = -273.15L; },
       [](const ProjectData& a, const ProjectData& b) { return a.Temperature == b.Temperature; }, ""},
      // Two-digit years read back within 1950..2049 only.
      {"date in 1899",
       [](ProjectData& d) {
         d.DataDateTime = EncodeDateTime({1899, 12, 30, 6});
       },
       [](const ProjectData& a, const ProjectData& b) { return a.DataDateTime == b.DataDateTime; }, ""},
      {"date in 2050",
       [](ProjectData& d) {
         d.DataDateTime = EncodeDateTime({2050, 1, 1});
       },
       [](const ProjectData& a, const ProjectData& b) { return a.DataDateTime == b.DataDateTime; }, ""},
      // 4.2 minutes exactly, which binary arithmetic read as 251 s.
      {"time of 252 s", [](ProjectData& d) { d.Left.Times[1] = 252; },
       [](const ProjectData& a, const ProjectData& b) { return a.Left.Times == b.Left.Times; }, ""},
      {"zoom", [](ProjectData& d) { d.ZoomLeft = -2147483647 - 1; },
       [](const ProjectData& a, const ProjectData& b) { return a.ZoomLeft == b.ZoomLeft; }, ""},
  };
}

class ProjectFieldRoundTrip : public testing::TestWithParam<FieldCase> {};

TEST_P(ProjectFieldRoundTrip, ReadsBackOrIsRefused) {
  KineticProject project = Example();
  GetParam().Set(project);
  if (!GetParam().Refusal.empty()) {
    EXPECT_THROW_MSG(WrittenAndRead(project), FormatError, GetParam().Refusal);
  } else {
    EXPECT_TRUE(GetParam().Same(project, WrittenAndRead(project)));
  }
}

INSTANTIATE_TEST_SUITE_P(TextFields, ProjectFieldRoundTrip, testing::ValuesIn(TextFieldCases()));
INSTANTIATE_TEST_SUITE_P(Numbers, ProjectFieldRoundTrip, testing::ValuesIn(NumberCases()));

// ---- The series text: each project path and comment ----

struct SeriesCase {
  const char* Name;
  std::string Project;  // relative to the series file's folder
  std::string Comment;
  std::string Refusal;  // empty: the path reads back
};

void PrintTo(const SeriesCase& c, std::ostream* out) { *out << c.Name; }

class SeriesTextRoundTrip : public testing::TestWithParam<SeriesCase> {};

TEST_P(SeriesTextRoundTrip, ReadsBackOrIsRefused) {
  const fs::path folder = fs::temp_directory_path() / "series";
  const std::string seriesPath = (folder / "s.zams").string();
  const std::string project = (folder / GetParam().Project).string();
  const auto written = [&] { return BuildSeriesText(seriesPath, {project}, {GetParam().Comment}); };
  if (!GetParam().Refusal.empty()) {
    EXPECT_THROW_MSG(written(), FormatError, GetParam().Refusal);
    return;
  }
  const std::vector<SeriesFileEntry> read = ParseSeriesText(SplitLines(JoinLinesCrLf(written())), seriesPath);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(fs::path(read[0].Path).lexically_normal(), fs::path(project).lexically_normal());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SeriesTextRoundTrip,
    testing::Values(SeriesCase{"Plain", "p.zam", "made by hand", ""}, SeriesCase{"StartsWithAHash", "#1.zam", "", ""},
                    SeriesCase{"StartsWithABlank", " 1.zam", "", ""}, SeriesCase{"StartsWithATab", "\t1.zam", "", ""},
                    SeriesCase{"BlankInside", "run 1.zam", "", ""},
                    SeriesCase{"EndsWithABlank", "1.zam ", "",
                               "the project path '1.zam ' cannot be written: it ends with a blank or a control "
                               "character"},
                    SeriesCase{"HoldsALineBreak", "a\nb.zam", "",
                               "the project path 'a\nb.zam' cannot be written: it holds a line break (CR or LF)"},
                    SeriesCase{"CommentWithALineBreak", "p.zam", "one\rtwo",
                               "the comment 'one\rtwo' cannot be written: it holds a line break (CR or LF)"}),
    [](const testing::TestParamInfo<SeriesCase>& row) { return row.param.Name; });

}  // namespace
}  // namespace zamo
