// Commands of the main window that open other windows or write a picture.

#include <QScrollBar>

#include "app/ZamoMain.h"
#include "document/DataFileImport.h"
#include "document/Edit.h"
#include "document/NewFile.h"
#include "model/Conversions.h"
#include "model/EvaluateDeviation.h"
#include "model/RateConstantStep.h"
#include "model/RecalcCurves.h"
#include "optimize/LinOpt.h"
#include "ui/AdrAbout.h"
#include "ui/FullOutPut.h"
#include "ui/GraphExport.h"
#include "ui/HelpWindow.h"
#include "ui/MaskEdit.h"
#include "ui/ViewKineticSystem.h"

namespace zamo {

void TFZamo::OptimizeRateConstants1Click() { TOptRate::Show(*this); }

void TFZamo::Import1Click() { (new TNewFileForm(*this, this))->show(); }

void TFZamo::ZamoData1Click() { (new TEditForm(*this, this))->show(); }

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
  const Real value = StrToFloat(platform_.ClipboardText().trimmed().toStdString());
  project_.K[RateIndexOfBox(*row, project_.ShowLeft)] = ClampRate(value);
  project_.Modified = true;
  Refresh();
}

// What follows a completed import: the new project shown in the window, both zooms at 315.
void TFZamo::ShowImportedProject(const QString& caption) {
  setWindowTitle(caption);
  panel_->ShowRateCaptions();
  SetExperimentMenuItems();
  project_.DataValid = true;
  Recalculate();
  project_.ZoomLeft = kImportZoom;
  project_.ZoomRight = kImportZoom;
  SetZoomBar(kImportZoom);
}

void TFZamo::FullOutput1Click() {
  auto* report = new TOutPutForm(project_, platform_, this);
  report->show();
}

// Writes the enlarged plot as an 800 x 600 BMP file, whatever the chosen extension.
void TFZamo::SaveGraph1Click() {
  FileDialogOptions options;
  options.Title = QStringLiteral("Save Graph");
  options.Filter = QStringLiteral("Bitmaps (*.bmp);;Metadateien (*.wmf);;Alle Dateien (*.bmp *.ico *.emf *.wmf)");
  options.DefaultSuffix = QStringLiteral("bmp");
  options.ConfirmOverwrite = true;
  const std::optional<QString> path = platform_.ChooseSaveFile(this, options);
  if (!path) {
    Refresh();
    return;
  }
  Recalculate(kGraphIntervals);
  try {
    SaveGraphPicture(path->toStdString(), project_, zoomBar_->value());
  } catch (...) {
    // The curves go back to the screen's width before the error is shown.
    Recalculate();
    DrawPlots();
    throw;
  }
  Refresh();
}

}  // namespace zamo
