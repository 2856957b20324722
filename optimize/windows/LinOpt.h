#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "model/KineticProject.h"
#include "optimize/OptimizeRateConstants.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace zamo {

class OptimizationWorkers;
class Platform;
class ProjectSession;
class TThLinOpt;

// The optimization dialog (TOptRate): settings, "Calculate" with progress and the relative
// optimization figure, "Stop", "OK" to keep the constants and "Abbruch" to put back those
// of the dialog's creation. Modeless and on top; it deletes itself when closed. Its owner
// (the main window) keeps at most one open. A run's result and an abort reach the project
// as one step of its history each, "Optimization" and "Abort Optimization".
class TOptRate : public QDialog {
  Q_OBJECT

 public:
  TOptRate(ProjectSession& session, Platform& platform, OptimizationWorkers& workers, QWidget* parent);

  bool Running() const { return running_; }
  const StartObjectives& Starts() const { return starts_; }
  const RateConstants& SavedK() const { return savedK_; }

  void CalcBitBtnClick();
  void OKBitBtnClick();
  void AbortBitBtnClick();

  // Called by the worker on the user-interface thread.
  void ShowProgress(int position, Real improvement);
  void RunEnded(TThLinOpt* worker, const StartObjectives& starts);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void Guarded(const std::function<void()>& handler);
  void SetRunningLook(bool running);
  void OptTrackBarChange(int position);
  void RepaintProgress();

  ProjectSession& session_;
  Platform& platform_;
  OptimizationWorkers& workers_;
  bool running_ = false;
  bool aborting_ = false;
  RateConstants savedK_{};
  StartObjectives starts_;
  QPointer<TThLinOpt> worker_;
  QTimer repaintTimer_;

  QGroupBox* flags_ = nullptr;
  QGroupBox* output_ = nullptr;
  QCheckBox* highPriority_ = nullptr;
  QCheckBox* keepK15K16_ = nullptr;
  QCheckBox* withoutGH_ = nullptr;
  QSlider* trackBar_ = nullptr;
  QLabel* stepsLabel_ = nullptr;
  QLabel* improvement_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* calculate_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* abort_ = nullptr;
  QIcon okIcon_;
  QIcon stopIcon_;
};

}  // namespace zamo
