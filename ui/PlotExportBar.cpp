#include "ui/PlotExportBar.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "model/ZamoError.h"
#include "ui/ErrorText.h"
#include "ui/Platform.h"
#include "ui/PlotExport.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

QSpinBox* AddSpinBox(QHBoxLayout* layout, QWidget* parent, const QString& name, const QString& label, int low, int high,
                     int value, const QString& suffix) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setValue(value);
  box->setSuffix(suffix);
  auto* text = new QLabel(label, parent);
  text->setBuddy(box);
  layout->addWidget(text);
  layout->addWidget(box);
  return box;
}

}  // namespace

PlotExportBar::PlotExportBar(Platform& platform, QCustomPlot& plot, QWidget* parent)
    : QWidget(parent), platform_(platform), plot_(plot) {
  setObjectName(QStringLiteral("PlotExportBar"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  width_ = AddSpinBox(layout, this, QStringLiteral("PictureWidth"), QStringLiteral("&Width:"), kPictureSideMin,
                      kPictureSideMax, kPictureWidthDefault, QStringLiteral(" px"));
  height_ = AddSpinBox(layout, this, QStringLiteral("PictureHeight"), QStringLiteral("&Height:"), kPictureSideMin,
                       kPictureSideMax, kPictureHeightDefault, QStringLiteral(" px"));
  dpi_ = AddSpinBox(layout, this, QStringLiteral("PictureDpi"), QStringLiteral("&Resolution:"), kPictureDpiMin,
                    kPictureDpiMax, kPictureDpiDefault, QStringLiteral(" dpi"));
  layout->addStretch();
  auto* exportButton = new QPushButton(QStringLiteral("&Export..."), this);
  exportButton->setObjectName(QStringLiteral("ExportButton"));
  auto* copyButton = new QPushButton(QStringLiteral("&Copy"), this);
  copyButton->setObjectName(QStringLiteral("CopyButton"));
  layout->addWidget(exportButton);
  layout->addWidget(copyButton);
  connect(exportButton, &QPushButton::clicked, this, &PlotExportBar::ExportClick);
  connect(copyButton, &QPushButton::clicked, this, &PlotExportBar::CopyClick);
}

PictureSize PlotExportBar::Size() const { return {width_->value(), height_->value(), dpi_->value()}; }

void PlotExportBar::ExportClick() {
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Export Plot"), kPlotPictureFilter, QStringLiteral("png"));
  const std::optional<QString> path = platform_.ChooseSaveFile(window(), options);
  if (!path) return;
  RunGuarded(platform_, window(), [&] { WritePlotPicture(ToBytes(*path), plot_, Size()); });
}

void PlotExportBar::CopyClick() {
  RunGuarded(platform_, window(), [&] {
    const QImage image = RenderPlotImage(plot_, Size());
    if (image.isNull()) throw ZamoError(kPictureOutOfMemory);
    platform_.SetClipboardImage(image);
  });
}

}  // namespace zamo
