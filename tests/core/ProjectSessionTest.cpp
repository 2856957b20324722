#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document/ProjectReader.h"
#include "document/ProjectSession.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/NumberFormat.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr DateTime kNow = 46000.5;

// A session on the example, with every change it tells kept in order.
class SessionTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    session_.SetPlotIntervals(kTestIntervals);
    session_.OpenExample();
    session_.AddListener([this](const SessionEvent& event) { heard_.push_back(event); });
  }

  const KineticProject& Project() const { return session_.Project(); }

  ProjectSession session_;
  std::vector<SessionEvent> heard_;
};

// ---- The history ----

TEST_F(SessionTest, ATypedConstantAndClicksUntilTheReleaseAreOneStepEach) {
  session_.SetRateFromText(3, "2.5000E-07");
  EXPECT_TRUE(Project().Modified);
  EXPECT_EQ(session_.UndoName(), "k3");
  session_.Undo();
  EXPECT_EQ(Project().K[3], 8.5e-8L);
  EXPECT_FALSE(Project().Modified);  // back at the state that was read
  EXPECT_FALSE(session_.CanUndo());
  EXPECT_EQ(session_.RedoName(), "k3");
  session_.Redo();
  EXPECT_EQ(Project().K[3], 2.5e-7L);
  EXPECT_TRUE(Project().Modified);
  EXPECT_FALSE(session_.CanRedo());

  for (int click = 0; click < 3; ++click) session_.StepRate(1, 1, true);
  EXPECT_EQ(Project().K[1], 1.29e-6L);
  EXPECT_EQ(session_.UndoName(), "k3");  // nothing recorded while the arrow is held
  session_.EndStepping();
  EXPECT_EQ(session_.UndoName(), "k1");
  session_.Undo();
  EXPECT_EQ(Project().K[1], 1.26e-6L);
  EXPECT_EQ(session_.UndoName(), "k3");
}

