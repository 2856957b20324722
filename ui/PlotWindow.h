#pragma once

#include <QWidget>
#include <optional>

#include "optimize/PlotData.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QDoubleSpinBox;

namespace zamo {

class Platform;
class PlotExportBar;
class ProjectSession;

// The plot window: the project's scientific figure (DrawPlotFigure) with its choices (the
// experiments, the time unit, a logarithmic time axis, the residual panel, the fit's band,
// a zoom of the concentration axis) and the export bar. Modeless; its caption is "Plot - "
// and the project's title. It follows the session: every change that the main window's
// plots show is drawn again at once. The band can be chosen only while the last fit's
// constants and measurements are the project's.
class TPlotWindow : public QWidget {
  Q_OBJECT

 public:
  TPlotWindow(ProjectSession& session, Platform& platform);
  ~TPlotWindow() override;
  TPlotWindow(const TPlotWindow&) = delete;
  TPlotWindow& operator=(const TPlotWindow&) = delete;

  // The result of a finished least-squares fit, with the measurements it was fitted to.
  void SetFit(const PlotFit& fit);

  PlotOptions Options() const;
  const PlotData& Data() const { return data_; }
  QCustomPlot& Plot() { return *plot_; }
  PlotExportBar& ExportBar() { return *exportBar_; }

  // Computes and draws the figure from the project and the choices.
  void Redraw();

 private:
  void BuildControls();
  bool BandAvailable() const;

  ProjectSession& session_;
  int listener_ = 0;
  std::optional<PlotFit> fit_;
  PlotData data_;

  QCustomPlot* plot_ = nullptr;
  PlotExportBar* exportBar_ = nullptr;
  QComboBox* experiments_ = nullptr;
  QComboBox* unit_ = nullptr;
  QCheckBox* logTime_ = nullptr;
  QCheckBox* residuals_ = nullptr;
  QCheckBox* band_ = nullptr;
  QCheckBox* zoom_ = nullptr;
  QDoubleSpinBox* zoomLow_ = nullptr;
  QDoubleSpinBox* zoomHigh_ = nullptr;
};

}  // namespace zamo
