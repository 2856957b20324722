#include "ui/PlotExport.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <new>

#include "document/FileWriter.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"
#include "ui/PlotFigure.h"

namespace zamo {

namespace {

constexpr double kReferenceDpi = 96;
constexpr double kMetresPerInch = 0.0254;

// The size the figure is laid out at, in units of 1/96 inch.
QSize LayoutSize(const PictureSize& size) {
  const auto side = [&size](int pixels) {
    return std::max(1, static_cast<int>(std::lround(pixels * kReferenceDpi / size.Dpi)));
  };
  return {side(size.Width), side(size.Height)};
}

// Painting at another size lays the figure out anew; the plot is laid out for its own size
// again afterwards.
class ExportLayout {
 public:
  explicit ExportLayout(QCustomPlot& plot) : plot_(plot) {}
  ~ExportLayout() { plot_.replot(QCustomPlot::rpQueuedReplot); }
  ExportLayout(const ExportLayout&) = delete;
  ExportLayout& operator=(const ExportLayout&) = delete;

 private:
  QCustomPlot& plot_;
};

QByteArray EncodePng(QCustomPlot& plot, const PictureSize& size) {
  const QImage image = RenderPlotImage(plot, size);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
  return bytes;
}

QByteArray EncodeSvg(QCustomPlot& plot, const PictureSize& size) {
  const QSize layout = LayoutSize(size);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(layout);
  generator.setViewBox(QRect(QPoint(0, 0), layout));
  generator.setResolution(static_cast<int>(kReferenceDpi));
  generator.setTitle(QStringLiteral("Zamo plot"));
  const ExportLayout restore(plot);
  QCPPainter painter;
  if (!painter.begin(&generator)) return {};
  painter.setMode(QCPPainter::pmVectorized);
  plot.toPainter(&painter, layout.width(), layout.height());
  if (!painter.end()) return {};
  return bytes;
}

QByteArray EncodePdf(QCustomPlot& plot, const PictureSize& size) {
  const QSize layout = LayoutSize(size);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QPdfWriter writer(&buffer);
  writer.setCreator(QStringLiteral("Zamo"));
  writer.setTitle(QStringLiteral("Zamo plot"));
  writer.setResolution(static_cast<int>(kReferenceDpi));
  const QPageSize page(QSizeF(static_cast<double>(size.Width) / size.Dpi, static_cast<double>(size.Height) / size.Dpi),
                       QPageSize::Inch, QString(), QPageSize::ExactMatch);
  if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()))) return {};
  const ExportLayout restore(plot);
  QCPPainter painter;
  if (!painter.begin(&writer)) return {};
  painter.setMode(QCPPainter::pmVectorized);
  // The page in the writer's units may differ from the layout by rounding.
  painter.setWindow(QRect(QPoint(0, 0), layout));
  plot.toPainter(&painter, layout.width(), layout.height());
  if (!painter.end()) return {};
  return bytes;
}

}  // namespace

QImage RenderPlotImage(QCustomPlot& plot, const PictureSize& size) {
  QImage image(size.Width, size.Height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  const QSize layout = LayoutSize(size);
  {
    const ExportLayout restore(plot);
    QCPPainter painter(&image);
    if (!painter.isActive()) return {};
    const double scaleX = static_cast<double>(size.Width) / layout.width();
    const double scaleY = static_cast<double>(size.Height) / layout.height();
    // Hairlines grow with the picture, as every other line does.
    if (scaleX > 1 || scaleY > 1) painter.setMode(QCPPainter::pmNonCosmetic);
    painter.scale(scaleX, scaleY);
    plot.toPainter(&painter, layout.width(), layout.height());
  }
  const int dotsPerMetre = static_cast<int>(std::lround(size.Dpi / kMetresPerInch));
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  return image;
}

QByteArray EncodePlot(QCustomPlot& plot, PictureFormat format, const PictureSize& size) {
  switch (format) {
    case PictureFormat::Png:
      return EncodePng(plot, size);
    case PictureFormat::Svg:
      return EncodeSvg(plot, size);
    case PictureFormat::Pdf:
      return EncodePdf(plot, size);
  }
  return {};
}

void WritePlotPicture(const std::string& path, QCustomPlot& plot, const PictureSize& size,
                      std::optional<PictureFormat> format) {
  if (!format) format = PictureFormatOfPath(path);
  if (!format) throw FileError(path, texts::CannotCreateFile(path, kPictureExtensionReason));
  std::string bytes;
  try {
    const QByteArray encoded = EncodePlot(plot, *format, size);
    bytes.assign(encoded.constData(), static_cast<std::size_t>(encoded.size()));
  } catch (const std::bad_alloc&) {
    bytes.clear();
  }
  if (bytes.empty()) {
    throw FileError(path, texts::CannotCreateFile(path, kPictureOutOfMemory));
  }
  WriteFileAtomically(path, bytes);
}

void SavePlotPicture(const std::string& path, const KineticProject& project, const PlotOptions& options,
                     const PictureSize& size, std::optional<PictureFormat> format) {
  QCustomPlot plot;
  plot.resize(LayoutSize(size));
  DrawPlotFigure(plot, BuildPlotData(project, options, nullptr), options);
  WritePlotPicture(path, plot, size, format);
}

}  // namespace zamo