// Undo restores the experiment that was shown with the step, and the deviations follow.
TEST_F(SessionTest, UndoRestoresConstantsAndTheShownExperimentTogether) {
  const std::string labelsBefore = DeviationLabels(Project().LeftDeviation).Total;
  session_.SetRateFromText(2, "1.0000E-04");
  session_.ShowExperiment(Side::Right);
  session_.Undo();
  EXPECT_EQ(session_.Caption(), "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
  EXPECT_EQ(Project().K[2], 1.03e-5L);
  EXPECT_EQ(session_.ShownDeviation(), Side::Left);
  EXPECT_EQ(DeviationLabels(Project().LeftDeviation).Total, labelsBefore);
}

TEST_F(SessionTest, ANewStepAfterUndoDropsTheRedoAndTheSavedPoint) {
  session_.SetRateFromText(1, "2.0000E-06");
  session_.Save((dir_ / "saved.zam").string(), kNow);
  session_.Undo();
  EXPECT_TRUE(Project().Modified);  // the saved state is the one undone
  session_.Redo();
  EXPECT_FALSE(Project().Modified);
  session_.Undo();
  session_.SetRateFromText(1, "3.0000E-06");
  EXPECT_FALSE(session_.CanRedo());
  session_.Undo();
  EXPECT_TRUE(Project().Modified);  // the saved state can no longer be reached

  session_.OpenText(ExampleProjectText(), "again.zam");  // opening starts a new history
  EXPECT_FALSE(session_.CanUndo());
  EXPECT_FALSE(Project().Modified);
  EXPECT_EQ(Project().FileName, "again.zam");
}

// An edit-dialog step restores the text and the descriptive fields as well. What the user
// did not change keeps the value the text holds only rounded: a fitted constant to six
// digits, an observed percentage to two decimals.
TEST_F(SessionTest, AnEditedTextIsOneStepThatKeepsWhatWasNotEdited) {
  session_.OpenText(ExampleTextWith({{43, "30.0  91.093  0.18  1.68  0.00  0.00  3.93  0.10"}}), "");
  RateConstants fitted = Project().K;
  fitted[3] = 8.5123456789e-8L;
  session_.PutConstantsInPlace(fitted, "Least-Squares Fit");
  const KineticProject before = Project();
  const TextLines shown = session_.SavedText(kNow);
  const TextLines edited = WithLines(shown, {{1, "Edited System"}, {22, "1.5E-06  3.62300E-05"}});
  session_.ReadEditedText(shown, edited);
  EXPECT_EQ(Project().Title, "Edited System");
  EXPECT_EQ(Project().K[1], 1.5e-6L);
  EXPECT_EQ(Project().K[3], fitted[3]);
  EXPECT_TRUE(Project().Left == before.Left);
  EXPECT_EQ(session_.ProjectText(), edited);
  EXPECT_EQ(session_.UndoName(), "Zamo-Data");
  session_.Undo();
  EXPECT_EQ(Project().Title, "TMCP-ICP Kinetic System");
  EXPECT_EQ(Project().K[1], 1.26e-6L);
  EXPECT_EQ(session_.UndoName(), "Least-Squares Fit");
  session_.Undo();
  EXPECT_EQ(Project().K[3], 8.5e-8L);
}

// The import replaces the whole project, file name and all, and Undo brings it back.
TEST_F(SessionTest, AnImportIsOneStep) {
  session_.SetRateFromText(1, "2.0000E-06");
  ImportRequest request;
  request.Title = "Imported";
  request.TemperatureText = "210.1";
  request.Right = DataFileChoice{DataFilePath("right-ipcp-210.dat"), DataFileLines("right-ipcp-210.dat")};
  session_.Import(request, kNow);
  EXPECT_EQ(Project().FileName, "Imported (210).zam");
  EXPECT_EQ(session_.UndoName(), "Import");
  session_.Undo();
  EXPECT_EQ(Project().FileName, kExampleFileName);
  EXPECT_EQ(Project().K[1], 2e-6L);
  EXPECT_EQ(session_.Caption(), "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
  session_.Undo();
  EXPECT_FALSE(Project().Modified);
}

// A step holds the text of the project once, however many steps follow: typed constants on
// a project of megabytes cost their constants and experiments alone.
TEST_F(SessionTest, StepsShareTheProjectText) {
  TextLines large = ExampleProjectText();
  for (int i = 0; i < 4096; ++i) large.push_back(std::string(1000, 'x'));
  session_.OpenText(large, "large.zam");
  for (int i = 0; i < 30; ++i) session_.SetRateFromText(2 + i % 5, "1.0" + std::to_string(i % 10) + "00E-05");
  const TextLines shown = session_.SavedText(kNow);
  session_.ReadEditedText(shown, WithLines(shown, {{1, "Edited"}}));
  session_.SetRateFromText(2, "2.0000E-05");
  EXPECT_EQ(session_.HistorySteps(), 32u);
  // The text read holds 4 MB; the history holds it once, since the edit replaced it.
  EXPECT_GT(session_.HistoryBytes(), 4096u * 1000);
  EXPECT_LT(session_.HistoryBytes(), 4096u * 1000 + (1u << 20));
}

TEST(SessionHistoryTest, DropsTheOldestStepsBeyondItsLimits) {
  ProjectSession session({3, std::size_t{1} << 20});
  session.SetPlotIntervals(kTestIntervals);
  session.OpenExample();
  for (const char* k : {"1.0000E-06", "2.0000E-06", "3.0000E-06", "4.0000E-06", "5.0000E-06"}) {
    session.SetRateFromText(1, k);
  }
  EXPECT_EQ(session.HistorySteps(), 3u);
  while (session.CanUndo()) session.Undo();
  EXPECT_EQ(session.Project().K[1], 2e-6L);
  EXPECT_TRUE(session.Project().Modified);  // the state that was read is gone

  // Texts of 600 KB each: the megabyte holds one replaced text beside the open project's own.
  TextLines text = ExampleProjectText();
  for (int i = 0; i < 600; ++i) text.push_back(std::string(1000, 'x'));
  for (const char* title : {"One", "Two", "Three"}) {
    const TextLines shown = text;
    text = WithLines(text, {{1, title}});
    session.ReadEditedText(shown, text);
  }
  EXPECT_EQ(session.HistorySteps(), 1u);
  EXPECT_GT(session.HistoryBytes(), 600u * 1000);
  EXPECT_LE(session.HistoryBytes(), std::size_t{1} << 20);
  session.Undo();
  EXPECT_EQ(session.Project().Title, "Two");
}

// ---- Failures change nothing ----

TEST_F(SessionTest, ATextThatIsNoNumberOrAFileThatFailsChangesNothing) {
  EXPECT_THROW_MSG(session_.SetRateFromText(4, "_.____E-07"), ConversionError,
                   "'_.____E-07' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Project().K[4], 3.1e-7L);
  EXPECT_FALSE(Project().Modified || session_.CanUndo());

  session_.SetRateFromText(1, "2.0000E-06");
  const KineticProject before = Project();
  EXPECT_THROW_MSG(session_.OpenFile(DataFilePath("ends-before-right-block.zam")), FormatError,
                   "the text ends before the number of reaction times of the right reaction");
  EXPECT_TRUE(Project().K == before.K);
  EXPECT_TRUE(Project().Left == before.Left);
  EXPECT_TRUE(Project().Modified);
  EXPECT_EQ(session_.ProjectText(), ExampleProjectText());
  EXPECT_EQ(session_.UndoName(), "k1");
}

TEST_F(SessionTest, ListenersHearWhatChanged) {
  session_.StepRate(5, 2, true);
  session_.EndStepping();
  ASSERT_GE(heard_.size(), 3u);
  EXPECT_EQ(heard_[0].Change, SessionChange::RateStepped);
  EXPECT_EQ(heard_[0].RateIndex, 5);
  EXPECT_EQ(heard_[1].Change, SessionChange::Computed);
  EXPECT_EQ(heard_[2].Change, SessionChange::Status);
}

// ---- Saving ----

// The experiment not on screen is computed before writing, whichever one is shown; the
// shown deviations stay those of the shown experiment.
TEST_F(SessionTest, SavedTextHoldsTheDeviationsOfBothExperiments) {
  ASSERT_EQ(Project().RightDeviation.TotalSquares, 0);  // never shown yet
  const TextLines text = session_.SavedText(kNow);
  const CoefficientSet& set = Project().Coefficients;
  const DeviationSummary right = ComputeDeviation(Project().Right, Side::Right, set);
  const DeviationSummary left = ComputeDeviation(Project().Left, Side::Left, set);
  ASSERT_GT(right.TotalSquares, 10);
  const auto line = [&](const char* header) { return *(std::find(text.begin(), text.end(), header) + 2); };
  EXPECT_EQ(line("Error: Right-Reactions"), "TOTAL SQ DIFF SUM = " + FormatFloat("#####0.000", right.TotalSquares));
  EXPECT_EQ(line("Error: Left-Reactions"), "TOTAL SQ DIFF SUM = " + FormatFloat("#####0.000", left.TotalSquares));
  EXPECT_EQ(session_.ShownDeviation(), Side::Left);
}

// A failed write keeps the project as it was; the writer's reasons are its own tests'.
TEST_F(SessionTest, SaveKeepsTheTextAndTheFileOnlyWhenWritten) {
  session_.SetRateFromText(1, "2.0000E-06");
  const std::string missing = (dir_ / "missing" / "x.zam").string();
  EXPECT_THROW_MSG(session_.Save(missing, kNow), FileError,
                   "Datei " + missing + " kann nicht erstellt werden: No such file or directory");
  EXPECT_TRUE(Project().Modified);
  EXPECT_EQ(Project().FileName, kExampleFileName);
  EXPECT_EQ(session_.ProjectText(), ExampleProjectText());

  const std::string file = (dir_ / "saved.zam").string();
  session_.Save(file, kNow);
  EXPECT_FALSE(Project().Modified);
  EXPECT_EQ(Project().FileName, file);
  EXPECT_EQ(ReadTextFile(file), session_.ProjectText());
  EXPECT_EQ(ReadProjectFile(file).Data.K[1], 2e-6L);
}

}  // namespace
}  // namespace zamo
