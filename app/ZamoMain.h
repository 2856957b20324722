#pragma once

#include <QMainWindow>
#include <functional>
#include <optional>

#include "app/Platform.h"
#include "document/TextLines.h"
#include "model/KineticProject.h"
#include "ui/RateConstantPanel.h"

class QAction;
class QMenu;
class QScrollBar;
class QSplitter;

namespace zamo {

class PaintBox;

// The main window: the plots of the current experiment on the left, the rate-constant
// panel on the right, the menus, and the document lifecycle of the one open project.
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

  KineticProject& Project() override { return project_; }
  const TextLines& ProjectText() const { return projectText_; }
  Platform& GetPlatform() { return platform_; }
  RateConstantPanel& Panel() { return *panel_; }

  // The update steps after a change of the project.
  void ShowTheProject();
  void Refresh();
  void Recalculate() override;
  // Recalculate with another number of curve intervals (the exported picture's).
  void Recalculate(int intervals);
  void DrawPlots() override;

  // Reads lines as the open project and, when the read succeeds, keeps them as
  // ProjectText; FileName becomes the name last chosen in the open dialog. A read that
  // fails changes nothing and raises its error.
  void ReadProjectText(const TextLines& lines);
  // The save command; false when nothing was written (cancelled or failed).
  bool SaveProject(bool saveAs);
  // Runs a command; an error it raises is shown in the general error box and the program
  // goes on.
  void RunGuarded(const std::function<void()>& command) override;
  // The general error box.
  void ShowError(const std::exception& error);

  // Commands of the menus.
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void Exit1Click();
  void LeftReactions1Click();
  void RightReactions1Click();
  void SaveGraph1Click();
  void Import1Click();
  void Copy1Click();
  void Paste2Click();
  void ZamoData1Click();
  void OptimizeRateConstants1Click();
  void KineticSystem1Click();
  void FullOutput1Click();
  void Help1Click();
  void About1Click();

  // Shows a project the import dialog has just built.
  void ShowImportedProject(const QString& caption);

  QAction* Action(const QString& name) const;
  QMenu* ContextMenu() const { return contextMenu_; }
  // Pixels of the plots' time axis: the upper plot's width minus the zoom bar's minus 2.
  int PlotIntervals() const;
  int ZoomPosition() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildPlots();
  void BuildMenus();
  void BuildContextMenu();
  QAction* AddAction(QMenu* menu, const QString& name, const QString& text, const QKeySequence& key,
                     void (TFZamo::*handler)());

  // Update-step pieces.
  void SetExperimentMenuItems();
  void SetZoomBar(int position);
  void SwitchExperiment(bool left);
  void ZoomBarScroll(int position);
  void PaintUpper(QPainter& painter);
  void PaintLower(QPainter& painter);

  // "Bestätigung": the save prompt of Open and closing.
  PromptAnswer SavePrompt();
  void ReadProjectText(const TextLines& lines, const std::string& chosenFileName);
  void OpenProjectFile(const std::string& file);

  // RatePanelHost
  void RefuseInput() override;
  void QuitRequested() override;

  Platform& platform_;
  KineticProject project_;
  TextLines projectText_;
  // The name last chosen in the open dialog; every read of ProjectText takes it as FileName.
  std::string openedFileName_;

  RateConstantPanel* panel_ = nullptr;
  QSplitter* splitter_ = nullptr;
  PaintBox* upper_ = nullptr;
  PaintBox* lower_ = nullptr;
  QScrollBar* zoomBar_ = nullptr;
  QMenu* contextMenu_ = nullptr;

  bool aborted_ = false;
  bool paintBusy_ = true;
  bool lowerPlotOnly_ = false;
  int resizeCount_ = 0;
};

}  // namespace zamo
