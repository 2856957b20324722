#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "document/ProjectSession.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr DateTime kNow = 46000.5;

class SessionTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    session_.SetPlotIntervals(kTestIntervals);
    session_.OpenExample();
  }
  const KineticProject& Project() const { return session_.Project(); }
  // The title, k1, k3, the steps to undo and redo, and whether the project is modified.
  std::string State() const {
    std::ostringstream s;
    s << Project().Title << " " << std::setprecision(3) << double(Project().K[1]) << " " << double(Project().K[3])
      << " " << session_.UndoName() << "/" << session_.RedoName() << (Project().Modified ? " modified" : "");
    return s.str();
  }
  ProjectSession session_;
};

// Typed constants are a step each, clicks until the release one, failures none; Undo restores the shown
// experiment; a new step after Undo drops the redo and a saved point there; opening starts anew.
TEST_F(SessionTest, HistoryOfTypedAndSteppedConstants) {
  const std::string title = "TMCP-ICP Kinetic System ";
  session_.SetRateFromText(3, "2.5000E-07");
  for (int click = 0; click < 3; ++click) session_.StepRate(1, 1, true);
  EXPECT_EQ(State(), title + "1.29e-06 2.5e-07 k3/ modified");  // nothing recorded while held
  session_.EndStepping();
  // A text that is no number, a file that fails to be read or written change nothing (the
  // writer's reasons are its own tests').
  const KineticProject stepped = Project();
  EXPECT_THROW_MSG(session_.SetRateFromText(4, "_.____E-07"), ConversionError,
                   "'_.____E-07' ist kein gültiger Gleitkommawert");
  EXPECT_THROW(session_.OpenFile(DataFilePath("ends-before-right-block.zam")), FormatError);
  EXPECT_THROW(session_.Save((dir_ / "missing" / "x.zam").string(), kNow), FileError);
  EXPECT_EQ(State(), title + "1.29e-06 2.5e-07 k1/ modified");
  EXPECT_TRUE(Project().Left == stepped.Left && Project().K == stepped.K && Project().FileName == kExampleFileName);
  session_.ShowExperiment(Side::Right);
  session_.Undo();
  EXPECT_EQ(State(), title + "1.26e-06 2.5e-07 k3/k1 modified");
  EXPECT_EQ(session_.Caption(), "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
  session_.Undo();
  EXPECT_EQ(State(), title + "1.26e-06 8.5e-08 /k3");
  session_.Redo();
  session_.Save((dir_ / "saved.zam").string(), kNow);
  session_.Undo();
  EXPECT_EQ(State(), title + "1.26e-06 8.5e-08 /k3 modified");  // the saved state is the one undone
  session_.Redo();
  EXPECT_EQ(State(), title + "1.26e-06 2.5e-07 k3/k1");
  session_.Undo();
  session_.SetRateFromText(1, "3.0000E-06");
  EXPECT_EQ(State(), title + "3e-06 8.5e-08 k1/ modified");
  session_.Undo();
  EXPECT_EQ(State(), title + "1.26e-06 8.5e-08 /k1 modified");  // the saved state is out of reach
  session_.OpenText(ExampleProjectText(), "again.zam");
  EXPECT_EQ(State(), title + "1.26e-06 8.5e-08 /");
}

// An edit restores text and fields as well; what was not edited keeps the value the text holds
// only rounded (a constant to six digits, a percentage to two decimals). An import is a step.
TEST_F(SessionTest, AnEditedTextAndAnImportAreOneStepEach) {
  session_.OpenText(ExampleTextWith({{37, "30.0  91.093  0.18  1.68  0.00  0.00  3.93  0.10"}}), "");
  RateConstants fitted = Project().K;
  fitted[3] = 8.5123456789e-8L;
  session_.PutConstantsInPlace(fitted, "Least-Squares Fit");
  const TextLines shown = session_.SavedText(kNow);
  const TextLines edited = WithLines(shown, {{1, "Edited System"}, {22, "1.5E-06  3.62300E-05"}});
  session_.ReadEditedText(shown, edited);
  EXPECT_EQ(State(), "Edited System 1.5e-06 8.51e-08 Zamo-Data/ modified");
  EXPECT_EQ(Project().K[3], fitted[3]);
  EXPECT_NEAR(double(Project().Left.Observed[1][1]), 0.91093, 1e-15);
  EXPECT_EQ(session_.ProjectText(), edited);
  ImportRequest request;
  request.Title = "Imported";
  request.TemperatureText = "210.1";
  request.Right = DataFileChoice{DataFilePath("right-ipcp-210.dat"), DataFileLines("right-ipcp-210.dat")};
  session_.Import(request, kNow);
  EXPECT_EQ(State(), "Imported 1.26e-06 8.5e-08 Import/ modified");
  session_.Undo();
  EXPECT_EQ(State(), "Edited System 1.5e-06 8.51e-08 Zamo-Data/Import modified");
  session_.Undo();
  session_.Undo();
  EXPECT_EQ(State(), "TMCP-ICP Kinetic System 1.26e-06 8.5e-08 /Least-Squares Fit");
}

// The oldest steps go beyond the limits of steps and bytes (one replaced text of 600 KB fits a
// megabyte beside the open project's own); typed steps share the text.
TEST(SessionHistoryTest, StepsShareTheTextAndTheOldestGoBeyondTheLimits) {
  ProjectSession session({3, std::size_t{1} << 20});
  session.OpenExample();
  for (int k = 1; k <= 5; ++k) session.SetRateFromText(1, std::to_string(k) + ".0000E-06");
  EXPECT_EQ(session.HistorySteps(), 3u);
  while (session.CanUndo()) session.Undo();
  EXPECT_TRUE(session.Project().K[1] == 2e-6L && session.Project().Modified);  // the read state is gone
  TextLines text = ExampleProjectText();
  for (int i = 0; i < 600; ++i) text.push_back(std::string(1000, 'x'));
  for (const char* title : {"One", "Two", "Three"}) {
    const TextLines shown = text;
    text = WithLines(text, {{1, title}});
    session.ReadEditedText(shown, text);
  }
  EXPECT_EQ(session.HistorySteps(), 1u);
  for (int k = 1; k <= 2; ++k) session.SetRateFromText(2, std::to_string(k) + ".0000E-05");
  EXPECT_EQ(session.HistorySteps(), 3u);
  while (session.CanUndo()) session.Undo();
  EXPECT_EQ(session.Project().Title, "Two");
}

}  // namespace
}  // namespace zamo
