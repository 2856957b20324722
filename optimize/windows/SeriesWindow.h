#pragma once

#include <QString>
#include <QWidget>
#include <exception>
#include <optional>

#include "optimize/SeriesSession.h"

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

// The temperature-series window: the projects of a series (added one by one, dropped as
// ".zam" files, or read from a ".zams" series file) with their temperatures, the method,
// free set and weighting of the fit, "Fit" in a worker thread with progress and "Stop", and
// the results: the activation parameters of both methods (to the precision their errors
// support), the single fits per temperature, and the Arrhenius and Eyring plots, exportable
// as PNG, SVG or PDF. The results copy as tab-separated text. The projects are kept in the
// order of their temperatures; several can be added at once. A change of the projects
// clears the results, which belong to the projects they were fitted to; closing the window
// asks first while a result was neither copied nor exported. The series and its result are
// the SeriesSession's; the window shows them and runs the session's fit.
class SeriesWindow : public QWidget {
  Q_OBJECT

 public:
  SeriesWindow(Platform& platform, QWidget* parent);

  // The commands, also for tests. Each runs inside the general error guard: a refusal is
  // shown, and the series stays as it was.
  void AddProject(const QString& path);
  void RemoveSelectedProject();
  void OpenSeries(const QString& path);
  void SaveSeries(const QString& path);
  void StartFit();
  void StopFit();
  void CopyResults();
  void ExportPlot(const QString& path);

  const TemperatureSeries& Series() const { return session_.Series(); }
  const std::optional<SeriesResult>& Result() const { return session_.Result(); }
  bool IsFitting() const;
  SeriesSettings Settings() const;

 signals:
  // A fit ended (finished, stopped or failed); Result() holds what it reached.
  void FitEnded();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void AskAddProject();
  void AskOpenSeries();
  void AskSaveSeries();
  void AskExportPlot();
  void ShowSeries();
  void ShowProjects();
  void ShowResult();
  void FitFinished(std::optional<SeriesResult> result, std::exception_ptr error);
  void ShowProgress(int stage, int project, int iteration, double weightedSsr);
  void UpdateButtons();
  QCustomPlot* CurrentPlot() const;

  Platform& platform_;
  SeriesSession session_{SeriesOrder::ByTemperature};
  FitJobRunner* runner_ = nullptr;

  QTableWidget* projects_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* free_ = nullptr;
  QComboBox* weights_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* fit_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* export_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTableWidget* activation_ = nullptr;
  QTableWidget* temperatures_ = nullptr;
  QCustomPlot* arrhenius_ = nullptr;
  QCustomPlot* eyring_ = nullptr;
};

}  // namespace zamo
