#pragma once

#include <QWidget>

#include "optimize/PlotData.h"

class QCustomPlot;
class QPushButton;
class QSpinBox;

namespace zamo {

class Platform;

// The export controls of a window that shows a QCustomPlot: the picture's width and height
// in pixels and its resolution in dots per inch (300 by default), "Export..." which writes
// the plot to a file the user chooses (PNG, SVG or PDF by the name's extension), and "Copy"
// which puts the picture of that size on the clipboard. Errors go to the general error box.
class PlotExportBar : public QWidget {
  Q_OBJECT

 public:
  PlotExportBar(Platform& platform, QCustomPlot& plot, QWidget* parent);

  PictureSize Size() const;

  void ExportClick();
  void CopyClick();

 private:
  Platform& platform_;
  QCustomPlot& plot_;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QSpinBox* dpi_ = nullptr;
};

}  // namespace zamo
