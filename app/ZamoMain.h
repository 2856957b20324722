#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "document/ProjectSession.h"
#include "optimize/PlotData.h"
#include "optimize/windows/LeastSquaresDialog.h"
#include "optimize/windows/LinOpt.h"
#include "optimize/windows/LinOptWorker.h"
#include "optimize/windows/ModelSelectionWindow.h"
#include "optimize/windows/SeriesWindow.h"
#include "ui/Platform.h"
#include "ui/PlotWindow.h"
#include "ui/RateConstantPanel.h"
#include "ui/RecentProjects.h"

class QAction;
class QMenu;
class QScrollBar;
class QSplitter;

namespace zamo {

class PaintBox;
class TNewFileForm;

// The main window: the plots of the current experiment on the left, the rate-constant
// panel on the right, the menus, and the document lifecycle of the one open project. It
// owns the project's session and shows whatever the session says has changed.
class TFZamo : public QMainWindow, private RatePanelHost {
  Q_OBJECT

 public:
  // Creation runs the machine checks; when one fails, the platform is told to terminate
  // and the window is left unfinished (Aborted()).
  explicit TFZamo(Platform& platform, QWidget* parent = nullptr);
  ~TFZamo() override;

  bool Aborted() const { return aborted_; }

  // Opens a project file named on the command line instead of the example. A file that
  // cannot be read shows the error and leaves the example open.
  void OpenAtStart(const QString& path);

  ProjectSession& Session() { return session_; }
  const KineticProject& Project() const { return session_.Project(); }
  const TextLines& ProjectText() const { return session_.ProjectText(); }
  Platform& GetPlatform() { return platform_; }
  RateConstantPanel& Panel() { return *panel_; }
  // The open optimization dialog, if any.
  TOptRate* OptimizationDialog() const { return optimization_; }
  // The open least-squares fit dialog, if any.
  TLeastSquaresFit* FitDialog() const { return fit_; }
  SeriesWindow* TemperatureSeriesWindow() const { return series_; }
  ModelSelectionWindow* SelectionWindow() const { return selection_; }
  // The plot window, once opened.
  TPlotWindow* PlotWindow() const { return plot_.get(); }

  // Repaint: schedules both plots to be drawn from the model.
  void DrawPlots();

  // The save command; false when nothing was written (cancelled or failed).
  bool SaveProject(bool saveAs);
  // Runs a command; an error it raises is shown in the general error box and the program
  // goes on.
  void RunGuarded(const std::function<void()>& command) override;

  // Commands of the menus.
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void Exit1Click();
  void Undo1Click();
  void Redo1Click();
  void LeftReactions1Click();
  void RightReactions1Click();
  void SaveGraph1Click();
  void Import1Click();
  void Copy1Click();
  void Paste2Click();
  void ZamoData1Click();
  void OptimizeRateConstants1Click();
  void LeastSquaresFit1Click();
  void ModelSelection1Click();
  void TemperatureSeries1Click();
  void KineticSystem1Click();
  void FullOutput1Click();
  void Plot1Click();
  void Help1Click();
  void About1Click();

  // Files: the result table, the recent projects, files dropped on the window.
  void ExportTable1Click();
  // Opens a project of the recent list after the save prompt; one that no longer exists is
  // removed from the list with a message.
  void OpenRecentProject(const QString& path);
  // Opens the import dialog (at most one command's worth; each call makes a new one).
  TNewFileForm* OpenImportDialog();

  QAction* Action(const QString& name) const;
  QMenu* ContextMenu() const { return contextMenu_; }
  // Pixels of the plots' time axis: the upper plot's width minus the zoom bar's minus 2.
  int PlotIntervals() const;
  int ZoomPosition() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildPlots();
  void BuildMenus();
  void BuildContextMenu();
  QAction* AddAction(QMenu* menu, const QString& name, const QString& text, const QList<QKeySequence>& keys,
                     void (TFZamo::*handler)());
  // Runs a menu command: the text typed into a rate box and not yet left counts first.
  void RunCommand(void (TFZamo::*handler)());

  // Model -> window: what the session says has changed.
  void SessionChanged(const SessionEvent& event);
  void ShowProject();
  void ShowStatus();
  void SetExperimentMenuItems();
  void SetZoomBar(int position);
  void ZoomBarScroll(int position);
  void PaintUpper(QPainter& painter);
  void PaintLower(QPainter& painter);

  // "Bestätigung": the save prompt of Open and closing.
  PromptAnswer SavePrompt();
  // Opens a project file and puts it first in the recent list.
  void OpenProjectFile(const QString& path);
  // The "Open &Recent" submenu from the recent list.
  void ShowRecentProjects();

  // RatePanelHost
  void RefuseInput() override;
  void QuitRequested() override;

  Platform& platform_;
  ProjectSession session_;
  // Declared after the session: runs still going end before it does.
  OptimizationWorkers workers_;
  QPointer<TOptRate> optimization_;
  QPointer<TLeastSquaresFit> fit_;
  QPointer<SeriesWindow> series_;
  QPointer<ModelSelectionWindow> selection_;
  // The last finished fit, for the plot window's band.
  std::optional<PlotFit> lastFit_;
  // A window of its own, not a child: it listens to the session and so ends before it.
  std::unique_ptr<TPlotWindow> plot_;

  RateConstantPanel* panel_ = nullptr;
  QSplitter* splitter_ = nullptr;
  PaintBox* upper_ = nullptr;
  PaintBox* lower_ = nullptr;
  QScrollBar* zoomBar_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  RecentProjects recent_{platform_};

  bool aborted_ = false;
  bool paintBusy_ = true;
  bool lowerPlotOnly_ = false;
  int resizeCount_ = 0;
};

}  // namespace zamo
