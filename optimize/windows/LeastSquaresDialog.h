#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <exception>
#include <memory>
#include <optional>

#include "optimize/FitReportText.h"
#include "optimize/LeastSquaresFit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zamo {

class FitJobRunner;
class Platform;
class ProjectSession;

// The least-squares fit dialog: which constants are free, the experiments and the
// weighting, "Fit" in a worker thread with its progress and "Stop", the table of fitted
// constants with standard errors, 95 % intervals and flags, the colour-graded correlations,
// the sums of squares before and after. "Apply" puts the fitted constants into the project
// as one step of its history ("Least-Squares Fit"); "Copy Results" puts the table on the
// clipboard as tab-separated text. Modeless; it deletes itself when closed, stopping a fit
// still going. Its owner (the main window) keeps at most one open.
class TLeastSquaresFit : public QDialog {
  Q_OBJECT

 public:
  TLeastSquaresFit(ProjectSession& session, Platform& platform, QWidget* parent);
  ~TLeastSquaresFit() override;

  bool Running() const;
  const std::optional<FitResult>& Result() const { return result_; }
  FitSettings Settings() const;

  void FitClick();
  void StopClick();
  void ApplyClick();
  void CopyClick();

 signals:
  // A fit ended (finished, stopped or failed) and its result, if any, is shown.
  void FitEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void SetRunning(bool running);
  void ShowStartValues();
  void ShowResult();
  void ShowCorrelations();
  void ShowStatistics(const FitReport& report);
  void ShowProgress(int iteration, double weightedSsr);
  void JobEnded(std::optional<FitResult> result, std::exception_ptr error);

  ProjectSession& session_;
  Platform& platform_;
  int listener_ = 0;
  FitJobRunner* runner_ = nullptr;
  FitSettings runningSettings_;
  std::optional<FitSettings> resultSettings_;
  std::optional<FitResult> result_;

  QTableWidget* table_ = nullptr;
  std::array<QCheckBox*, kRateConstantCount> free_{};
  QComboBox* experiments_ = nullptr;
  QComboBox* weighting_ = nullptr;
  QCheckBox* profile_ = nullptr;
  QTableWidget* correlation_ = nullptr;
  QLabel* statistics_ = nullptr;
  QLabel* progressText_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* fit_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zamo
