#pragma once

#include <QWidget>
#include <array>
#include <exception>
#include <memory>
#include <optional>

#include "model/KineticProject.h"
#include "optimize/ModelSelection.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace zamo {

class FitJobRunner;
class Platform;
class ProjectSession;

// The model-selection window: the candidate pathways as check boxes (the constants the fit
// frees at first), the criterion, the method, the experiments and the weighting; "Run" in a
// worker with progress and "Stop"; the ranked models, the evidence per pathway and a chart
// of the inclusion probabilities (exportable like the plot window's figure). "Apply" puts
// the chosen model's constants (the best, or the row selected) into the project as one step
// of its history ("Model Selection"); "Copy Results" puts the report on the clipboard as
// tab-separated text. Closing it stops a run still going.
class ModelSelectionWindow : public QWidget {
  Q_OBJECT

 public:
  ModelSelectionWindow(ProjectSession& session, Platform& platform, QWidget* parent);
  ~ModelSelectionWindow() override;

  // The commands, also for tests.
  void RunClick();
  void StopClick();
  void ApplyClick();
  void CopyClick();

  bool Running() const;
  const std::optional<SelectionResult>& Result() const { return result_; }
  SelectionSettings Settings() const;

 signals:
  // A run ended (finished, stopped or failed); Result() holds what it reached.
  void RunEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void ShowProject();
  void ShowResult();
  void ShowProgress(int fitted, int total);
  void JobEnded(std::optional<SelectionResult> result, std::exception_ptr error);
  void UpdateButtons();
  const SelectedModel* ChosenModel() const;

  ProjectSession& session_;
  Platform& platform_;
  int listener_ = 0;
  FitJobRunner* runner_ = nullptr;
  std::optional<SelectionResult> result_;

  std::array<QCheckBox*, kRateConstantCount> candidates_{};
  QComboBox* criterion_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* experiments_ = nullptr;
  QComboBox* weighting_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* copy_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTableWidget* models_ = nullptr;
  QTableWidget* pathways_ = nullptr;
  QCustomPlot* chart_ = nullptr;
};

}  // namespace zamo
