// Commands of the main window that open other windows or write a picture.

#include <QScrollBar>

#include "app/ZamoMain.h"
#include "document/TextFile.h"
#include "document/windows/Edit.h"
#include "document/windows/NewFile.h"
#include "optimize/windows/LinOpt.h"
#include "ui/AdrAbout.h"
#include "ui/FullOutPut.h"
#include "ui/GraphExport.h"
#include "ui/HelpWindow.h"
#include "ui/MaskEdit.h"
#include "ui/TextBytes.h"
#include "ui/ViewKineticSystem.h"

namespace zamo {

// At most one optimization dialog: the command brings an open one to the front.
void TFZamo::OptimizeRateConstants1Click() {
  if (optimization_ == nullptr) optimization_ = new TOptRate(session_, platform_, workers_, this);
  optimization_->show();
  optimization_->raise();
  optimization_->activateWindow();
}

// One fit dialog at a time: a second command brings the open one to the front.
void TFZamo::LeastSquaresFit1Click() {
  if (fit_ == nullptr) {
    fit_ = new TLeastSquaresFit(session_, platform_, this);
    connect(fit_, &TLeastSquaresFit::FitEnded, this, [this] {
      if (fit_ == nullptr || !fit_->Result()) return;
      lastFit_ = FitOfProject(*fit_->Result(), session_.Project());
      if (plot_) plot_->SetFit(*lastFit_);
    });
  }
  fit_->show();
  fit_->raise();
  fit_->activateWindow();
}

// One model-selection window: a second command brings the open one to the front.
void TFZamo::ModelSelection1Click() {
  if (selection_ == nullptr) selection_ = new ModelSelectionWindow(session_, platform_, this);
  selection_->show();
  selection_->raise();
  selection_->activateWindow();
}

// One series window: a second command brings the open one to the front.
void TFZamo::TemperatureSeries1Click() {
  if (series_ == nullptr) series_ = new SeriesWindow(platform_, this);
  series_->show();
  series_->raise();
  series_->activateWindow();
}

void TFZamo::Import1Click() { OpenImportDialog(); }

void TFZamo::ZamoData1Click() { (new TEditForm(session_, platform_, this))->show(); }

void TFZamo::KineticSystem1Click() { (new TShowKinSysForm(this))->show(); }

void TFZamo::Help1Click() { (new HelpWindow(this))->show(); }

void TFZamo::About1Click() { (new TAboutBox(platform_, this))->show(); }

// The focused row's box, exactly as shown, onto the clipboard.
void TFZamo::Copy1Click() {
  if (const std::optional<int> row = panel_->FocusedRow()) {
    platform_.SetClipboardText(panel_->Box(*row)->ShownText());
  }
}

// A number from the clipboard into the focused row, committed as a typed value is: converted,
// limited to 0..1, stored and computed, then every box is written again from the model. A
// text that is no number is refused with the conversion message and changes nothing.
void TFZamo::Paste2Click() {
  const std::optional<int> row = panel_->FocusedRow();
  if (!row) return;
  session_.PasteRate(RateIndexOfBox(*row, session_.Project().ShowLeft), ToBytes(platform_.ClipboardText()));
}

// One plot window: the command opens it, or brings it to the front.
void TFZamo::Plot1Click() {
  if (!plot_) {
    plot_ = std::make_unique<TPlotWindow>(session_, platform_);
    if (lastFit_) plot_->SetFit(*lastFit_);
  }
  plot_->show();
  plot_->raise();
  plot_->activateWindow();
}

void TFZamo::FullOutput1Click() {
  auto* report = new TOutPutForm(session_.Project(), platform_, this);
  report->show();
}

// Writes the enlarged plot as an 800 x 600 BMP file, whatever the chosen extension.
void TFZamo::SaveGraph1Click() {
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Save Graph"),
                      QStringLiteral("Bitmaps (*.bmp);;Metadateien (*.wmf);;Alle Dateien (*.bmp *.ico *.emf *.wmf)"),
                      QStringLiteral("bmp"));
  const std::optional<QString> path = platform_.ChooseSaveFile(this, options);
  if (!path) {
    session_.Refresh();
    return;
  }
  session_.Recalculate(kGraphIntervals);
  try {
    SaveGraphPicture(path->toStdString(), session_.Project(), zoomBar_->value());
  } catch (...) {
    // The curves go back to the screen's width before the error is shown.
    session_.Recalculate(PlotIntervals());
    throw;
  }
  session_.Refresh();
}

}  // namespace zamo
