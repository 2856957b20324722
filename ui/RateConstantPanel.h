#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "document/ProjectSession.h"
#include "model/Limits.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace zamo {

class MaskEdit;
class UpDown;

// What the panel needs from the main window besides the session.
class RatePanelHost {
 public:
  virtual ~RatePanelHost() = default;
  // Runs a handler inside the general error guard.
  virtual void RunGuarded(const std::function<void()>& handler) = 0;
  // A box was left with text the mask refuses.
  virtual void RefuseInput() = 0;
  // "&Quit".
  virtual void QuitRequested() = 0;
};

// The right-hand panel (MessagePanelRight): ten rows of caption, masked box and three
// steppers for the rate constants of the current experiment, the "Quality of Calculation"
// box and "&Quit". Boxes show the model; every change goes to the session, the edit->model
// handlers below, and the main window has the model->panel Show functions called when the
// session says what changed.
class RateConstantPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = 10;
  static constexpr int kWidth = kRatePanelWidth;

  RateConstantPanel(ProjectSession& session, RatePanelHost& host, QWidget* parent = nullptr);

  // Writes the constant of row 1..10 into its box ("0.0000E+00"; a negative constant, which
  // only a hand-made text holds, with its sign in front).
  void ShowRateConstant(int row);
  // The box of the row that shows K[index], if one does.
  void ShowRateConstantOf(int index);
  // Captions of rows 2..7 for the current experiment, then every box.
  void ShowRateCaptions();
  // The "Quality of Calculation" box for the experiment the session computed it for.
  void ShowDeviationLabels();
  // Commits the text typed into the focused box and not yet left, as leaving the box would.
  // False when the box refuses its text (a required place of the mask is blank): the user
  // has been told, and the command that asked should not run.
  bool CommitPendingText();
  // The row whose box or stepper has the keyboard focus.
  std::optional<int> FocusedRow() const;

  MaskEdit* Box(int row) const { return boxes_[static_cast<std::size_t>(row - 1)]; }
  UpDown* Stepper(int row, int number) const;
  QLabel* Caption(int row) const { return captions_[static_cast<std::size_t>(row - 1)]; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildRow(int row, int top);
  void BuildErrorBox();
  int RowOf(const QWidget* control) const;
  int IndexOf(int row) const;

  // One handler per control event, shared by the rows.
  void MaskEdit1Change(MaskEdit* box);
  void UpDown11Click(UpDown* stepper, bool up);
  void UpDown11MouseUp(UpDown* stepper);

  ProjectSession& session_;
  RatePanelHost& host_;
  std::array<QLabel*, kRows> captions_{};
  std::array<MaskEdit*, kRows> boxes_{};
  std::array<std::array<UpDown*, 3>, kRows> steppers_{};
  QGroupBox* errorBox_ = nullptr;
  QLabel* total_ = nullptr;
  std::array<QLabel*, 8> signed_{};
  std::array<QLabel*, 8> absolute_{};
  QPushButton* quit_ = nullptr;
  // Set while the panel writes the model into its boxes, so that no handler takes the
  // writing for the user's input.
  bool filling_ = false;
};

}  // namespace zamo
