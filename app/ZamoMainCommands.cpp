// Commands of the main window that open other windows or write a picture.

#include <QScrollBar>

#include "app/ZamoMain.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/RecalcCurves.h"
#include "optimize/LinOpt.h"
#include "ui/FullOutPut.h"
#include "ui/GraphExport.h"

namespace zamo {

void TFZamo::OptimizeRateConstants1Click() { TOptRate::Show(*this); }

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
  const QImage picture = RenderGraph(project_, zoomBar_->value());
  try {
    WriteFileAtomically(path->toStdString(), GraphBmpBytes(picture));
  } catch (...) {
    // The curves go back to the screen's width before the error is shown.
    Recalculate();
    DrawPlots();
    throw;
  }
  Refresh();
}

}  // namespace zamo
