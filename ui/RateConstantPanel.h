#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "model/EvaluateDeviation.h"
#include "model/KineticProject.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace zamo {

class MaskEdit;
class UpDown;

// What the panel needs from the main window.
class RatePanelHost {
 public:
  virtual ~RatePanelHost() = default;
  virtual KineticProject& Project() = 0;
  // The update steps Recalculate and Repaint.
  virtual void Recalculate() = 0;
  virtual void DrawPlots() = 0;
  // Runs a handler inside the general error guard.
  virtual void RunGuarded(const std::function<void()>& handler) = 0;
  // A box was left with text the mask refuses.
  virtual void RefuseInput() = 0;
  // "&Quit".
  virtual void QuitRequested() = 0;
};

// The right-hand panel (MessagePanelRight): ten rows of caption, masked box and three
// steppers for the rate constants of the current experiment, the "Quality of Calculation"
// box and "&Quit". Boxes show the model; every change goes straight into it.
class RateConstantPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = 10;
  static constexpr int kWidth = 162;

  RateConstantPanel(RatePanelHost& host, QWidget* parent = nullptr);

  // Writes the constant of row 1..10 into its box ("0.0000E+00").
  void ShowRateConstant(int row);
  // Captions of rows 2..7 for the current experiment, then every box.
  void ShowRateCaptions();
  void ShowDeviationLabels(const DeviationLabelTexts& labels);
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
